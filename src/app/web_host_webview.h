#pragma once
#include <memory>

#include "app/web_host.h"

// The webview library's instance behind the WebHost operations. Creation and
// every operation raise WebHostError where the library raises its exception.
std::unique_ptr<WebHost> createWebviewHost();
