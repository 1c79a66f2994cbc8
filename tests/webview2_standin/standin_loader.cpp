// The two functions the webview library looks up in WebView2Loader.dll.
#include "standin_channel.h"
#include "standin_objects.h"

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
GetAvailableCoreWebView2BrowserVersionString(PCWSTR browserFolder, LPWSTR* version) {
    const standin::Setup& setup = standin::setup();
    standin::serveCommands();
    standin::Report("GetAvailableCoreWebView2BrowserVersionString")
        .number("browserFolder", browserFolder != nullptr)
        .send();
    if (!setup.connected || !setup.runtime) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    static constexpr wchar_t kVersion[] = L"1.0.1150.38 stand-in";
    *version = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof kVersion));
    std::memcpy(*version, kVersion, sizeof kVersion);
    return S_OK;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
CreateCoreWebView2EnvironmentWithOptions(PCWSTR browserFolder, PCWSTR userDataFolder,
                                         ICoreWebView2EnvironmentOptions* options,
                                         ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* done) {
    const standin::Setup& setup = standin::setup();
    standin::Report("CreateCoreWebView2EnvironmentWithOptions")
        .number("browserFolder", browserFolder != nullptr)
        .text("userDataFolder", userDataFolder ? userDataFolder : L"")
        .number("options", options != nullptr)
        .send();
    if (FAILED(setup.environment)) return setup.environment;
    standin::later([done] { done->lpVtbl->Invoke(done, S_OK, standin::environment()); });
    return S_OK;
}
