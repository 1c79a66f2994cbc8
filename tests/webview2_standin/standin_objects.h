#pragma once
#include "standin_com.h"

namespace standin {

// The one environment; its controller, view and settings come from it.
ICoreWebView2Environment* environment();
// Starts serving the test's commands (page calls, permission requests,
// window reads).
void serveCommands();

}  // namespace standin
