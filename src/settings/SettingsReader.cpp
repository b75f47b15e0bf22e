#include "SettingsReader.h"

#include <algorithm>

#include "NumberRule.h"
#include "StartupError.h"

namespace nerimo {

namespace {

constexpr double kDefaultStartMHz = 145.0;
constexpr double kHighestStartMHzSpan1 = 2035.0;
constexpr double kHighestStartMHzSpan8 = 2028.0;
constexpr int16_t kLongestPause = 10;
constexpr long long kHighestRigModel = 99999;
constexpr long long kFastestRigSpeed = 4000000;
constexpr int16_t kHighestLevel = 16;
constexpr int16_t kLongestSettleMs = 10000;
constexpr int16_t kLongestHang = 30;
constexpr int16_t kLongestPriorityEvery = 60;

enum class Kind { Mode, Whole, Start, Device, Model, Speed, Optional };
struct Key {
    const char* text;
    Kind kind;
    int16_t RawSettings::*whole;
    std::optional<int16_t> RawSettings::*optional = nullptr;
};
// The order in which every line is searched; DEVICE= and those after it are ours, after the
// others.
constexpr Key kKeys[] = {
    {"FM_AM=", Kind::Mode, nullptr},
    {"SPAN=", Kind::Whole, &RawSettings::spanMHz},
    {"MHZ=", Kind::Start, nullptr},
    {"GRID=", Kind::Whole, &RawSettings::grid},
    {"CLEAR_SCREEN=", Kind::Whole, &RawSettings::clearAtStart},
    {"COM=", Kind::Whole, &RawSettings::comPort},
    {"COLOR=", Kind::Whole, &RawSettings::colorIndex},
    {"PAUSE=", Kind::Whole, &RawSettings::pauseSeconds},
    {"DEVICE=", Kind::Device, nullptr},
    {"RIG=", Kind::Model, nullptr},
    {"RIG_SPEED=", Kind::Speed, nullptr},
    {"ACTIVITY=", Kind::Whole, &RawSettings::activityLevel},
    {"SETTLE=", Kind::Optional, nullptr, &RawSettings::settleMs},
    {"HANG=", Kind::Optional, nullptr, &RawSettings::hangSeconds},
    {"PRIORITY_EVERY=", Kind::Optional, nullptr, &RawSettings::priorityEvery},
};

// Upper-cases ASCII letters only, byte for byte, so the upper-cased line keeps the length of the
// line as written and positions found in one are valid in the other.
char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The value of a key: the rest of the line with every CR, LF and space taken out.
QByteArray ValueFrom(const QByteArray& line, qsizetype from) {
    QByteArray value;
    for (qsizetype j = from; j < line.size(); ++j) {
        const char c = line[j];
        if (c != '\r' && c != '\n' && c != ' ') {
            value.append(c);
        }
    }
    return value;
}

// A whole number, rounded half to even; a value outside lowest..highest ends start-up with a
// message that names the key and the file, and says what it takes.
long long ReadWholeNumber(const QString& file, const QByteArray& key, const QByteArray& value,
                          long long lowest, long long highest, const char* range) {
    const std::optional<long long> rounded = RoundWithin(ReadNumber(value), lowest, highest);
    if (!rounded) {
        const QByteArray shown = value.size() > 40 ? value.left(40) + "..." : value;
        throw StartupError(
            QStringLiteral("The settings file gives %1 the value %2, which is outside %3. "
                           "Correct it in %4 and start the program again.")
                .arg(QString::fromLatin1(key), QString::fromLatin1(shown), QLatin1String(range),
                     file));
    }
    return *rounded;
}

}  // namespace

QList<QByteArray> SettingsKeys() {
    QList<QByteArray> keys;
    for (const Key& key : kKeys) {
        keys << key.text;
    }
    return keys;
}

QList<QByteArray> SettingsLines(const QByteArray& bytes) {
    QList<QByteArray> lines;
    qsizetype from = 0;
    while (from < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', from);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        lines << bytes.mid(from, next - from);
        from = next;
    }
    return lines;
}

QList<KeyInLine> KeysIn(const QByteArray& line) {
    QByteArray upper = line;
    std::transform(upper.begin(), upper.end(), upper.begin(), AsciiUpper);
    QList<KeyInLine> found;
    for (const Key& key : kKeys) {
        // Only the first occurrence counts; the value runs to the end of the line.
        if (const qsizetype at = upper.indexOf(key.text); at >= 0) {
            found.append({key.text, at, ValueFrom(line, at + qstrlen(key.text))});
        }
    }
    return found;
}

void ParseSettings(const QByteArray& line, const QString& file, RawSettings& raw) {
    for (const KeyInLine& found : KeysIn(line)) {
        const Key& key = *std::find_if(std::begin(kKeys), std::end(kKeys),
                                       [&](const Key& k) { return found.key == k.text; });
        const QByteArray& value = found.value;
        switch (key.kind) {
            case Kind::Mode:
                raw.modeLetter = value;
                break;
            case Kind::Whole:
                raw.*key.whole = static_cast<int16_t>(ReadWholeNumber(
                    file, found.key, value, INT16_MIN, INT16_MAX, "-32768 to 32767"));
                break;
            case Kind::Start:
                raw.startMHz = ReadNumber(value);
                break;
            case Kind::Device:
                raw.device = value;
                break;
            case Kind::Model:
                // 0 and below choose the receiver's own protocol; Hamlib's models are 1 to 99999.
                raw.rigModel = static_cast<int>(std::max<long long>(
                    0, ReadWholeNumber(file, found.key, value, INT32_MIN, kHighestRigModel,
                                       "1 to 99999 (0 for the receiver's own protocol)")));
                break;
            case Kind::Optional:
                raw.*key.optional = static_cast<int16_t>(ReadWholeNumber(
                    file, found.key, value, INT16_MIN, INT16_MAX, "-32768 to 32767"));
                break;
            case Kind::Speed:
                raw.rigSpeed =
                    static_cast<int>(ReadWholeNumber(file, found.key, value, 0, kFastestRigSpeed,
                                                     "0 to 4000000 (0: the model's own)"));
                break;
        }
    }
}

Pause PauseOf(int16_t pauseSeconds) {
    if (pauseSeconds == kHoldPause) {
        return {Pause::Kind::Hold, 0};
    }
    if (pauseSeconds > 0 && pauseSeconds <= kLongestPause) {
        return {Pause::Kind::Dwell, pauseSeconds};
    }
    return {};  // 0 or less, or a dwell longer than 10 s
}

double HighestStartMHz(int spanMHz) {
    return spanMHz == 8 ? kHighestStartMHzSpan8 : kHighestStartMHzSpan1;
}

Settings ValidateSettings(const RawSettings& raw) {
    Settings settings;
    settings.mode = raw.modeLetter == "A" ? Mode::Am : Mode::Fm;
    settings.spanMHz = raw.spanMHz == 8 ? 8 : 1;
    double start = raw.startMHz;
    if (start == 0.0) {
        start = kDefaultStartMHz;
    }
    if (start < kLowestStartMHz) {
        start = kLowestStartMHz;
    }
    if (start > kHighestStartMHzSpan1 && settings.spanMHz == 1) {
        start = kHighestStartMHzSpan1;
    }
    if (start > kHighestStartMHzSpan8 && settings.spanMHz == 8) {
        start = kHighestStartMHzSpan8;
    }
    settings.startMHz = start;
    settings.grid = raw.grid == 1;
    settings.clearAtStart = raw.clearAtStart == 1;
    settings.comPort = raw.comPort == 0 ? 1 : raw.comPort;
    settings.colorIndex = raw.colorIndex < 0 || raw.colorIndex > 3 ? 0 : raw.colorIndex;
    settings.pause = PauseOf(raw.pauseSeconds);
    settings.device = raw.device;
    settings.rigModel = raw.rigModel;
    settings.rigSpeed = raw.rigSpeed;
    settings.settleMs = raw.settleMs && *raw.settleMs >= 0 && *raw.settleMs <= kLongestSettleMs
                            ? *raw.settleMs
                            : kDefaultSettleMs;
    settings.hangSeconds =
        raw.hangSeconds && *raw.hangSeconds >= 0 && *raw.hangSeconds <= kLongestHang
            ? *raw.hangSeconds
            : kDefaultHangSeconds;
    settings.priorityEverySeconds =
        raw.priorityEvery && *raw.priorityEvery >= 1 && *raw.priorityEvery <= kLongestPriorityEvery
            ? *raw.priorityEvery
            : kDefaultPriorityEverySeconds;
    if (raw.activityLevel >= 1 && raw.activityLevel <= kHighestLevel) {
        settings.activityLevel = raw.activityLevel;
    }
    return settings;
}

Settings ReadSettings(const QByteArray& bytes, const QString& file) {
    RawSettings raw;
    for (const QByteArray& line : SettingsLines(bytes)) {
        ParseSettings(line, file, raw);
    }
    Settings settings = ValidateSettings(raw);
    settings.file = file;
    return settings;
}

}  // namespace nerimo
