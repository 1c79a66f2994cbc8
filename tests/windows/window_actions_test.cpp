// Window actions on a real wine window, asked for the way the page asks.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/native_action_handler.h"
#include "bridge/window_state.h"

namespace {

class QuietHost : public WebHost {
public:
    void setTitle(const std::string&) override {}
    void setSize(int, int) override {}
    void* nativeWindow() override { return nullptr; }
    void bind(const std::string&, NativeActionHandler) override {}
    void navigate(const std::string&) override {}
    void run() override {}
    void terminate() override { ++terminateCalls; }
    void evaluateScript(const std::string&) override {}
    int terminateCalls = 0;
};

// What reached the window procedure of each z-order change.
std::vector<WINDOWPOS> g_zOrderRequests;

LRESULT CALLBACK recordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_WINDOWPOSCHANGING) {
        const WINDOWPOS& change = *reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!(change.flags & SWP_NOZORDER)) g_zOrderRequests.push_back(change);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class WindowActions : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = recordingProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"SonabelWindowActionsTest";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, windowClass.lpszClassName, L"Sonabel", WS_OVERLAPPEDWINDOW, 40, 40, 400, 300,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(window_, nullptr) << "no window: is there a display?";
        ShowWindow(window_, SW_SHOWNORMAL);
        g_zOrderRequests.clear();
        g_alwaysOnTop = false;
    }
    void TearDown() override {
        g_mainWindow = nullptr;
        g_alwaysOnTop = false;
        if (window_) DestroyWindow(window_);
    }

    std::string ask(const std::string& request) { return handler_(request); }
    bool topmost() const { return (GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

    HWND window_ = nullptr;
    QuietHost host_;
    NativeActionHandler handler_ = makeNativeActionHandler(host_);
};

}  // namespace

TEST_F(WindowActions, ZoomTwiceMaximisesThenRestoresLikeMaximize) {
    g_mainWindow = window_;
    for (const char* request : {R"(["zoomWindow"])", R"(["maximizeWindow"])"}) {
        EXPECT_EQ(ask(request), R"({"status":"ok"})");
        EXPECT_TRUE(IsZoomed(window_)) << request;
        ask(request);
        EXPECT_FALSE(IsZoomed(window_)) << request;
        EXPECT_FALSE(IsIconic(window_)) << request;
    }
}

TEST_F(WindowActions, MinimiseStaysMinimisedAndMaximiseBringsItBackMaximised) {
    g_mainWindow = window_;
    ask(R"(["minimizeWindow"])");
    EXPECT_TRUE(IsIconic(window_));
    ask(R"(["minimizeWindow"])");
    EXPECT_TRUE(IsIconic(window_));
    ask(R"([1,"zoomWindow"])");
    EXPECT_FALSE(IsIconic(window_));
    EXPECT_TRUE(IsZoomed(window_));
}

TEST_F(WindowActions, KeepAboveTogglesWithEveryCallWhateverTheArgument) {
    g_mainWindow = window_;
    RECT before{};
    GetWindowRect(window_, &before);

    ask(R"(["setAlwaysOnTop"])");
    EXPECT_TRUE(g_alwaysOnTop);
    EXPECT_TRUE(topmost());
    ask(R"(["setAlwaysOnTop",true])");
    EXPECT_FALSE(g_alwaysOnTop);
    EXPECT_FALSE(topmost());
    ask(R"(["setAlwaysOnTop",false])");
    EXPECT_TRUE(g_alwaysOnTop);
    EXPECT_TRUE(topmost());

    // Same place and size, and the window is activated as it moves up.
    ASSERT_EQ(g_zOrderRequests.size(), 3u);
    const HWND expectedAfter[] = {HWND_TOPMOST, HWND_NOTOPMOST, HWND_TOPMOST};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(g_zOrderRequests[i].hwndInsertAfter, expectedAfter[i]) << i;
        EXPECT_EQ(g_zOrderRequests[i].flags & (SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE), SWP_NOSIZE | SWP_NOMOVE) << i;
    }
    RECT after{};
    GetWindowRect(window_, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(WindowActions, WithNoWindowStoredNothingHappensAndTheFlagStays) {
    g_mainWindow = nullptr;
    for (const char* request : {R"(["minimizeWindow"])", R"(["maximizeWindow"])", R"(["zoomWindow"])",
                                R"(["setAlwaysOnTop"])"}) {
        EXPECT_EQ(ask(request), R"({"status":"ok"})") << request;
    }
    EXPECT_FALSE(g_alwaysOnTop);
    EXPECT_FALSE(IsIconic(window_));
    EXPECT_FALSE(IsZoomed(window_));
    EXPECT_FALSE(topmost());

    // Closing needs only the host.
    ask(R"(["closeWindow"])");
    EXPECT_EQ(host_.terminateCalls, 1);
}
