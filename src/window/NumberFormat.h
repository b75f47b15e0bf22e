#pragma once

#include <QString>

namespace nerimo {

// A frequency for the eye: at least one integer digit, no grouping, four decimals rounded to the
// nearest, the decimal separator of the user's locale ("145.0000", or "145,0000").
QString FormatFixed4(double value);

}  // namespace nerimo
