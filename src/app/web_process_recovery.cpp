#include "app/web_process_recovery.h"

bool WebProcessRecovery::shouldReloadAfterDeathAt(Clock::time_point when) {
    const bool soonAfterAnother = lastDeath_ && when - *lastDeath_ < kGracePeriod;
    lastDeath_ = when;
    return !soonAfterAnother;
}
