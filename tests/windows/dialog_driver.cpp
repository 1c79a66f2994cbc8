// Opens one real dialog ("file" or "folder") over a window of its own, as the
// player does, and prints each script that would reach the page, one a line.
// tests/windows/drive_dialogs.sh answers the dialog with xdotool.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bridge/window_state.h"
#include "import/import_dialogs.h"

namespace {

class PrintingPage : public ScriptEvaluator {
public:
    void evaluateScript(const std::string& script) override {
        std::printf("%s\n", script.c_str());
        std::fflush(stdout);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    // The folder browser's dialog style needs a single-threaded apartment,
    // which the web host sets up in the real program.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    g_mainWindow = CreateWindowExW(0, L"STATIC", L"Sonabel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
    PrintingPage page;
    if (std::strcmp(argv[1], "file") == 0) pickAudioFiles(page);
    if (std::strcmp(argv[1], "folder") == 0) importMusicFolder(page);
    std::printf("done\n");
    DestroyWindow(g_mainWindow);
    CoUninitialize();
    return 0;
}
