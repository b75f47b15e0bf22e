#pragma once

#include <QString>

#include "FileAccess.h"
#include "Panel.h"
#include "State.h"

namespace nerimo {

// Where the settings file is looked for, and what the command line sets over it for a run.
struct SettingsSource {
    QString programFolder;  // Nerimo.ini beside the program, first
    QString userFolder;     // else in the user's own folder, where the first takes no file
    QString file;           // --settings: this file and no other
    QByteArray device;      // --device: in place of DEVICE= and COM=
};

// Nerimo.ini in the given folder.
QString SettingsPath(const State& state, const QString& folder);

// Reads one settings line (IniLine and IniLineUpper) and sets the items of the keys it holds.
// Throws StartupError when a whole-number value does not fit 16 bits.
void ParseSettings(State& state);

// Puts the default in place of every value out of range, in the fixed order.
void ValidateSettings(State& state);

// Reads the settings file (a missing one is created empty), validates the values and selects the
// option buttons and check boxes that show them. Throws StartupError when the file exists but
// cannot be read, or a value does not fit.
void LoadSettings(State& state, const SettingsSource& source, platform::FileAccess& files,
                  Panel& panel);

}  // namespace nerimo
