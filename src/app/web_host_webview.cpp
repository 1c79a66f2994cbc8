// The one file that sees the webview library.
#include "app/web_host_webview.h"

#include <webview/webview.h>

#include <utility>

namespace {

// The library's exception as the failure start-up reports; its message is
// what the user reads in the error box.
template <typename Call>
decltype(auto) translated(Call&& call) {
    try {
        return std::forward<Call>(call)();
    } catch (const webview::exception& error) {
        throw WebHostError(error.what());
    }
}

// Errors the library returns as results (title, size, bind, navigate,
// terminate, eval) are ignored; only raised ones end the run.
class WebviewHost final : public WebHost {
public:
    // Developer tools off, no parent: the library creates and owns the window.
    WebviewHost() try : view_(false, nullptr) {
    } catch (const webview::exception& error) {
        throw WebHostError(error.what());
    }

    void setTitle(const std::string& title) override {
        translated([&] { view_.set_title(title); });
    }
    void setSize(int width, int height) override {
        translated([&] { view_.set_size(width, height, WEBVIEW_HINT_NONE); });
    }
    void* nativeWindow() override {
        return translated([&] { return view_.window().value(); });
    }
    void bind(const std::string& name, NativeActionHandler handler) override {
        // The synchronous form: the reply goes back once the handler returns.
        translated([&] {
            view_.bind(name, [handler = std::move(handler)](std::string request) { return handler(request); });
        });
    }
    void navigate(const std::string& url) override {
        translated([&] { view_.navigate(url); });
    }
    void run() override {
        translated([&] { view_.run(); });
    }
    void terminate() override {
        translated([&] { view_.terminate(); });
    }
    void evaluateScript(const std::string& script) override {
        translated([&] { view_.eval(script); });
    }

private:
    webview::webview view_;
};

}  // namespace

std::unique_ptr<WebHost> createWebviewHost() { return std::make_unique<WebviewHost>(); }
