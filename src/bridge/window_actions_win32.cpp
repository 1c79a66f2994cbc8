#include "bridge/window_actions.h"

#include "bridge/window_state.h"

// The results of these calls are not looked at: the page gets its usual reply
// whatever the window did.

void minimizeMainWindow() {
    if (g_mainWindow == nullptr) return;
    ShowWindow(g_mainWindow, SW_MINIMIZE);
}

void maximizeOrRestoreMainWindow() {
    if (g_mainWindow == nullptr) return;
    ShowWindow(g_mainWindow, IsZoomed(g_mainWindow) ? SW_RESTORE : SW_MAXIMIZE);
}

void toggleMainWindowAlwaysOnTop() {
    if (g_mainWindow == nullptr) return;
    g_alwaysOnTop = !g_alwaysOnTop;
    // No SWP_NOACTIVATE: bringing the window into the topmost group also
    // activates it.
    SetWindowPos(g_mainWindow, g_alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}
