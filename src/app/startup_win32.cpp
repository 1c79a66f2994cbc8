#include "app/startup_win32.h"

#include "app/start_page.h"

int runSonabel(const WebHostFactory& createHost, MessageBoxFunction showMessageBox) {
    const std::string startUrl = locateStartPage();
    return runStartupSequence(createHost, startUrl, [showMessageBox](const std::string& text) {
        // No owner: the program's own window is already gone by now.
        showMessageBox(nullptr, text.c_str(), kStartupErrorCaption, MB_OK | MB_ICONERROR);
    });
}
