#include "app/startup.h"

#include "bridge/native_action_handler.h"
#include "bridge/window_state.h"

std::string startupErrorText(const std::string& what) {
    return "Sonabel failed to initialize WebView2:\n\n" + what +
           "\n\nPlease ensure Microsoft Edge WebView2 is installed.";
}

int runStartupSequence(const WebHostFactory& createHost, const std::string& startUrl,
                       const StartupErrorReporter& reportError) {
    std::string failure;
    try {
        std::unique_ptr<WebHost> host = createHost();
        host->setTitle(kWindowTitle);
        host->setSize(kInitialWidth, kInitialHeight);
        // Stored before the bind, so every page call finds the window.
        g_mainWindow = static_cast<NativeWindow>(host->nativeWindow());
        // Bound before the navigation, so the first page script finds it.
        host->bind("sendNativeAction", makeNativeActionHandler(*host));
        host->navigate(startUrl);
        host->run();
        return 0;
    } catch (const WebHostError& error) {
        failure = error.what();
    }
    // Reported only here, once the host and its window are gone.
    reportError(startupErrorText(failure));
    return 1;
}
