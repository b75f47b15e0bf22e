// The number rule on any text, and the half-to-even rounding of what it reads.
#include <cmath>

#include "NumberRule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const double value = nerimo::ReadNumber(
        QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (std::isnan(value)) {
        __builtin_trap();  // the rule reads a number, an infinity or 0, never "not a number"
    }
    if (const std::optional<int16_t> rounded = nerimo::RoundToInt16(value)) {
        if (std::fabs(value - *rounded) > 0.5) {
            __builtin_trap();
        }
    } else if (std::fabs(value) < 32767.5) {
        __builtin_trap();  // refused a value that fits
    }
    return 0;
}
