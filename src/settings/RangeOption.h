#pragma once

#include <QString>
#include <optional>

#include "SweepPlan.h"

namespace nerimo {

// "LOW:HIGH[:STEP]" as rtl_power takes it: numbers of Hz with k, M or G after them for thousands,
// millions or milliards ("144M:148M:25k"), the step 12.5k when left out. The sweep goes from LOW
// to HIGH, HIGH included when a whole number of steps away; nothing, with the reason, for a
// range that is not one.
std::optional<SweepPlan> ParseRange(const QString& text, QString* error);

}  // namespace nerimo
