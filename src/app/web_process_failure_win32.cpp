#include "app/web_process_failure_win32.h"

#include <atomic>
#include <utility>

// The event handler WebView2 calls; reference counted, as COM objects are,
// since the view holds it while it is registered.
class WebProcessFailureWatch::EventHandler final : public ICoreWebView2ProcessFailedEventHandler {
public:
    explicit EventHandler(Handler handler) : handler_(std::move(handler)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ICoreWebView2ProcessFailedEventHandler)) {
            *out = static_cast<ICoreWebView2ProcessFailedEventHandler*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2*, ICoreWebView2ProcessFailedEventArgs* arguments) override {
        COREWEBVIEW2_PROCESS_FAILED_KIND kind{};
        if (!arguments || FAILED(arguments->get_ProcessFailedKind(&kind))) return S_OK;
        if (kind == COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED) {
            handler_(Loss::Page);
        } else if (kind == COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED) {
            handler_(Loss::Browser);
        }
        return S_OK;
    }

private:
    Handler handler_;
    std::atomic<ULONG> references_{1};
};

WebProcessFailureWatch::WebProcessFailureWatch(ICoreWebView2Controller* controller, Handler handler) {
    if (!controller || FAILED(controller->get_CoreWebView2(&view_)) || !view_) {
        view_ = nullptr;
        return;
    }
    handler_ = new EventHandler(std::move(handler));
    if (FAILED(view_->add_ProcessFailed(handler_, &token_))) {
        handler_->Release();
        handler_ = nullptr;
    }
}

WebProcessFailureWatch::~WebProcessFailureWatch() {
    if (view_ && handler_) view_->remove_ProcessFailed(token_);
    if (handler_) handler_->Release();
    if (view_) view_->Release();
}
