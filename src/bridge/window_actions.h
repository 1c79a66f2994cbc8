#pragma once
// Window actions on g_mainWindow; each does nothing while it is null.

void minimizeMainWindow();
// Restores a maximised window; maximises a normal or minimised one.
void maximizeOrRestoreMainWindow();
// Flips g_alwaysOnTop and puts the window into or out of the keep-above group.
void toggleMainWindowAlwaysOnTop();
