// The one file that sees the webview library.
#include "app/web_host_webview.h"

#include <webview/webview.h>

#include <utility>

#include "app/library_windows_win32.h"

namespace {

// In this release only the constructor raises webview::exception; the other
// operations return results, and the shell ignores their errors.
class WebviewHost final : public WebHost {
public:
    // Developer tools off, no parent: the library creates and owns the window.
    WebviewHost() try : view_(false, nullptr) {
    } catch (const webview::exception& error) {
        // Gone before the error box, which must not show them behind it.
        destroyLeftoverLibraryWindows();
        throw WebHostError(error.what());
    }

    void setTitle(const std::string& title) override { view_.set_title(title); }
    void setSize(int width, int height) override { view_.set_size(width, height, WEBVIEW_HINT_NONE); }
    // No window is a null handle, which the window actions already skip.
    void* nativeWindow() override {
        const auto window = view_.window();
        return window.ok() ? window.value() : nullptr;
    }
    void bind(const std::string& name, NativeActionHandler handler) override {
        // The synchronous form: the reply goes back once the handler returns.
        view_.bind(name, [handler = std::move(handler)](std::string request) { return handler(request); });
    }
    void navigate(const std::string& url) override { view_.navigate(url); }
    void run() override { view_.run(); }
    void terminate() override { view_.terminate(); }
    void evaluateScript(const std::string& script) override { view_.eval(script); }

private:
    webview::webview view_;
};

}  // namespace

std::unique_ptr<WebHost> createWebviewHost() { return std::make_unique<WebviewHost>(); }
