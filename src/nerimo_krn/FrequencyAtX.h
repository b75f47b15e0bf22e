#pragma once

#include <optional>

#include "State.h"

namespace nerimo {

// The frequency of the trace point drawn at plot column x, in MHz; nothing when it lies outside
// StartMHz..EndMHz. Each point owns the PixelsPerStep columns that begin at its own x.
std::optional<double> FrequencyAtX(const State& state, double x);

// The same for a column already taken from the left margin (x - LeftMargin).
std::optional<double> FrequencyAtOffset(const State& state, double offset);

}  // namespace nerimo
