#pragma once
#include <string>
#include <string_view>

inline constexpr std::string_view kNativeActionReply = R"({"status":"ok"})";

// What each recognised action does; each platform plugs in its own.
class NativeActions {
public:
    virtual ~NativeActions() = default;
    virtual void closeWindow() = 0;
    virtual void minimizeWindow() = 0;
    virtual void maximizeOrRestoreWindow() = 0;
    virtual void toggleAlwaysOnTop() = 0;
    virtual void pickAudioFiles() = 0;
    virtual void importMusicFolder() = 0;
};

// Finds the first of the eight quoted action names that occurs anywhere in
// the request text and runs its action; the reply is always
// {"status":"ok"}. An exception escaping an action is contained here.
std::string dispatchNativeAction(std::string_view request, NativeActions& actions);
