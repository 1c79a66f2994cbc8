#include "app/web_process_recovery.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(WebProcessRecovery, ReloadsOnceThenGivesUpOnASecondDeathWithinThirtySeconds) {
    const auto start = WebProcessRecovery::Clock::time_point{} + 1h;
    struct Case {
        const char* what;
        std::chrono::milliseconds secondDeathAfter;
        bool reloadsAgain;
    };
    for (const Case& c : {Case{"at once", 0ms, false}, Case{"just inside", 29'999ms, false},
                          Case{"at thirty seconds", 30'000ms, true}, Case{"hours later", 3h, true}}) {
        WebProcessRecovery recovery;
        EXPECT_TRUE(recovery.shouldReloadAfterDeathAt(start)) << c.what;
        EXPECT_EQ(recovery.shouldReloadAfterDeathAt(start + c.secondDeathAfter), c.reloadsAgain) << c.what;
    }
}

TEST(WebProcessRecovery, TheGraceRunsFromTheLatestDeath) {
    const auto start = WebProcessRecovery::Clock::time_point{} + 1h;
    WebProcessRecovery recovery;
    EXPECT_TRUE(recovery.shouldReloadAfterDeathAt(start));
    EXPECT_TRUE(recovery.shouldReloadAfterDeathAt(start + 40s));
    EXPECT_FALSE(recovery.shouldReloadAfterDeathAt(start + 50s));
}
