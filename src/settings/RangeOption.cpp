#include "RangeOption.h"

#include <QStringList>
#include <cmath>

namespace nerimo {

namespace {

constexpr double kHighestHertz = 1e12;  // nothing tunes above a terahertz

// "145.5M" as Hz; nothing when it is not a number with at most one of k, M and G after it.
std::optional<long long> ReadHertz(QString text) {
    double unit = 1;
    if (!text.isEmpty()) {
        const QChar last = text.back();
        unit = last == 'k' || last == 'K' ? 1e3 : last == 'M' ? 1e6 : last == 'G' ? 1e9 : 1;
        if (unit != 1) {
            text.chop(1);
        }
    }
    bool ok = false;
    const double value = text.toDouble(&ok) * unit;
    if (!ok || !std::isfinite(value) || value < 0 || value > kHighestHertz) {
        return std::nullopt;
    }
    return std::llround(value);
}

}  // namespace

std::optional<SweepPlan> ParseRange(const QString& text, QString* error) {
    const QStringList parts = text.split(':');
    std::optional<long long> values[3];
    if (parts.size() == 2 || parts.size() == 3) {
        for (qsizetype i = 0; i < parts.size(); ++i) {
            values[i] = ReadHertz(parts[i].trimmed());
        }
    }
    if (parts.size() < 2 || parts.size() > 3 || !values[0] || !values[1] ||
        (parts.size() == 3 && !values[2])) {
        *error = QStringLiteral(
                     "--range takes LOW:HIGH[:STEP] in Hz, with k, M or G (144M:148M:25k), "
                     "not %1.")
                     .arg(text);
        return std::nullopt;
    }
    const long long step = parts.size() == 3 ? *values[2] : kStepHz;
    if (*values[1] < *values[0]) {
        *error = QStringLiteral("--range %1: HIGH is below LOW.").arg(text);
        return std::nullopt;
    }
    // Rounded to the hertz, 0.4 would be a step of nothing.
    if (step < 1) {
        *error = QStringLiteral("--range %1: the step must be at least 1 Hz.").arg(text);
        return std::nullopt;
    }
    const long long steps = (*values[1] - *values[0]) / step;
    if (steps > 1000000) {
        *error = QStringLiteral("--range %1 has more than a million steps.").arg(text);
        return std::nullopt;
    }
    return BandPlan(*values[0], step, int(steps) + 1);
}

}  // namespace nerimo
