// The one file that sees the webview library.
#include "app/web_host_webview.h"

#include <webview/webview.h>

#include <memory>
#include <optional>
#include <utility>

#include "app/library_windows_win32.h"
#include "app/web_process_failure_win32.h"
#include "app/web_process_recovery.h"

namespace {

// In this release only the constructor raises webview::exception; the other
// operations return results, and the shell ignores their errors.
class WebviewHost final : public WebHost {
public:
    // Developer tools off, no parent: the library creates and owns the window.
    WebviewHost() try : view_(false, nullptr) {
        const auto controller = view_.browser_controller();
        failureWatch_ = std::make_unique<WebProcessFailureWatch>(
            controller.ok() ? static_cast<ICoreWebView2Controller*>(controller.value()) : nullptr,
            [this](WebProcessFailureWatch::Loss loss) { recoverFrom(loss); });
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
    void navigate(const std::string& url) override {
        startUrl_ = url;
        view_.navigate(url);
    }
    // Throws WebHostError when the engine died under the page.
    void run() override {
        view_.run();
        if (failure_) throw WebHostError(*failure_);
    }
    void terminate() override { view_.terminate(); }
    void evaluateScript(const std::string& script) override { view_.eval(script); }

private:
    void recoverFrom(WebProcessFailureWatch::Loss loss) {
        // The library is on disk, so a fresh start page brings the player
        // back; a page that dies again at once would only loop.
        if (loss == WebProcessFailureWatch::Loss::Page && !startUrl_.empty() &&
            recovery_.shouldReloadAfterDeathAt(WebProcessRecovery::Clock::now())) {
            view_.navigate(startUrl_);
            return;
        }
        failure_ = loss == WebProcessFailureWatch::Loss::Page ? "The web process crashed."
                                                               : "The browser process exited.";
        view_.terminate();
    }

    webview::webview view_;
    // Declared after the view, so it lets go of the view's event first.
    std::unique_ptr<WebProcessFailureWatch> failureWatch_;
    std::string startUrl_;
    WebProcessRecovery recovery_;
    std::optional<std::string> failure_;
};

}  // namespace

std::unique_ptr<WebHost> createWebviewHost() { return std::make_unique<WebviewHost>(); }
