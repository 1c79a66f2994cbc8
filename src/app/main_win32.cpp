#include <windows.h>

#include "app/dll_search_win32.h"
#include "app/startup_win32.h"
#include "app/web_host_webview.h"

// No command-line options and no use of the show command: the library shows
// the window itself.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    restrictDllSearchToTrustedFolders();
    return runSonabel(createWebviewHost, MessageBoxA);
}
