// Environment, controller, view, settings and event arguments: the WebView2
// objects the webview library uses, each call reported to the test. No page
// is loaded and no script runs here: the test sees the texts the library
// submits, and may hand them to a real browser of its own (see
// tests/windows_program/support/browser_engine.mjs).
#include "standin_objects.h"

#include <map>
#include <string>
#include <vector>

#include "standin_channel.h"

namespace standin {

namespace {

HWND g_widget = nullptr;
ICoreWebView2WebMessageReceivedEventHandler* g_messageHandler = nullptr;
ICoreWebView2PermissionRequestedEventHandler* g_permissionHandler = nullptr;
ICoreWebView2ProcessFailedEventHandler* g_processFailedHandler = nullptr;
int g_scriptCount = 0;
// Script completions the test has not answered yet, by the id it was told.
std::map<int, ICoreWebView2ExecuteScriptCompletedHandler*> g_pendingScripts;
int g_executeCount = 0;

LPWSTR taskMemoryCopy(std::wstring_view text) {
    auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
    if (copy) {
        std::memcpy(copy, text.data(), text.size() * sizeof(wchar_t));
        copy[text.size()] = L'\0';
    }
    return copy;
}

std::wstring wide(std::string_view text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size);
    return out;
}

// Settings.
HRESULT STDMETHODCALLTYPE putDevTools(ICoreWebView2Settings*, BOOL enabled) {
    Report("put_AreDevToolsEnabled").number("value", enabled).send();
    return S_OK;
}
HRESULT STDMETHODCALLTYPE putStatusBar(ICoreWebView2Settings*, BOOL enabled) {
    Report("put_IsStatusBarEnabled").number("value", enabled).send();
    return S_OK;
}
const ICoreWebView2SettingsVtbl kSettingsTable = [] {
    auto table = unexpectedTable<ICoreWebView2SettingsVtbl>();
    table.put_AreDevToolsEnabled = putDevTools;
    table.put_IsStatusBarEnabled = putStatusBar;
    return table;
}();
ICoreWebView2Settings g_settings{const_cast<ICoreWebView2SettingsVtbl*>(&kSettingsTable)};

// The view.
HRESULT STDMETHODCALLTYPE getSettings(ICoreWebView2*, ICoreWebView2Settings** settings) {
    Report("get_Settings").send();
    *settings = &g_settings;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE navigate(ICoreWebView2*, LPCWSTR uri) {
    Report("Navigate").text("uri", uri).send();
    return S_OK;
}
HRESULT STDMETHODCALLTYPE navigateToString(ICoreWebView2*, LPCWSTR html) {
    Report("NavigateToString").text("html", html).send();
    return S_OK;
}
HRESULT STDMETHODCALLTYPE addScript(ICoreWebView2*, LPCWSTR script,
                                    ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* done) {
    const std::wstring id = L"script-" + std::to_wstring(++g_scriptCount);
    Report("AddScriptToExecuteOnDocumentCreated").text("script", script).text("id", id).send();
    // The library waits, pumping messages, for the id.
    later([done, id] { done->lpVtbl->Invoke(done, S_OK, id.c_str()); });
    return S_OK;
}
HRESULT STDMETHODCALLTYPE removeScript(ICoreWebView2*, LPCWSTR id) {
    Report("RemoveScriptToExecuteOnDocumentCreated").text("id", id).send();
    return S_OK;
}
HRESULT STDMETHODCALLTYPE executeScript(ICoreWebView2*, LPCWSTR script, ICoreWebView2ExecuteScriptCompletedHandler* done) {
    const int id = ++g_executeCount;
    Report("ExecuteScript").text("script", script).number("handler", done != nullptr).number("id", id).send();
    // Answered when a browser behind the test has run the script.
    if (done) {
        done->lpVtbl->AddRef(done);
        g_pendingScripts[id] = done;
    }
    return S_OK;
}
HRESULT STDMETHODCALLTYPE addMessageHandler(ICoreWebView2*, ICoreWebView2WebMessageReceivedEventHandler* handler,
                                            EventRegistrationToken* token) {
    Report("add_WebMessageReceived").send();
    handler->lpVtbl->AddRef(handler);
    g_messageHandler = handler;
    token->value = 1;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE addPermissionHandler(ICoreWebView2*, ICoreWebView2PermissionRequestedEventHandler* handler,
                                               EventRegistrationToken* token) {
    Report("add_PermissionRequested").send();
    handler->lpVtbl->AddRef(handler);
    g_permissionHandler = handler;
    token->value = 2;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE addProcessFailedHandler(ICoreWebView2*, ICoreWebView2ProcessFailedEventHandler* handler,
                                                  EventRegistrationToken* token) {
    Report("add_ProcessFailed").send();
    handler->lpVtbl->AddRef(handler);
    g_processFailedHandler = handler;
    token->value = 3;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE removeProcessFailedHandler(ICoreWebView2*, EventRegistrationToken token) {
    Report("remove_ProcessFailed").number("token", token.value).send();
    if (token.value == 3 && g_processFailedHandler) {
        g_processFailedHandler->lpVtbl->Release(g_processFailedHandler);
        g_processFailedHandler = nullptr;
    }
    return S_OK;
}
const ICoreWebView2Vtbl kViewTable = [] {
    auto table = unexpectedTable<ICoreWebView2Vtbl>();
    table.get_Settings = getSettings;
    table.Navigate = navigate;
    table.NavigateToString = navigateToString;
    table.AddScriptToExecuteOnDocumentCreated = addScript;
    table.RemoveScriptToExecuteOnDocumentCreated = removeScript;
    table.ExecuteScript = executeScript;
    table.add_WebMessageReceived = addMessageHandler;
    table.add_PermissionRequested = addPermissionHandler;
    table.add_ProcessFailed = addProcessFailedHandler;
    table.remove_ProcessFailed = removeProcessFailedHandler;
    return table;
}();
ICoreWebView2 g_view{const_cast<ICoreWebView2Vtbl*>(&kViewTable)};

// The controller.
HRESULT STDMETHODCALLTYPE getView(ICoreWebView2Controller*, ICoreWebView2** view) {
    Report("get_CoreWebView2").send();
    *view = &g_view;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE putBounds(ICoreWebView2Controller*, RECT bounds) {
    Report("put_Bounds")
        .number("left", bounds.left)
        .number("top", bounds.top)
        .number("right", bounds.right)
        .number("bottom", bounds.bottom)
        .send();
    return S_OK;
}
HRESULT STDMETHODCALLTYPE putVisible(ICoreWebView2Controller*, BOOL visible) {
    Report("put_IsVisible").number("value", visible).send();
    return S_OK;
}
HRESULT STDMETHODCALLTYPE moveFocus(ICoreWebView2Controller*, COREWEBVIEW2_MOVE_FOCUS_REASON reason) {
    Report("MoveFocus").number("reason", reason).send();
    return S_OK;
}
const ICoreWebView2ControllerVtbl kControllerTable = [] {
    auto table = unexpectedTable<ICoreWebView2ControllerVtbl>();
    table.get_CoreWebView2 = getView;
    table.put_Bounds = putBounds;
    table.put_IsVisible = putVisible;
    table.MoveFocus = moveFocus;
    return table;
}();
ICoreWebView2Controller g_controller{const_cast<ICoreWebView2ControllerVtbl*>(&kControllerTable)};

// The environment.
HRESULT STDMETHODCALLTYPE createController(ICoreWebView2Environment*, HWND parent,
                                           ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* done) {
    wchar_t className[64]{};
    GetClassNameW(parent, className, 64);
    Report("CreateCoreWebView2Controller").text("parentClass", className).send();
    g_widget = parent;
    const HRESULT outcome = setup().controller;
    later([done, outcome] {
        done->lpVtbl->Invoke(done, outcome, SUCCEEDED(outcome) ? &g_controller : nullptr);
    });
    return S_OK;
}
const ICoreWebView2EnvironmentVtbl kEnvironmentTable = [] {
    auto table = unexpectedTable<ICoreWebView2EnvironmentVtbl>();
    table.CreateCoreWebView2Controller = createController;
    return table;
}();
ICoreWebView2Environment g_environment{const_cast<ICoreWebView2EnvironmentVtbl*>(&kEnvironmentTable)};

// Event arguments, alive for the one event.
struct MessageArguments {
    ICoreWebView2WebMessageReceivedEventArgs face;
    std::wstring message;
};
HRESULT STDMETHODCALLTYPE messageAsString(ICoreWebView2WebMessageReceivedEventArgs* self, LPWSTR* message) {
    *message = taskMemoryCopy(reinterpret_cast<MessageArguments*>(self)->message);
    return S_OK;
}
const ICoreWebView2WebMessageReceivedEventArgsVtbl kMessageTable = [] {
    auto table = unexpectedTable<ICoreWebView2WebMessageReceivedEventArgsVtbl>();
    table.TryGetWebMessageAsString = messageAsString;
    return table;
}();

struct PermissionArguments {
    ICoreWebView2PermissionRequestedEventArgs face;
    COREWEBVIEW2_PERMISSION_KIND kind;
    COREWEBVIEW2_PERMISSION_STATE state = COREWEBVIEW2_PERMISSION_STATE_DEFAULT;
};
HRESULT STDMETHODCALLTYPE permissionKind(ICoreWebView2PermissionRequestedEventArgs* self,
                                         COREWEBVIEW2_PERMISSION_KIND* kind) {
    *kind = reinterpret_cast<PermissionArguments*>(self)->kind;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE putPermissionState(ICoreWebView2PermissionRequestedEventArgs* self,
                                             COREWEBVIEW2_PERMISSION_STATE state) {
    Report("put_State").number("value", state).send();
    reinterpret_cast<PermissionArguments*>(self)->state = state;
    return S_OK;
}
const ICoreWebView2PermissionRequestedEventArgsVtbl kPermissionTable = [] {
    auto table = unexpectedTable<ICoreWebView2PermissionRequestedEventArgsVtbl>();
    table.get_PermissionKind = permissionKind;
    table.put_State = putPermissionState;
    return table;
}();

struct ProcessFailedArguments {
    ICoreWebView2ProcessFailedEventArgs face;
    COREWEBVIEW2_PROCESS_FAILED_KIND kind;
};
HRESULT STDMETHODCALLTYPE processFailedKind(ICoreWebView2ProcessFailedEventArgs* self,
                                            COREWEBVIEW2_PROCESS_FAILED_KIND* kind) {
    *kind = reinterpret_cast<ProcessFailedArguments*>(self)->kind;
    return S_OK;
}
const ICoreWebView2ProcessFailedEventArgsVtbl kProcessFailedTable = [] {
    auto table = unexpectedTable<ICoreWebView2ProcessFailedEventArgsVtbl>();
    table.get_ProcessFailedKind = processFailedKind;
    return table;
}();

// Commands.
void failProcess(int kind) {
    if (!g_processFailedHandler) return Report("noProcessFailedHandler").send();
    ProcessFailedArguments arguments{{const_cast<ICoreWebView2ProcessFailedEventArgsVtbl*>(&kProcessFailedTable)},
                                     static_cast<COREWEBVIEW2_PROCESS_FAILED_KIND>(kind)};
    g_processFailedHandler->lpVtbl->Invoke(g_processFailedHandler, &g_view, &arguments.face);
    Report("processFailedRaised").number("kind", kind).send();
}

// "<id> <result as JSON>": what the browser made of an ExecuteScript.
void completeScript(const std::string& rest) {
    const auto space = rest.find(' ');
    const auto pending = g_pendingScripts.find(std::atoi(rest.substr(0, space).c_str()));
    if (pending == g_pendingScripts.end()) return;
    ICoreWebView2ExecuteScriptCompletedHandler* done = pending->second;
    g_pendingScripts.erase(pending);
    const std::wstring result = wide(space == std::string::npos ? "null" : rest.substr(space + 1));
    done->lpVtbl->Invoke(done, S_OK, result.c_str());
    done->lpVtbl->Release(done);
}

void deliverPageMessage(std::string_view message) {
    if (!g_messageHandler) return Report("noMessageHandler").send();
    MessageArguments arguments{{const_cast<ICoreWebView2WebMessageReceivedEventArgsVtbl*>(&kMessageTable)},
                               wide(message)};
    g_messageHandler->lpVtbl->Invoke(g_messageHandler, &g_view, &arguments.face);
}

void requestPermission(int kind) {
    if (!g_permissionHandler) return Report("noPermissionHandler").send();
    PermissionArguments arguments{{const_cast<ICoreWebView2PermissionRequestedEventArgsVtbl*>(&kPermissionTable)},
                                  static_cast<COREWEBVIEW2_PERMISSION_KIND>(kind)};
    g_permissionHandler->lpVtbl->Invoke(g_permissionHandler, &g_view, &arguments.face);
    Report("permissionAnswered").number("kind", kind).number("state", arguments.state).send();
}

void reportWindow() {
    const HWND window = GetAncestor(g_widget, GA_ROOT);
    wchar_t title[256]{};
    GetWindowTextW(window, title, 256);
    RECT client{};
    GetClientRect(window, &client);
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    Report("window")
        .text("title", title)
        .number("width", client.right - client.left)
        .number("height", client.bottom - client.top)
        .number("visible", IsWindowVisible(window))
        .number("zoomed", IsZoomed(window))
        .number("iconic", IsIconic(window))
        .number("topmost", (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0)
        .number("resizable", (style & WS_THICKFRAME) != 0 && (style & WS_MAXIMIZEBOX) != 0)
        // The icon the window class carries: null means the system's default.
        .number("icon", GetClassLongPtrW(window, GCLP_HICON) != 0)
        .send();
}

BOOL CALLBACK reportIfVisible(HWND window, LPARAM) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    wchar_t title[256]{}, className[64]{};
    GetWindowTextW(window, title, 256);
    GetClassNameW(window, className, 64);
    Report("visibleWindow").text("title", title).text("class", className).send();
    return TRUE;
}

void runCommand(const std::string& command) {
    const auto space = command.find(' ');
    const std::string name = command.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : command.substr(space + 1);
    if (name == "message") {
        deliverPageMessage(rest);
    } else if (name == "permission") {
        requestPermission(std::atoi(rest.c_str()));
    } else if (name == "processFailed") {
        failProcess(std::atoi(rest.c_str()));
    } else if (name == "scriptResult") {
        completeScript(rest);
    } else if (name == "window") {
        reportWindow();
    } else if (name == "windows") {
        EnumWindows(reportIfVisible, 0);
        Report("windowsListed").send();
    } else {
        Report("unknownCommand").text("command", command).send();
    }
}

}  // namespace

ICoreWebView2Environment* environment() { return &g_environment; }

void serveCommands() { onCommand(runCommand); }

}  // namespace standin
