#include "bridge/action_dispatcher.h"

#include <array>

namespace {

using ActionMember = void (NativeActions::*)();

struct ActionEntry {
    std::string_view searchText;  // the name as JSON writes it, quotes included
    ActionMember run;
};

// Tried in this order; the first name found anywhere in the request wins.
constexpr std::array<ActionEntry, 8> kActionTable = {{
    {R"("closeWindow")", &NativeActions::closeWindow},
    {R"("minimizeWindow")", &NativeActions::minimizeWindow},
    {R"("maximizeWindow")", &NativeActions::maximizeOrRestoreWindow},
    {R"("zoomWindow")", &NativeActions::maximizeOrRestoreWindow},
    {R"("setAlwaysOnTop")", &NativeActions::toggleAlwaysOnTop},
    {R"("openFile")", &NativeActions::pickAudioFiles},
    {R"("openFolder")", &NativeActions::importMusicFolder},
    {R"("autoScanMusic")", &NativeActions::importMusicFolder},
}};

}  // namespace

std::string dispatchNativeAction(std::string_view request, NativeActions& actions) {
    for (const auto& entry : kActionTable) {
        if (request.find(entry.searchText) == std::string_view::npos) continue;
        // Whatever escapes an action must not take the program or the page's
        // promise down with it; the page gets its usual reply.
        try {
            (actions.*entry.run)();
        } catch (...) {
        }
        break;
    }
    return std::string(kNativeActionReply);
}
