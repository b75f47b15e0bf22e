#pragma once

#include <QString>

#include "FileAccess.h"
#include "Panel.h"
#include "State.h"

namespace nerimo {

// Nerimo.ini in the given folder.
QString SettingsPath(const State& state, const QString& programFolder);

// Reads one settings line (IniLine and IniLineUpper) and sets the items of the keys it holds.
// Throws StartupError when a whole-number value does not fit 16 bits.
void ParseSettings(State& state);

// Puts the default in place of every value out of range, in the fixed order.
void ValidateSettings(State& state);

// Reads the settings file (a missing one is created empty), validates the values and selects the
// option buttons and check boxes that show them. Throws StartupError when the file exists but
// cannot be read, or a value does not fit.
void LoadSettings(State& state, const QString& programFolder, platform::FileAccess& files,
                  Panel& panel);

}  // namespace nerimo
