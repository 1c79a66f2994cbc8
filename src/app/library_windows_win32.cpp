#include "app/library_windows_win32.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace {

// The library's own window classes (0.12.0): the top-level window, the
// widget that holds the browser, and its message-only window.
constexpr const wchar_t* kTopLevelClass = L"webview";
constexpr const wchar_t* kMessageClass = L"webview_message";

bool hasClass(HWND window, const wchar_t* className) {
    wchar_t name[64]{};
    return GetClassNameW(window, name, 64) > 0 && std::wcscmp(name, className) == 0;
}

void forgetEngine(HWND window) { SetWindowLongPtrW(window, GWLP_USERDATA, 0); }

BOOL CALLBACK forgetEngineOfChild(HWND child, LPARAM) {
    forgetEngine(child);
    return TRUE;
}

BOOL CALLBACK collectTopLevel(HWND window, LPARAM found) {
    if (hasClass(window, kTopLevelClass)) reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

}  // namespace

void destroyLeftoverLibraryWindows() {
    const DWORD thread = GetCurrentThreadId();
    std::vector<HWND> windows;
    EnumThreadWindows(thread, collectTopLevel, reinterpret_cast<LPARAM>(&windows));
    // Message-only windows are not enumerated with the others.
    for (HWND message = nullptr; (message = FindWindowExW(HWND_MESSAGE, message, kMessageClass, nullptr));) {
        if (GetWindowThreadProcessId(message, nullptr) == thread) windows.push_back(message);
    }
    for (HWND window : windows) {
        EnumChildWindows(window, forgetEngineOfChild, 0);
        forgetEngine(window);
        DestroyWindow(window);
    }
}
