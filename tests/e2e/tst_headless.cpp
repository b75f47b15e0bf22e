// The program as a script runs it, with no display at all: no DISPLAY, no X server, and the X
// platform asked for, so that loading any windowing platform would end the program. The command
// line, and unattended surveys; the simulated receiver is on a pseudo-terminal, the log and the
// picture are files.

#include <sys/resource.h>

#include <QSerialPortInfo>
#include <QtTest>

#include "Rig.h"

using namespace nerimo::testing;

namespace {

const QByteArray kBand = "145.5 12.5 14\n";

// A folder for TMPDIR, HOME and XDG_RUNTIME_DIR, so that each survey holds the single-instance
// lock alone.
struct Session {
    QTemporaryDir session;
};

// The program with no display, and a band with a signal of level 14 at 145.5 MHz, the 41st step.
struct HeadlessRig : Session, Rig {
    HeadlessRig() : Rig(session.path(), "xcb") {
        QFile::setPermissions(session.path(), QFile::Permissions(0x7777));
        QProcessEnvironment env = program.processEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        program.setProcessEnvironment(env);
    }

    // A disk that is full after so many bytes of any file the program writes.
    void FullAfter(rlim_t bytes) {
        program.setChildProcessModifier([bytes] {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            ::signal(SIGXFSZ, SIG_IGN);  // a full disk sends no signal, only the error
            const rlimit limit{bytes, bytes};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
    }

    void Start(const QStringList& options, bool unprivileged = false) {
        StartReceiver(kBand);
        StartProgram("MHZ=145\nSPAN=1\nDEVICE=" + Path("receiver").toLocal8Bit(), unprivileged,
                     options);
    }

    QList<QByteArray> Rows() const {
        QFile file(Path("sweeps.csv"));
        return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>();
    }
};

// A row's fields; empty unless it is a whole row of 1 MHz from 145 MHz, its levels as many as
// the steps from its first frequency to its last.
QList<QByteArray> WholeRow(const QByteArray& row) {
    static const QRegularExpression layout(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d, \\d\\d:\\d\\d:\\d\\d, 145000000, (\\d+), 12500, "
                       "1(, (\\d|1[0-6]))+$"));
    const QList<QByteArray> fields = row.split(',');
    if (!layout.match(QString::fromLatin1(row)).hasMatch() ||
        fields.size() - 6 != (fields[3].toInt() - 145000000) / 12500 + 1) {
        return {};
    }
    return fields;
}

}  // namespace

class HeadlessTest : public QObject {
    Q_OBJECT

  private slots:
    // Help, the version, the port list and bad options need no display; --device and --settings
    // take the place of the settings file's DEVICE= and of the file itself. "%1" in an option is
    // the program's folder.
    void commandLine_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("printed");   // on standard output, or error for a status of 2
        QTest::addColumn<QByteArray>("tuned");  // the receiver's first command
        const QStringList survey = {"--headless", "--log", "%1/sweeps.csv"};
        QTest::newRow("help") << QStringList{"--help"} << 0 << "--list-ports" << QByteArray();
        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << QStringLiteral("nerimo " NERIMO_VERSION "\n") << QByteArray();
        QTest::newRow("unknown option")
            << QStringList{"--fast"} << 2 << "Unknown option 'fast'." << QByteArray();
        QTest::newRow("missing value")
            << QStringList{"--device"} << 2 << "Missing value after '--device'." << QByteArray();
        QTest::newRow("list-ports")
            << QStringList{"--list-ports"} << 0 << QString() << QByteArray();
        QTest::newRow("device") << survey + QStringList{"--device", "%1/receiver"} << 0 << QString()
                                << QByteArray("145.0000N");
        QTest::newRow("settings") << survey + QStringList{"--settings", "%1/other.ini"} << 0
                                  << QString() << QByteArray("150.0000N");
    }
    void commandLine() {
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QString, printed);
        QFETCH(QByteArray, tuned);
        HeadlessRig rig;
        rig.StartReceiver(kBand);
        rig.Write("other.ini", "MHZ=150\nDEVICE=" + rig.Path("receiver").toLocal8Bit());
        options.replaceInStrings(QStringLiteral("%1"), rig.dir.path());
        rig.StartProgram("DEVICE=/dev/ttyNerimoNone\n", false, options);
        if (!tuned.isEmpty()) {
            QVERIFY(QTest::qWaitFor([&] { return !rig.Log().isEmpty(); }, 10000));
            QCOMPARE(rig.Log().first(), tuned);
            rig.program.terminate();
        }
        QVERIFY(rig.Ended(10000));
        QCOMPARE(rig.program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(rig.program.exitCode(), status);
        const QString out = QString::fromLocal8Bit(rig.program.readAllStandardOutput());
        QVERIFY2(out.contains(status == 2 ? QString() : printed), qPrintable(out));
        QVERIFY(status != 2 || rig.Errors().contains("Usage:"));
        QVERIFY(rig.Errors().contains(status == 2 ? printed.toLocal8Bit() : QByteArray()));
        for (const QSerialPortInfo& port : printed.isNull() && tuned.isEmpty()
                                               ? QSerialPortInfo::availablePorts()
                                               : QList<QSerialPortInfo>()) {
            QVERIFY(out.contains(port.systemLocation() + "\n    DEVICE="));
        }
    }

    // Four surveys at once: two whole sweeps with a picture, appended to an earlier survey's
    // log; one ended by SIGTERM in its first sweep; one whose log it may not write; one whose
    // disk fills in the middle of its first row.
    void surveysWithNoDisplay() {
        HeadlessRig whole;
        whole.Write("sweeps.csv", "an earlier survey\n");
        whole.Start({"--headless", "--log", whole.Path("sweeps.csv"), "--sweeps", "2", "--picture",
                     whole.Path("plot.png")});
        HeadlessRig ended;
        ended.Start({"--headless", "--log", ended.Path("sweeps.csv")});
        HeadlessRig refused;
        refused.Write("sweeps.csv", "");
        QFile::setPermissions(refused.Path("sweeps.csv"), QFile::ReadOwner | QFile::ReadOther);
        QFile::setPermissions(refused.dir.path(), QFile::Permissions(0x7777));
        refused.Start({"--headless", "--log", refused.Path("sweeps.csv")}, true);
        HeadlessRig full;
        full.Write("sweeps.csv", "an earlier survey\n");
        full.FullAfter(100);
        full.Start({"--headless", "--log", full.Path("sweeps.csv"), "--sweeps", "2"});

        QVERIFY(refused.Ended(10000));
        QCOMPARE(refused.program.exitCode(), 1);
        QVERIFY2(refused.Errors().contains("sweeps.csv cannot be opened for writing: Permission "
                                           "denied"),
                 refused.Errors().constData());
        QVERIFY(refused.Log().isEmpty());  // nothing ran

        // No windowing platform is loaded, whatever QT_QPA_PLATFORM says.
        QFile maps(QStringLiteral("/proc/%1/maps").arg(ended.program.processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY(!maps.readAll().contains("/platforms/"));

        QVERIFY(QTest::qWaitFor([&] { return ended.Log().size() >= 20; }, 10000));
        ended.program.terminate();
        ended.CheckCleanEnd(3000);
        QList<QByteArray> rows = ended.Rows();
        QCOMPARE(rows.size(), 2);  // a row, its line end, nothing after
        QVERIFY2(!WholeRow(rows[0]).isEmpty(), rows[0].constData());
        const qsizetype levels = WholeRow(rows[0]).size() - 6;  // the step under way not read
        QVERIFY(levels >= 19 && levels <= ended.Log().size());
        QVERIFY(rows[1].isEmpty());

        whole.CheckCleanEnd(60000);
        rows = whole.Rows();
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[0], QByteArray("an earlier survey"));
        for (const QByteArray& row : rows.mid(1, 2)) {
            const QList<QByteArray> fields = WholeRow(row);
            QVERIFY2(fields.size() == 6 + 81, row.constData());
            const QList<QByteArray> levels = fields.mid(6);
            QCOMPARE(levels[40].trimmed(), QByteArray("14"));
            for (const QByteArray& level : levels) {
                QVERIFY(level.trimmed().toInt() <= 14);
            }
        }
        const QStringList progress =
            QString::fromLatin1(whole.Errors()).split(QLatin1Char('\n')).filter("sweep ");
        QCOMPARE(progress.size(), 2);
        QVERIFY(progress[1].startsWith("sweep 2 at " + rows[2].left(20).replace(",", "") + ":"));
        QVERIFY(progress[1].endsWith(": strongest level 14 at 145.5000 MHz"));

        // The full disk: the half row taken back, one message, and the survey swept on.
        full.CheckCleanEnd(10000);
        QCOMPARE(full.Rows(), QList<QByteArray>({"an earlier survey", ""}));
        QCOMPARE(full.Errors().count("sweeps.csv cannot be written (File too large); logging "
                                     "has stopped"),
                 1);
        QVERIFY(full.Errors().contains("sweep 2 at "));

        // The picture is the plot and its scale strip, the peak's point green.
        const QImage picture(whole.Path("plot.png"));
        QCOMPARE(picture.width(), 720);
        QVERIFY(picture.height() > 350);
        QCOMPARE(picture.pixelColor(44 + 8 * 40, 339 - 21 * 14), QColor(0, 255, 0));
    }
};

QTEST_GUILESS_MAIN(HeadlessTest)
#include "tst_headless.moc"
