#pragma once

#include <optional>

namespace nerimo {

// The frequency of the trace point drawn at plot column x, in MHz, for a plot of startMHz to
// endMHz with pixelsPerStep columns a step; nothing when it lies outside startMHz..endMHz. Each
// point owns the columns that begin at its own x.
std::optional<double> FrequencyAtX(double x, double startMHz, double endMHz, int pixelsPerStep);

// The same for a column already taken from the left margin (x - 36).
std::optional<double> FrequencyAtOffset(double offset, double startMHz, double endMHz,
                                        int pixelsPerStep);

}  // namespace nerimo
