#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

#include "Settings.h"

namespace nerimo {

// A settings file's values as its lines give them, before the range rules: every item starts at
// 0 or empty, as the keys a file leaves out do.
struct RawSettings {
    QByteArray modeLetter;  // FM_AM=
    int16_t spanMHz = 0;
    double startMHz = 0.0;
    int16_t grid = 0;
    int16_t clearAtStart = 0;
    int16_t comPort = 0;
    int16_t colorIndex = 0;
    int16_t pauseSeconds = 0;
    QByteArray device;
    int rigModel = 0;
    int rigSpeed = 0;
    int16_t activityLevel = 0;
    std::optional<int16_t> settleMs;       // 0 is a value of its own
    std::optional<int16_t> hangSeconds;    // 0 is a value of its own
    std::optional<int16_t> priorityEvery;  // PRIORITY_EVERY=
};

// A key as a settings line holds it: its text ("MHZ="), where it starts, and its value (the rest
// of the line with every CR, LF and space taken out).
struct KeyInLine {
    QByteArray key;
    qsizetype at = 0;
    QByteArray value;
};

// The keys Nerimo knows, in the order every line is searched for them.
QList<QByteArray> SettingsKeys();

// The keys a line holds, found in any letter case; only the first of each counts.
QList<KeyInLine> KeysIn(const QByteArray& line);

// The file's lines, each with its LF; a last line without one too.
QList<QByteArray> SettingsLines(const QByteArray& bytes);

// Reads one line and sets the items of the keys it holds. Throws StartupError, naming `file`, when
// a whole-number value does not fit: 16 bits, or the range of RIG= and RIG_SPEED=.
void ParseSettings(const QByteArray& line, const QString& file, RawSettings& raw);

// PAUSE=99: hold on a signal until it drops or "continue" is pressed.
inline constexpr int16_t kHoldPause = 99;

// PAUSE='s value as the file gives it: 1 to 10 a dwell, 99 a hold, anything else none.
Pause PauseOf(int16_t pauseSeconds);

// MHZ='s range: from kLowestStartMHz to where the span still ends within the receiver's reach.
inline constexpr double kLowestStartMHz = 0.1;
double HighestStartMHz(int spanMHz);

// The values within their ranges: each one out of range replaced, in the fixed order.
Settings ValidateSettings(const RawSettings& raw);

// The settings of a whole file: every line in turn, then the range rules. Throws as ParseSettings
// does.
Settings ReadSettings(const QByteArray& bytes, const QString& file);

}  // namespace nerimo
