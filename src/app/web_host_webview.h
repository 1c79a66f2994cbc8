#pragma once
#include <memory>

#include "app/web_host.h"

// The webview library's instance behind the WebHost operations. Only its
// creation can fail loudly (as WebHostError); the library reports every
// other failure as a result, which the shell ignores.
std::unique_ptr<WebHost> createWebviewHost();
