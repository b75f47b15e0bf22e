#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "Mode.h"

namespace nerimo {

// The wait between tuning and reading: the receiver's own protocol always, a Hamlib radio unless
// SETTLE= says otherwise.
inline constexpr int kDefaultSettleMs = 185;

// A channel scan holding on a channel (PAUSE=99) goes on this long after its signal dropped
// (HANG=, 0 to 30 s), so that a reply after a short gap is not missed.
inline constexpr int kDefaultHangSeconds = 2;
// Priority channels are looked at at most this often (PRIORITY_EVERY=, 1 to 60 s).
inline constexpr int kDefaultPriorityEverySeconds = 2;

// With no ACTIVITY=, a step is heard this many levels above the band's floor (the median level
// of a sweep): a carrier always there stands above it, the noise that makes up the floor does not.
inline constexpr int kActivityMargin = 3;

// What a sweep does at a step with a signal (PAUSE=): goes on, dwells some seconds, or holds on
// it until the signal drops or "continue" is pressed.
struct Pause {
    enum class Kind { None, Dwell, Hold };
    Kind kind = Kind::None;
    int seconds = 0;  // a dwell's, 1 to 10

    bool operator==(const Pause&) const = default;
};

// What the settings file gives the program, each value within its range. Read once at start-up
// and handed to whoever needs it.
struct Settings {
    Mode mode = Mode::Fm;              // FM_AM=
    int spanMHz = 1;                   // SPAN=: 1 or 8
    double startMHz = 145.0;           // MHZ=
    bool grid = false;                 // GRID=: "Grid" ticked at start
    bool clearAtStart = false;         // CLEAR_SCREEN=: "Clear at start" ticked at start
    int comPort = 1;                   // COM=
    int colorIndex = 0;                // COLOR=: 0 to 3
    Pause pause;                       // PAUSE=
    QByteArray device;                 // DEVICE= or --device: in place of COM=
    bool deviceGiven = false;          // --device named it, for this run
    int rigModel = 0;                  // RIG=: a Hamlib model; 0 for the receiver's own protocol
    int rigSpeed = 0;                  // RIG_SPEED=: 0 for the model's own
    std::optional<int> activityLevel;  // ACTIVITY=: 1 to 16; none: the floor plus kActivityMargin
    int settleMs = kDefaultSettleMs;   // SETTLE=: 0 to 10000 ms, as kDefaultSettleMs says
    int hangSeconds = kDefaultHangSeconds;                    // HANG=
    int priorityEverySeconds = kDefaultPriorityEverySeconds;  // PRIORITY_EVERY=
    QString file;  // the settings file read, for messages that name it
};

}  // namespace nerimo
