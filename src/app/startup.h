#pragma once
#include <functional>
#include <memory>
#include <string>

#include "app/web_host.h"

using WebHostFactory = std::function<std::unique_ptr<WebHost>()>;
using StartupErrorReporter = std::function<void(const std::string& text)>;

inline constexpr const char* kWindowTitle = "Sonabel";
inline constexpr int kInitialWidth = 860;
inline constexpr int kInitialHeight = 640;
inline constexpr const char* kStartupErrorCaption = "Sonabel Error";

// The error box text for a web host failure with message `what`.
std::string startupErrorText(const std::string& what);

// Creates the host, titles and sizes the window, stores g_mainWindow, binds
// sendNativeAction, navigates to `startUrl` and runs the loop. Returns 0 after
// the loop ends; on a WebHostError reports it (after the host is gone) and
// returns 1.
int runStartupSequence(const WebHostFactory& createHost, const std::string& startUrl,
                       const StartupErrorReporter& reportError);
