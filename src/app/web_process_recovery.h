#pragma once
// What a death of the web process (a crash, its memory limit) leads to. The
// page's storage is on disk, so a reload brings the player back whole; but a
// page that kills its process again at once would loop, so a second death
// within the grace period ends the run as any other host failure does.

#include <chrono>
#include <optional>

class WebProcessRecovery {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kGracePeriod{30};

    // True to reload the start page, false to give up.
    bool shouldReloadAfterDeathAt(Clock::time_point when);

private:
    std::optional<Clock::time_point> lastDeath_;
};
