#pragma once

// Loads DLLs from the program's own folder and System32 only, never from the
// current folder or PATH, so a WebView2Loader.dll planted there is not run.
// Called first thing, before any DLL is loaded by name.
void restrictDllSearchToTrustedFolders();
