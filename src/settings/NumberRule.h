#pragma once

#include <QByteArrayView>
#include <cstdint>
#include <optional>

namespace nerimo {

// Reads the number at the start of a settings value: an optional sign, digits, an optional "."
// with more digits and an optional exponent (E or D, optional sign, digits); "&H" and "&O" start
// a hexadecimal or octal integer. Tabs anywhere are skipped; reading stops at the first other
// character that cannot continue the number; no number gives 0. The separator is always ".",
// whatever the locale. A value too large for a double reads as an infinity of its sign.
double ReadNumber(QByteArrayView text);

// Rounds to the nearest integer, a half going to the even neighbour (0.5 -> 0, 1.5 -> 2,
// 2.5 -> 2); nothing when the result lies outside lowest..highest.
std::optional<long long> RoundWithin(double value, long long lowest, long long highest);

// The same within 16 bits.
std::optional<int16_t> RoundToInt16(double value);

}  // namespace nerimo
