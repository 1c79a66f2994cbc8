#include "bridge/native_action_handler.h"

#include "bridge/action_dispatcher.h"
#include "bridge/window_actions.h"
#include "import/import_dialogs.h"

namespace {

class ShellActions final : public NativeActions {
public:
    explicit ShellActions(WebHost& host) : host_(host) {}

    void closeWindow() override { host_.terminate(); }
    void minimizeWindow() override { minimizeMainWindow(); }
    void maximizeOrRestoreWindow() override { maximizeOrRestoreMainWindow(); }
    void toggleAlwaysOnTop() override { toggleMainWindowAlwaysOnTop(); }
    void pickAudioFiles() override { ::pickAudioFiles(host_); }
    void importMusicFolder() override { ::importMusicFolder(host_); }

private:
    WebHost& host_;
};

}  // namespace

NativeActionHandler makeNativeActionHandler(WebHost& host) {
    WebHost* hostPointer = &host;
    return [hostPointer](const std::string& request) {
        ShellActions actions(*hostPointer);
        return dispatchNativeAction(request, actions);
    };
}
