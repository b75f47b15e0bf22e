#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace nerimo {

// Everything the window, the settings reader and the sweep share, under the names the program
// uses throughout. One instance lives for the whole program, owned by the window. Every item
// starts at 0, 0.0 or empty; flags hold 0 or 1.
struct State {
    QString ProgramName;
    QString VersionText;
    QString CreditText;
    QString SettingsFile;  // the settings file read at start-up, for messages that name it

    QByteArray IniLine;  // the settings-file line being read, as written (8-bit text)

    QByteArray ModeLetter;  // "N" for FM, "A" for AM
    int16_t SpanMHz = 0;
    double StartMHz = 0.0;
    double EndMHz = 0.0;
    int16_t GridOn = 0;
    int16_t ClearAtStart = 0;
    int16_t ComPort = 0;
    QByteArray DevicePath;  // DEVICE=: a serial device path that takes the place of COM=
    int32_t RigModel = 0;   // RIG=: a Hamlib model number; 0 for the receiver's own protocol
    int32_t RigSpeed = 0;   // RIG_SPEED=: the serial speed for it; 0 for the model's own
    int16_t ColorIndex = 0;
    int16_t PauseSeconds = 0;

    int16_t PixelsPerStep = 0;
    int16_t PlotWidth = 0;
    int16_t PlotHeight = 0;
    int16_t LeftMargin = 0;
    int16_t BottomMargin = 0;
    int16_t StepCount = 0;
    int16_t PlotX = 0;
    int16_t PlotY = 0;
    int16_t PrevX = 0;
    int16_t PrevY = 0;
    int16_t GridDrawn = 0;

    QByteArray FreqText;   // frequency last sent, four decimals, "." separator
    QByteArray ReplyText;  // the receiver's last reply cut to its last character
    int16_t SignalLevel = 0;

    int16_t Scanning = 0;
    int16_t StopRequested = 0;
    int16_t ContinueRequested = 0;
    int16_t MouseX = 0;
};

}  // namespace nerimo
