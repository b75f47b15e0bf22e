#include "BandModel.h"

#include <QList>
#include <algorithm>
#include <cmath>

namespace nerimo::sim {

namespace {

constexpr int kHighestLevel = 16;
constexpr double kStepMHz = 0.0125;

// A fixed pseudo-random level per frequency step, so the noise looks like noise yet every sweep
// of the same band sees the same floor.
int NoiseAt(double mhz, int floor) {
    if (floor <= 0) {
        return 0;
    }
    // SplitMix64's finaliser: neighbouring steps get unrelated bits, so no runs of one level.
    auto step = static_cast<quint64>(std::llround(mhz / kStepMHz));
    step = (step ^ (step >> 30)) * 0xbf58476d1ce4e5b9ULL;
    step = (step ^ (step >> 27)) * 0x94d049bb133111ebULL;
    step ^= step >> 31;
    return static_cast<int>(step % static_cast<quint64>(floor + 1));
}

bool ReadDouble(const QByteArray& word, double* value) {
    bool ok = false;
    *value = word.toDouble(&ok);  // always "." as the separator
    return ok && std::isfinite(*value);
}

}  // namespace

BandModel BandModel::Demo() {
    BandModel band;
    band.noiseFloor_ = 1;
    band.signals_ = {
        {145.3000, 25.0, 9, 0.0},   {145.5000, 12.5, 14, 0.0}, {145.8000, 12.5, 7, 4.0},
        {147.0250, 50.0, 11, 0.0},  {149.3500, 25.0, 15, 0.0}, {151.2000, 100.0, 6, 0.0},
        {152.6000, 12.5, 16, 10.0},
    };
    return band;
}

std::optional<BandModel> BandModel::Parse(const QByteArray& text, QString* error) {
    BandModel band;
    int lineNumber = 0;
    for (QByteArray line : text.split('\n')) {
        ++lineNumber;
        if (const qsizetype hash = line.indexOf('#'); hash >= 0) {
            line.truncate(hash);
        }
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() == 1 && words[0].isEmpty()) {
            continue;
        }
        const auto fail = [&](const QString& why) {
            *error = QStringLiteral("line %1: %2").arg(lineNumber).arg(why);
            return std::nullopt;
        };
        if (words[0] == "noise") {
            bool ok = false;
            const int floor = words.size() == 2 ? words[1].toInt(&ok) : -1;
            if (!ok || floor < 0 || floor > kHighestLevel) {
                return fail(QStringLiteral("noise takes one level from 0 to 16"));
            }
            band.noiseFloor_ = floor;
            continue;
        }
        Signal signal;
        bool ok = words.size() == 3 || words.size() == 4;
        ok = ok && ReadDouble(words[0], &signal.centreMHz) &&
             ReadDouble(words[1], &signal.widthKHz) && signal.widthKHz > 0;
        signal.peak = ok ? words[2].toInt(&ok) : 0;
        ok = ok && signal.peak >= 1 && signal.peak <= kHighestLevel;
        if (ok && words.size() == 4) {
            ok = ReadDouble(words[3], &signal.periodSeconds);
        }
        if (!ok) {
            return fail(QStringLiteral("expected: centre-MHz width-kHz peak(1-16) [period-s]"));
        }
        band.signals_ << signal;
    }
    return band;
}

int BandModel::LevelAt(double mhz, double seconds) const {
    int level = NoiseAt(mhz, noiseFloor_);
    for (const Signal& signal : signals_) {
        if (signal.periodSeconds != 0) {
            // Even periods are "on" for a positive period, "off" for a negative one.
            const auto period =
                static_cast<long long>(std::floor(seconds / std::abs(signal.periodSeconds)));
            if ((period % 2 == 0) != (signal.periodSeconds > 0)) {
                continue;
            }
        }
        const double halfWidthMHz = signal.widthKHz / 2000.0;
        const double distance = std::abs(mhz - signal.centreMHz);
        // Within half a step of the centre the whole peak shows; it falls off linearly outside.
        if (distance > halfWidthMHz + kStepMHz / 2) {
            continue;
        }
        const double fraction = std::max(
            0.0, 1.0 - std::max(0.0, distance - kStepMHz / 2) / (halfWidthMHz + kStepMHz / 2));
        level = std::max(level, static_cast<int>(std::lround(signal.peak * fraction)));
    }
    return std::clamp(level, 0, kHighestLevel);
}

}  // namespace nerimo::sim
