// The Windows run: the error box in front of MessageBoxA and the exit code.
#include "app/startup_win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct BoxShown {
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};
std::vector<BoxShown> g_boxes;

int WINAPI recordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
    g_boxes.push_back({owner, text, caption, style});
    return IDOK;
}

// A host whose creation fails, as the webview library's can (its other
// operations return results instead), or that closes as a page would.
class ScriptedHost : public WebHost {
public:
    explicit ScriptedHost(std::string failingStep) : failingStep_(std::move(failingStep)) { step("create"); }
    void setTitle(const std::string&) override { step("title"); }
    void setSize(int, int) override { step("size"); }
    void* nativeWindow() override { return nullptr; }
    void bind(const std::string&, NativeActionHandler handler) override { handler_ = std::move(handler); }
    void navigate(const std::string&) override {}
    void run() override {
        step("run");
        handler_(R"(["closeWindow"])");
    }
    void terminate() override {}
    void evaluateScript(const std::string&) override {}

private:
    void step(const std::string& name) {
        if (name == failingStep_) throw WebHostError("WebView2 runtime not found (" + name + ")");
    }
    std::string failingStep_;
    NativeActionHandler handler_;
};

int runFailingAt(const std::string& step) {
    return runSonabel([step] { return std::make_unique<ScriptedHost>(step); }, recordBox);
}

}  // namespace

TEST(WindowsStartup, AHostFailureShowsOneErrorBoxAndEndsWithOne) {
    g_boxes.clear();
    EXPECT_EQ(runFailingAt("create"), 1);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].owner, nullptr);
    EXPECT_EQ(g_boxes[0].text, "Sonabel failed to initialize WebView2:\n\nWebView2 runtime not found (create)"
                               "\n\nPlease ensure Microsoft Edge WebView2 is installed.");
    EXPECT_EQ(g_boxes[0].caption, "Sonabel Error");
    EXPECT_EQ(g_boxes[0].style, 0x10u);
}

TEST(WindowsStartup, AClosedWindowEndsWithZeroAndNoBox) {
    g_boxes.clear();
    EXPECT_EQ(runFailingAt("nothing"), 0);
    EXPECT_TRUE(g_boxes.empty());
}
