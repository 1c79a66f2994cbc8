#pragma once
// WebView2's report that one of its processes died, for as long as the view
// lives: registered on construction, removed on destruction.

#include <windows.h>
#include <WebView2.h>

#include <functional>

class WebProcessFailureWatch {
public:
    enum class Loss {
        Page,     // the page's own process: a fresh start page brings it back
        Browser,  // the whole engine: this view cannot show anything again
    };
    using Handler = std::function<void(Loss)>;

    // Does nothing when `controller` is null. Other processes (frames, GPU,
    // utilities) restart or matter to no page of ours, so they are not
    // reported.
    WebProcessFailureWatch(ICoreWebView2Controller* controller, Handler handler);
    ~WebProcessFailureWatch();
    WebProcessFailureWatch(const WebProcessFailureWatch&) = delete;
    WebProcessFailureWatch& operator=(const WebProcessFailureWatch&) = delete;

private:
    class EventHandler;
    ICoreWebView2* view_ = nullptr;
    EventHandler* handler_ = nullptr;
    EventRegistrationToken token_{};
};
