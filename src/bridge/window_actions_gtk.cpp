#include "bridge/window_actions.h"

#include <gtk/gtk.h>

#include "bridge/window_state.h"

namespace {

// The window's state as the window manager last reported it; empty before
// the window is realised.
GdkWindowState mainWindowState() {
    GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(g_mainWindow));
    return window ? gdk_window_get_state(window) : GdkWindowState{};
}

}  // namespace

void minimizeMainWindow() {
    if (!g_mainWindow) return;
    gtk_window_iconify(g_mainWindow);
}

void maximizeOrRestoreMainWindow() {
    if (!g_mainWindow) return;
    // Asked of the window each time, never tracked: the user may have changed
    // it from the frame.
    const GdkWindowState state = mainWindowState();
    if (state & GDK_WINDOW_STATE_ICONIFIED) {
        // A minimised window comes back maximised, whatever it was before.
        gtk_window_deiconify(g_mainWindow);
        gtk_window_maximize(g_mainWindow);
        gtk_window_present(g_mainWindow);
    } else if (state & GDK_WINDOW_STATE_MAXIMIZED) {
        gtk_window_unmaximize(g_mainWindow);
    } else {
        gtk_window_maximize(g_mainWindow);
    }
}

void toggleMainWindowAlwaysOnTop() {
    if (!g_mainWindow) return;
    g_alwaysOnTop = !g_alwaysOnTop;
    gtk_window_set_keep_above(g_mainWindow, g_alwaysOnTop);
}
