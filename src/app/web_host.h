#pragma once
// The operations the shell needs from its web host: the webview library on
// Windows, our WebKitGTK host on Linux, a scripted fake in tests.

#include <functional>
#include <stdexcept>
#include <string>

#include "import/script_evaluator.h"

// A failure to create or run the web host. The only failure that start-up
// reports to the user.
class WebHostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Takes the JSON text of the page call's argument array, returns the reply
// JSON text.
using NativeActionHandler = std::function<std::string(const std::string&)>;

class WebHost : public ScriptEvaluator {
public:
    virtual void setTitle(const std::string& title) = 0;
    // Client size in pixels, with no minimum, maximum or fixed constraint.
    virtual void setSize(int width, int height) = 0;
    virtual void* nativeWindow() = 0;
    // Synchronous binding: the promise settles with the handler's reply.
    virtual void bind(const std::string& name, NativeActionHandler handler) = 0;
    virtual void navigate(const std::string& url) = 0;
    // Runs the message loop until terminate() or the window closes.
    virtual void run() = 0;
    virtual void terminate() = 0;
};
