#pragma once

#include <QByteArray>
#include <cmath>

namespace nerimo {

// The sweep's step: 12.5 kHz.
inline constexpr long long kStepHz = 12500;
inline constexpr double kStepMHz = 0.0125;

inline long long Hertz(double mhz) {
    return std::llround(mhz * 1e6);
}

// The frequency as the receiver is tuned to it and the tuned label shows it: megahertz with a
// "." and four decimals, rounded to the nearest, whatever the locale (145.1250, 0.1000,
// 1000.0000).
inline QByteArray FreqText(long long hertz) {
    const long long hundreds = (hertz + 50) / 100;  // the last decimal's unit
    return QByteArray::number(hundreds / 10000) + '.' +
           QByteArray::number(hundreds % 10000).rightJustified(4, '0');
}

}  // namespace nerimo
