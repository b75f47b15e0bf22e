#pragma once

#include <QList>
#include <QString>
#include <utility>

#include "FileAccess.h"
#include "Panel.h"
#include "State.h"

namespace nerimo {

// Where the settings file is looked for, and what the command line sets over it for a run.
struct SettingsSource {
    QString programFolder;   // Nerimo.ini beside the program, for a copy run from its own folder
    QString userFolder;      // the user's own settings folder ($XDG_CONFIG_HOME/nerimo)
    QString file = {};       // --settings: this file and no other
    QByteArray device = {};  // --device: in place of DEVICE= and COM=
    bool installed = false;  // an installed copy: the user's own file, never one beside it
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

// Reads one settings line (IniLine) and sets the items of the keys it holds.
// Throws StartupError when a whole-number value does not fit 16 bits.
void ParseSettings(State& state);

// Puts the default in place of every value out of range, in the fixed order.
void ValidateSettings(State& state);

// Reads the settings file (a missing one is created empty, its folder too), validates the values
// and selects the option buttons and check boxes that show them; the traps it holds go to
// standard error, a line each. Throws StartupError when the file exists but cannot be read, or a
// value does not fit.
void LoadSettings(State& state, const SettingsSource& source, platform::FileAccess& files,
                  Panel& panel);

}  // namespace nerimo
