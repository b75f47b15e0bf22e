#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "BrokerOptions.h"
#include "FileAccess.h"
#include "SweepPlan.h"

namespace nerimo {

// The choices a command line makes for one run of the program.
struct CommandLine {
    bool headless = false;         // an unattended survey, with no window
    QString logPath;               // the sweep log
    QString activityPath;          // the activity log
    QString lockoutsPath;          // in place of lockouts.csv beside the settings file
    QString bookmarksPath;         // named frequencies: gqrx's, SDR++'s or CHIRP's
    int sweeps = 0;                // whole sweeps the survey makes; 0: until a signal ends it
    QString picturePath;           // the plot saved at the survey's end
    QString historyPicturePath;    // the waterfall of its sweeps, saved at its end
    bool waitForReceiver = false;  // a survey whose receiver cannot be opened at once waits
    int giveUpAfter = 300;         // seconds a survey goes on without its receiver; 0: for ever
    bool quiet = false;            // a survey says only what went wrong
    QString settingsPath;          // another settings file in place of Nerimo.ini
    QByteArray device;             // the receiver's device, in place of DEVICE= and COM=
    std::optional<BrokerOptions> broker;  // --mqtt: publish the sweeps there; --watch: watch there
    bool watch = false;                   // --watch: watch sensors through the broker, no receiver
    QStringList sensors;                  // --sensor: the sensors watched; none: all
    std::optional<SweepPlan> range;       // --range: a survey's own steps
    QString channelsPath;                 // --channels: a list of channels to scan
    QStringList groups;                   // --group: the list's groups to scan; none: all
    QStringList priority;                 // --priority: channels looked at between the others
    int settleMs = -1;                    // --settle, in place of SETTLE=; -1: not given
    bool listPorts = false;               // print the serial ports and end
    bool checkSettings = false;  // print what the settings file says, and its traps, and end
};

// Reads the arguments (the program's name first). Returns the exit status when the program is to
// end at once: 0 after printing the help or the version, 2 after saying what is wrong with an
// unknown option or a missing or bad value; nothing when it is to run with `options`.
// The files it reads (credentials) through `files`.
std::optional<int> ParseCommandLine(const QStringList& arguments, FileAccess& files,
                                    CommandLine* options);

}  // namespace nerimo
