#include "app/dll_search_win32.h"

#include <windows.h>

void restrictDllSearchToTrustedFolders() {
    // Every later LoadLibrary by bare name follows this, the library's
    // loader lookup among them.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
}
