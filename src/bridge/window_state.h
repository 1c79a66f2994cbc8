#pragma once
// The two process-wide values the window actions share.

#ifdef _WIN32
#include <windows.h>
using NativeWindow = HWND;
#else
typedef struct _GtkWindow GtkWindow;
using NativeWindow = GtkWindow*;
#endif

// The player's top-level window; null until start-up stores it, never cleared.
extern NativeWindow g_mainWindow;
// Whether we last put the window into the keep-above group. Never read back
// from the window, so it survives page reloads but not the process.
extern bool g_alwaysOnTop;
