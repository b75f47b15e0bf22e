#include "Settings.h"

#include <algorithm>

#include "NumberRule.h"
#include "Report.h"
#include "SettingsCheck.h"
#include "StartupError.h"

namespace nerimo {

namespace {

constexpr double kDefaultStartMHz = 145.0;
constexpr double kLowestStartMHz = 0.1;
constexpr double kHighestStartMHzSpan1 = 2035.0;
constexpr double kHighestStartMHzSpan8 = 2028.0;
constexpr int16_t kHoldPause = 99;
constexpr int16_t kLongestPause = 10;
constexpr long long kHighestRigModel = 99999;
constexpr long long kFastestRigSpeed = 4000000;
constexpr char kFileName[] = "/Nerimo.ini";

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
// message that names the key and says what it takes.
long long ReadWholeNumber(const QString& file, const char* key, const QByteArray& value,
                          long long lowest, long long highest, const char* range) {
    const std::optional<long long> rounded = RoundWithin(ReadNumber(value), lowest, highest);
    if (!rounded) {
        const QByteArray shown = value.size() > 40 ? value.left(40) + "..." : value;
        throw StartupError(
            QStringLiteral("The settings file gives %1 the value %2, which is outside %3. "
                           "Correct it in %4 and start the program again.")
                .arg(QLatin1String(key), QString::fromLatin1(shown), QLatin1String(range), file));
    }
    return *rounded;
}

}  // namespace

std::pair<QString, SettingsPlace> SettingsFileOf(const SettingsSource& source) {
    if (!source.file.isEmpty()) {
        return {source.file, SettingsPlace::Given};
    }
    if (source.installed) {
        return {source.userFolder + QLatin1String(kFileName), SettingsPlace::UserFolder};
    }
    return {source.programFolder + QLatin1String(kFileName), SettingsPlace::BesideProgram};
}

QString SettingsPlaceText(SettingsPlace place) {
    switch (place) {
        case SettingsPlace::Given:
            return QStringLiteral("named by --settings");
        case SettingsPlace::BesideProgram:
            return QStringLiteral("beside the program, a copy run from its own folder");
        case SettingsPlace::UserFolder:
            break;
    }
    return QStringLiteral("the per-user file, as for an installed copy");
}

namespace {

enum class Kind { Mode, Whole, Start, Device, Model, Speed };
struct Key {
    const char* text;
    Kind kind;
    int16_t State::*whole;
};
// The order in which every line is searched; DEVICE=, RIG= and RIG_SPEED= are ours, after the
// others.
constexpr Key kKeys[] = {
    {"FM_AM=", Kind::Mode, nullptr},
    {"SPAN=", Kind::Whole, &State::SpanMHz},
    {"MHZ=", Kind::Start, nullptr},
    {"GRID=", Kind::Whole, &State::GridOn},
    {"CLEAR_SCREEN=", Kind::Whole, &State::ClearAtStart},
    {"COM=", Kind::Whole, &State::ComPort},
    {"COLOR=", Kind::Whole, &State::ColorIndex},
    {"PAUSE=", Kind::Whole, &State::PauseSeconds},
    {"DEVICE=", Kind::Device, nullptr},
    {"RIG=", Kind::Model, nullptr},
    {"RIG_SPEED=", Kind::Speed, nullptr},
};

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

void ParseSettings(State& state) {
    for (const KeyInLine& found : KeysIn(state.IniLine)) {
        const Key& key = *std::find_if(std::begin(kKeys), std::end(kKeys),
                                       [&](const Key& k) { return found.key == k.text; });
        const QByteArray& value = found.value;
        switch (key.kind) {
            case Kind::Mode:
                state.ModeLetter = value;
                break;
            case Kind::Whole:
                state.*key.whole = static_cast<int16_t>(ReadWholeNumber(
                    state.SettingsFile, key.text, value, INT16_MIN, INT16_MAX, "-32768 to 32767"));
                break;
            case Kind::Start:
                state.StartMHz = ReadNumber(value);
                break;
            case Kind::Device:
                state.DevicePath = value;
                break;
            case Kind::Model:
                // 0 and below choose the receiver's own protocol; Hamlib's models are 1 to 99999.
                state.RigModel = static_cast<int32_t>(std::max<long long>(
                    0, ReadWholeNumber(state.SettingsFile, key.text, value, INT32_MIN,
                                       kHighestRigModel,
                                       "1 to 99999 (0 for the receiver's own protocol)")));
                break;
            case Kind::Speed:
                state.RigSpeed = static_cast<int32_t>(
                    ReadWholeNumber(state.SettingsFile, key.text, value, 0, kFastestRigSpeed,
                                    "0 to 4000000 (0: the model's own)"));
                break;
        }
    }
}

void ValidateSettings(State& state) {
    if (state.ModeLetter != "A") {
        state.ModeLetter = "N";
    }
    if (state.SpanMHz != 8) {
        state.SpanMHz = 1;
    }
    if (state.StartMHz == 0.0) {
        state.StartMHz = kDefaultStartMHz;
    }
    if (state.StartMHz < kLowestStartMHz) {
        state.StartMHz = kLowestStartMHz;
    }
    if (state.StartMHz > kHighestStartMHzSpan1 && state.SpanMHz == 1) {
        state.StartMHz = kHighestStartMHzSpan1;
    }
    if (state.StartMHz > kHighestStartMHzSpan8 && state.SpanMHz == 8) {
        state.StartMHz = kHighestStartMHzSpan8;
    }
    if (state.GridOn != 1) {
        state.GridOn = 0;
    }
    if (state.ClearAtStart != 1) {
        state.ClearAtStart = 0;
    }
    if (state.ComPort == 0) {
        state.ComPort = 1;
    }
    if (state.ColorIndex < 0 || state.ColorIndex > 3) {
        state.ColorIndex = 0;
    }
    if (state.PauseSeconds > kLongestPause && state.PauseSeconds != kHoldPause) {
        state.PauseSeconds = 0;
    }
}

void LoadSettings(State& state, const SettingsSource& source, platform::FileAccess& files,
                  Panel& panel) {
    auto [path, place] = SettingsFileOf(source);
    platform::FileRead file = files.ReadOrCreate(path);
    // A copy whose own folder takes no file keeps its settings in the user's own folder.
    if (file.outcome == platform::FileRead::Outcome::NotCreated &&
        place == SettingsPlace::BesideProgram && !source.userFolder.isEmpty()) {
        path = source.userFolder + QLatin1String(kFileName);
        file = files.ReadOrCreate(path);
    }
    state.SettingsFile = path;
    switch (file.outcome) {
        case platform::FileRead::Outcome::Unreadable:
            throw StartupError(
                QStringLiteral("The settings file %1 cannot be read: %2.").arg(path, file.error));
        case platform::FileRead::Outcome::NotCreated:
            // With no folder that takes the file the program still runs, on the defaults.
            Report(QStringLiteral("The settings file %1 could not be created (%2); the default "
                                  "settings apply.")
                       .arg(path, file.error));
            break;
        case platform::FileRead::Outcome::Read:
        case platform::FileRead::Outcome::Created:
            break;
    }

    // What it holds that would surprise a user, said at every start; a value that stops the
    // start has a message of its own.
    for (const SettingsWarning& warning : CheckSettings(file.bytes).warnings) {
        if (!warning.fatal) {
            Report(QStringLiteral("%1: %2").arg(path, warning.text));
        }
    }
    for (const QByteArray& line : SettingsLines(file.bytes)) {
        state.IniLine = line;
        ParseSettings(state);
    }

    ValidateSettings(state);
    if (!source.device.isEmpty()) {
        state.DevicePath = source.device;
    }

    panel.SelectOption(state.ModeLetter == "N" ? 1 : 2);
    panel.SelectOption(state.SpanMHz == 1 ? 3 : 4);
    panel.SetCheckValue(1, state.ClearAtStart);
    panel.SetCheckValue(2, state.GridOn);
}

}  // namespace nerimo
