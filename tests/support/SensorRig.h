#pragma once

// The program as a sensor: an unattended survey on the simulated receiver, publishing what it
// measures as "s1" to the broker that its options name.

#include <QFile>
#include <QTemporaryDir>

#include "Rig.h"

namespace nerimo::testing {

// A signal of level 9 at 145.025 MHz, the third of the seven steps a survey takes, heard at 5 on
// the next: some 1.3 s a sweep.
inline const QByteArray kBand = "145.025 12.5 9\n";
inline const QStringList kRange = {"--range", "145M:145.075M"};

// The program with no display, on the simulated receiver, publishing to the broker as "s1".
struct Session {
    QTemporaryDir session;  // TMPDIR, HOME and XDG_RUNTIME_DIR: the instance lock its own
};

struct SensorRig : Session, Rig {
    // "%1" in an option is its folder. With `credentials`, the line "user:password" of a file that
    // is the user's alone.
    explicit SensorRig(const QStringList& options, const QByteArray& credentials = {})
        : Rig(session.path(), "xcb") {
        QProcessEnvironment env = program.processEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        program.setProcessEnvironment(env);
        StartReceiver(kBand);
        QStringList given = {"--headless", "--log", Path("sweeps.csv"), "--sensor-id", "s1"};
        if (!credentials.isEmpty()) {
            Write("credentials", credentials + "\n");
            QFile::setPermissions(Path("credentials"), QFile::ReadOwner | QFile::WriteOwner);
            given << "--mqtt-credentials" << Path("credentials");
        }
        given += kRange + options;
        given.replaceInStrings(QStringLiteral("%1"), dir.path());
        StartProgram("DEVICE=" + Path("receiver").toLocal8Bit(), false, given);
    }
};

}  // namespace nerimo::testing
