#include "bridge/window_actions.h"

#include "bridge/window_state.h"

// Filled in by the Windows shell.
void minimizeMainWindow() {}
void maximizeOrRestoreMainWindow() {}
void toggleMainWindowAlwaysOnTop() {}
