#include "app/startup.h"

#include <gtest/gtest.h>

#include <optional>

#include "bridge/window_state.h"

namespace {

struct HostLog {
    std::vector<std::string> calls;
    NativeActionHandler handler;
    NativeWindow windowAtBind = nullptr;
    bool hostAlive = false;
    std::optional<std::string> failAt;
};

// A host that records what start-up asks of it and can fail at any step.
class ScriptedHost : public WebHost {
public:
    explicit ScriptedHost(HostLog& log) : log_(log) {
        step("create");
        log_.hostAlive = true;
    }
    ~ScriptedHost() override { log_.hostAlive = false; }

    void setTitle(const std::string& title) override { step("title " + title); }
    void setSize(int width, int height) override { step("size " + std::to_string(width) + "x" + std::to_string(height)); }
    void* nativeWindow() override {
        step("window");
        return &window_;
    }
    void bind(const std::string& name, NativeActionHandler handler) override {
        log_.windowAtBind = g_mainWindow;
        log_.handler = std::move(handler);
        step("bind " + name);
    }
    void navigate(const std::string& url) override { step("navigate " + url); }
    void run() override {
        step("run");
        // The page closes the window through its handler, as a real page would.
        log_.handler(R"(["closeWindow"])");
    }
    void terminate() override { log_.calls.push_back("terminate"); }
    void evaluateScript(const std::string& script) override { log_.calls.push_back("eval " + script); }

    static inline int window_ = 0;

private:
    void step(const std::string& name) {
        log_.calls.push_back(name);
        if (log_.failAt && name.rfind(*log_.failAt, 0) == 0) throw WebHostError("step " + *log_.failAt + " failed");
    }
    HostLog& log_;
};

struct StartupRun {
    int exitCode;
    std::vector<std::string> reports;
    bool hostAliveAtReport = false;
};

StartupRun runWith(HostLog& log) {
    StartupRun run{};
    run.exitCode = runStartupSequence([&] { return std::make_unique<ScriptedHost>(log); }, "file:///start/index.html",
                                      [&](const std::string& text) {
                                          run.reports.push_back(text);
                                          run.hostAliveAtReport = log.hostAlive;
                                      });
    return run;
}

}  // namespace

TEST(StartupSequence, ConfiguresTheHostInOrderAndEndsWithZero) {
    g_mainWindow = nullptr;
    HostLog log;
    const StartupRun run = runWith(log);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.reports.empty());
    EXPECT_EQ(log.calls, (std::vector<std::string>{"create", "title Sonabel", "size 860x640", "window",
                                                   "bind sendNativeAction", "navigate file:///start/index.html", "run",
                                                   "terminate"}));
    EXPECT_EQ(static_cast<void*>(log.windowAtBind), static_cast<void*>(&ScriptedHost::window_));
    EXPECT_FALSE(log.hostAlive);
    EXPECT_EQ(log.handler(R"(["noSuchAction"])"), R"({"status":"ok"})");
}

TEST(StartupSequence, AHostFailureAtAnyStepIsReportedOnceAfterTheHostIsGone) {
    for (const char* failingStep : {"create", "title", "size", "window", "bind", "navigate", "run"}) {
        HostLog log;
        log.failAt = failingStep;
        const StartupRun run = runWith(log);
        EXPECT_EQ(run.exitCode, 1) << failingStep;
        ASSERT_EQ(run.reports.size(), 1u) << failingStep;
        EXPECT_EQ(run.reports[0], std::string("Sonabel failed to initialize WebView2:\n\nstep ") + failingStep +
                                      " failed\n\nPlease ensure Microsoft Edge WebView2 is installed.");
        EXPECT_FALSE(run.hostAliveAtReport) << failingStep;
    }
}

TEST(StartupSequence, OtherExceptionsAreNotTakenForAHostFailure) {
    EXPECT_THROW(runStartupSequence([]() -> std::unique_ptr<WebHost> { throw std::logic_error("not the host"); }, "x",
                                    [](const std::string&) { FAIL() << "reported"; }),
                 std::logic_error);
}
