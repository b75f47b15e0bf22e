#pragma once

#include <QString>
#include <optional>

namespace nerimo {

// A frequency as a user types it: "145.5" and "145.5M" or "145.5 MHz" are megahertz, "145500k"
// or "145500 kHz" kilohertz, "145500000" or "145500000 Hz" hertz; a number alone is megahertz
// below 100000 and hertz from there on. The units in any letter case, "." the decimal point. In
// Hz, rounded to the nearest; nothing, with the reason, for anything else or for a frequency
// outside 1 Hz to 100 GHz (what the lockouts file takes).
std::optional<long long> ParseFrequency(const QString& text, QString* error);

}  // namespace nerimo
