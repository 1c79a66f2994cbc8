#include "bridge/window_state.h"

NativeWindow g_mainWindow = nullptr;
bool g_alwaysOnTop = false;
