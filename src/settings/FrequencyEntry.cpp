#include "FrequencyEntry.h"

#include <QRegularExpression>
#include <cmath>

#include "LockoutsFile.h"

namespace nerimo {

namespace {

// A number alone from here on is hertz: as megahertz, it would be past 100 GHz.
constexpr double kLowestBareHertz = 100000;

}  // namespace

std::optional<long long> ParseFrequency(const QString& text, QString* error) {
    static const QRegularExpression entry(
        QStringLiteral("^([0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)\\s*(hz|k|khz|m|mhz)?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QString trimmed = text.trimmed();
    const QRegularExpressionMatch match = entry.match(trimmed);
    if (!match.hasMatch()) {
        *error = QStringLiteral(
                     "\"%1\" is not a frequency: give it in MHz (145.5 or 145.5 MHz), kHz "
                     "(145500k) or Hz (145500000).")
                     .arg(trimmed);
        return std::nullopt;
    }
    const double number = match.captured(1).toDouble();
    const QString unit = match.captured(2).toLower();
    const double scale = unit == QLatin1String("hz")                         ? 1
                         : unit.startsWith('k')                              ? 1e3
                         : unit.startsWith('m') || number < kLowestBareHertz ? 1e6
                                                                             : 1;
    // Compared before it is rounded, so that no number of many digits overflows the rounding.
    const double hertz = number * scale;
    if (hertz < 0.5 || hertz >= double(kHighestFileHz) + 0.5) {
        *error = QStringLiteral("%1 is outside 1 Hz to 100 GHz.").arg(trimmed);
        return std::nullopt;
    }
    return std::llround(hertz);
}

}  // namespace nerimo
