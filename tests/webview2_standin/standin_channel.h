#pragma once
// The test's line to the stand-in: a loopback TCP connection to the port in
// SONABEL_WEBVIEW2_STANDIN_PORT. The test sends the set-up as the first line,
// then commands; the stand-in sends one report line per library call.
#include <windows.h>

#include <functional>
#include <string>

namespace standin {

struct Setup {
    bool connected = false;
    bool runtime = true;          // false: no WebView2 runtime is found
    HRESULT environment = S_OK;   // what creating the environment returns
    HRESULT controller = S_OK;    // what the controller's creation reports
};

// Connects on first use, from the UI thread, and reads the set-up line.
const Setup& setup();
void sendLine(const std::string& line);
// Runs `work` from the UI thread's message queue, as WebView2's callbacks
// come: later, and also while a modal dialog pumps messages.
void later(std::function<void()> work);
// Each command line from the test, run the same way.
void onCommand(std::function<void(const std::string&)> handler);

}  // namespace standin
