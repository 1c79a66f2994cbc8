#include "bridge/action_dispatcher.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

class RecordingActions : public NativeActions {
public:
    std::vector<std::string> calls;
    bool throwOnClose = false;

    void closeWindow() override {
        calls.push_back("close");
        if (throwOnClose) throw std::runtime_error("boom");
    }
    void minimizeWindow() override { calls.push_back("minimize"); }
    void maximizeOrRestoreWindow() override { calls.push_back("maximize"); }
    void toggleAlwaysOnTop() override { calls.push_back("topmost"); }
    void pickAudioFiles() override { calls.push_back("pick"); }
    void importMusicFolder() override { calls.push_back("folder"); }
};

std::vector<std::string> actionsRunFor(std::string_view request) {
    RecordingActions actions;
    EXPECT_EQ(dispatchNativeAction(request, actions), R"({"status":"ok"})") << request;
    return actions.calls;
}

using Calls = std::vector<std::string>;

}  // namespace

TEST(ActionDispatcher, RunsTheActionOfEachOfTheEightNames) {
    EXPECT_EQ(actionsRunFor(R"(["closeWindow"])"), Calls{"close"});
    EXPECT_EQ(actionsRunFor(R"(["minimizeWindow"])"), Calls{"minimize"});
    EXPECT_EQ(actionsRunFor(R"(["maximizeWindow"])"), Calls{"maximize"});
    EXPECT_EQ(actionsRunFor(R"(["zoomWindow"])"), Calls{"maximize"});
    EXPECT_EQ(actionsRunFor(R"(["setAlwaysOnTop"])"), Calls{"topmost"});
    EXPECT_EQ(actionsRunFor(R"(["openFile"])"), Calls{"pick"});
    EXPECT_EQ(actionsRunFor(R"(["openFolder"])"), Calls{"folder"});
    EXPECT_EQ(actionsRunFor(R"(["autoScanMusic"])"), Calls{"folder"});
}

TEST(ActionDispatcher, FindsAQuotedNameAnywhereInTheRequest) {
    EXPECT_EQ(actionsRunFor(R"([42,"zoomWindow"])"), Calls{"maximize"});
    EXPECT_EQ(actionsRunFor(R"([{"what":"openFile"}])"), Calls{"pick"});
    EXPECT_EQ(actionsRunFor(R"([[["setAlwaysOnTop"]],true])"), Calls{"topmost"});
}

TEST(ActionDispatcher, TheEarlierNameInTheTableWinsWhateverTheRequestOrder) {
    EXPECT_EQ(actionsRunFor(R"(["openFile","minimizeWindow"])"), Calls{"minimize"});
    EXPECT_EQ(actionsRunFor(R"(["minimizeWindow","openFile"])"), Calls{"minimize"});
    EXPECT_EQ(actionsRunFor(R"(["autoScanMusic","closeWindow"])"), Calls{"close"});
}

TEST(ActionDispatcher, IgnoresAnythingButAnExactQuotedName) {
    const std::string_view unrecognised[] = {
        "",
        "[]",
        "[closeWindow]",
        R"(["CloseWindow"])",
        R"(["closewindow"])",
        R"(["please closeWindow now"])",
        R"(["say \"openFile\""])",  // quoted inside a string: the quotes arrive escaped
        R"(["openFiles"])",
        R"([null])",
        "not json at all",
    };
    for (const auto request : unrecognised) {
        EXPECT_EQ(actionsRunFor(request), Calls{}) << request;
    }
    // "openFile" does not occur in a request naming "openFolder".
    EXPECT_EQ(actionsRunFor(R"(["openFolder"])"), Calls{"folder"});
}

TEST(ActionDispatcher, AFailingActionStillGetsTheUsualReply) {
    RecordingActions actions;
    actions.throwOnClose = true;
    EXPECT_EQ(dispatchNativeAction(R"(["closeWindow"])", actions), R"({"status":"ok"})");
    EXPECT_EQ(actions.calls, Calls{"close"});
}
