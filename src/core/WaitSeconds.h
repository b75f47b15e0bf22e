#pragma once

#include "Scheduler.h"

namespace nerimo {

// Goes on with `then` once the given seconds have passed, never earlier; window events run in the
// meantime and the processor idles. A wait of 0 or less goes on at once, with no events run.
void WaitSeconds(Scheduler& scheduler, double seconds, Scheduler::Task then);

}  // namespace nerimo
