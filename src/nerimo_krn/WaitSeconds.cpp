#include "WaitSeconds.h"

namespace nerimo {

void WaitSeconds(platform::Scheduler& scheduler, double seconds, platform::Scheduler::Task then) {
    if (seconds <= 0) {
        then();
        return;
    }
    scheduler.After(seconds, std::move(then));
}

}  // namespace nerimo
