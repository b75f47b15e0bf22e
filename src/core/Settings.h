#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "Mode.h"

namespace nerimo {

// The wait between tuning and reading: the receiver's own protocol always, a Hamlib radio unless
// SETTLE= says otherwise.
inline constexpr int16_t kDefaultSettleMs = 185;

// What the settings file gives the program, each value within its range. Read once at start-up
// and handed to whoever needs it. The whole-number values that a 16-bit range limits (a value
// beyond it stops start-up) keep that type.
struct Settings {
    Mode mode = Mode::Fm;                 // FM_AM=
    int16_t spanMHz = 1;                  // SPAN=: 1 or 8
    double startMHz = 145.0;              // MHZ=
    bool grid = false;                    // GRID=: "Grid" ticked at start
    bool clearAtStart = false;            // CLEAR_SCREEN=: "Clear at start" ticked at start
    int16_t comPort = 1;                  // COM=
    int16_t colorIndex = 0;               // COLOR=: 0 to 3
    int16_t pauseSeconds = 0;             // PAUSE=: 0 or less none, 1 to 10 a dwell, 99 a hold
    QByteArray device;                    // DEVICE= or --device: in place of COM=
    int rigModel = 0;                     // RIG=: a Hamlib model; 0 for the receiver's own protocol
    int rigSpeed = 0;                     // RIG_SPEED=: 0 for the model's own
    int16_t activityLevel = 1;            // ACTIVITY=: 1 to 16, the level at which a step is heard
    int16_t settleMs = kDefaultSettleMs;  // SETTLE=: 0 to 10000 ms, as kDefaultSettleMs says
    QString file;                         // the settings file read, for messages that name it
};

// PAUSE=99: hold on a signal until it drops or "continue" is pressed.
inline constexpr int16_t kHoldPause = 99;

}  // namespace nerimo
