#include "Settings.h"

#include <algorithm>

#include "NumberRule.h"
#include "Report.h"
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

QString SettingsPath(const State& state, const QString& folder) {
    return folder + QLatin1Char('/') + state.ProgramName + QStringLiteral(".ini");
}

void ParseSettings(State& state) {
    enum class Kind { Mode, Whole, Start, Device, Model, Speed };
    struct Key {
        const char* text;
        Kind kind;
        int16_t State::*whole;
    };
    // The order in which every line is searched; DEVICE=, RIG= and RIG_SPEED= are ours, after
    // the others.
    static constexpr Key kKeys[] = {
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

    for (const Key& key : kKeys) {
        const qsizetype p = state.IniLineUpper.indexOf(key.text);
        if (p < 0) {
            continue;
        }
        // Only the first occurrence counts; the value runs to the end of the line.
        const QByteArray value = ValueFrom(state.IniLine, p + qstrlen(key.text));
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
    QString path = source.file.isEmpty() ? SettingsPath(state, source.programFolder) : source.file;
    platform::FileRead file = files.ReadOrCreate(path);
    // An installed copy's folder takes no file; the user's own folder does.
    if (file.outcome == platform::FileRead::Outcome::NotCreated && source.file.isEmpty() &&
        !source.userFolder.isEmpty()) {
        path = SettingsPath(state, source.userFolder);
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

    state.IniLine.clear();
    state.IniLineUpper.clear();
    for (const char c : file.bytes) {
        state.IniLine.append(c);
        state.IniLineUpper.append(AsciiUpper(c));
        if (c == '\n') {
            ParseSettings(state);
            state.IniLine.truncate(0);
            state.IniLineUpper.truncate(0);
        }
    }
    if (!state.IniLine.isEmpty()) {
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
