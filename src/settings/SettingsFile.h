#pragma once

#include <QString>
#include <utility>

#include "FileAccess.h"
#include "Settings.h"

namespace nerimo {

// Where the settings file is looked for, and what the command line sets over it for a run.
struct SettingsSource {
    QString programFolder;   // Nerimo.ini beside the program, for a copy run from its own folder
    QString userFolder;      // the user's own settings folder ($XDG_CONFIG_HOME/nerimo)
    QString file = {};       // --settings: this file and no other
    QByteArray device = {};  // --device: in place of DEVICE= and COM=
    bool installed = false;  // an installed copy: the user's own file, never one beside it
    int settleMs = -1;       // --settle: in place of SETTLE=; -1 when not given
};

// Why a file is the settings file in use.
enum class SettingsPlace {
    Given,          // --settings named it
    BesideProgram,  // a copy run from its own folder (a build, an unpacked folder)
    UserFolder,     // an installed copy, or one whose own folder takes no file
};

// The file the source names first, and why.
std::pair<QString, SettingsPlace> SettingsFileOf(const SettingsSource& source);

// What each place is, for the user.
QString SettingsPlaceText(SettingsPlace place);

// Reads the settings file (a missing one is created empty, its folder too), with --device over
// it; the traps it holds go to standard error, a line each. Throws StartupError when the file
// exists but cannot be read, or a value does not fit.
Settings LoadSettings(const SettingsSource& source, FileAccess& files);

}  // namespace nerimo
