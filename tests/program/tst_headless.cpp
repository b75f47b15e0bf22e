// The program as a script runs it, with no display at all: no DISPLAY, no X server, and the X
// platform asked for, so that loading any windowing platform would end the program. The command
// line, and unattended surveys with what each comes to; the simulated receiver is on a
// pseudo-terminal or serves its band as rigctld, the log and the picture are files.

#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <time.h>

#include <QSerialPortInfo>
#include <QtTest>
#include <functional>

#include "Palette.h"
#include "Rig.h"
#include "Waterfall.h"

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

    // A limit on the size of any file the program writes (ulimit -f), so many bytes.
    void FullAfter(rlim_t bytes) {
        program.setChildProcessModifier([bytes] {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            const rlimit limit{bytes, bytes};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
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

enum class Receiver { None, Serial, PluggedInLater, Rigctld, SilentRigctld };

// One survey: how it is started, and what it must come to.
struct Survey {
    const char* name;
    Receiver receiver = Receiver::Serial;
    QStringList receiverOptions = {};
    QByteArray band = kBand;
    QByteArray settings = {};  // besides MHZ= and SPAN=
    QStringList options = {};  // besides --headless and --log; "%1" is the rig's folder
    int status = 0;
    QList<QByteArray> said = {};  // on standard error; "%1" is the rig's folder
    QByteArray notSaid = {};
    int rows = 0;                                    // whole rows appended to the log
    bool sends = true;                               // whether the receiver gets any command
    bool unprivileged = false;                       // run as user 65534, whom permission bits stop
    std::function<void(HeadlessRig&)> setUp = {};    // before it starts
    std::function<void(HeadlessRig&)> started = {};  // once all have started
    std::function<void(HeadlessRig&)> after = {};    // once it has ended, checked
};

// A folder of the rig's made before the survey and removed once the receiver has its first
// command.
std::pair<std::function<void(HeadlessRig&)>, std::function<void(HeadlessRig&)>> RemovedFolder(
    const char* folder) {
    return {[folder](HeadlessRig& rig) { QVERIFY(QDir(rig.dir.path()).mkdir(folder)); },
            [folder](HeadlessRig& rig) {
                QVERIFY(QTest::qWaitFor([&] { return !rig.Log().isEmpty(); }, 10000));
                QVERIFY(QDir(rig.Path(folder)).removeRecursively());
            }};
}

// A port of 127.0.0.1 that takes connections and never answers, as long as the test runs: a
// rigctld whose radio is off.
QByteArray SilentPort() {
    const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(server, reinterpret_cast<sockaddr*>(&address), size);
    ::listen(server, 16);
    ::getsockname(server, reinterpret_cast<sockaddr*>(&address), &size);
    return QByteArray::number(ntohs(address.sin_port));
}

// The surveys, each a case of surveyStatuses.
const QList<Survey>& Surveys() {
    static const QByteArray missing = "No such file or directory";
    static const auto pictures = RemovedFolder("pictures");
    static const auto logs = RemovedFolder("logs");
    static const QList<Survey> surveys = {
        {.name = "two sweeps and a picture",
         .options = {"--sweeps", "2", "--picture", "%1/plot.png", "--history-picture",
                     "%1/history.png"},
         .said = {"Nerimo: sweep 2 at ", ": strongest level 14 at 145.5000 MHz; ",
                  "Nerimo: The survey ends after 2 sweeps measured and logged (2 rows to "
                  "%1/sweeps.csv, 2 pictures): --sweeps reached.\n"},
         .rows = 2,
         // The signal where it is, the progress lines as the rows say, and the pictures of the
         // plot and of the history with its peak.
         .after =
             [](HeadlessRig& rig) {
                 const QList<QByteArray> rows = rig.Rows();
                 for (const QByteArray& row : rows.mid(1, 2)) {
                     const QList<QByteArray> levels = WholeRow(row).mid(6);
                     QCOMPARE(levels.size(), 81);
                     QCOMPARE(levels[40].trimmed(), QByteArray("14"));
                 }
                 QVERIFY(rig.Errors().contains("Nerimo: sweep 2 at " +
                                               rows[2].left(20).replace(",", "") + ":"));
                 const QImage picture(rig.Path("plot.png"));
                 QCOMPARE(picture.width(), nerimo::kPlotWidth);
                 QCOMPARE(picture.pixelColor(StepPoint(40, 14) - kPlot), kGreen);
                 // The history's two sweeps fill its rows, the signal's cell in the colour of its
                 // level from the frame's top to its bottom; the caption strip under them.
                 const QImage history(rig.Path("history.png"));
                 QCOMPARE(history.size(), QSize(900, 620 + nerimo::waterfall::kCaptionHeight));
                 const QColor level14 =
                     QColor::fromRgb(nerimo::Colours(nerimo::Palette::Viridis)[223]);
                 const QRect area = nerimo::waterfall::Area({900, 620});
                 for (const int y : {area.top(), area.center().y(), area.bottom()}) {
                     QCOMPARE(history.pixelColor(458, y), level14);
                 }
                 QCOMPARE(history.pixelColor(899, 659), QColor(64, 64, 64));
             }},
        // SIGTERM in its first sweep: the steps it measured are its row, as the last line says,
        // and no windowing platform was ever loaded, whatever QT_QPA_PLATFORM says.
        {.name = "ended by a signal",
         .said = {"Nerimo: sweep 1 at ",
                  "Nerimo: The survey ends after 1 sweep measured and logged (1 row to "
                  "%1/sweeps.csv): SIGTERM, which cut sweep 1 short after "},
         .rows = 1,
         .started =
             [](HeadlessRig& rig) {
                 QVERIFY(QTest::qWaitFor([&] { return rig.Log().size() >= 20; }, 10000));
                 QFile maps(QStringLiteral("/proc/%1/maps").arg(rig.program.processId()));
                 QVERIFY(maps.open(QIODevice::ReadOnly));
                 QVERIFY(!maps.readAll().contains("/platforms/"));
                 rig.program.terminate();
             },
         .after =
             [](HeadlessRig& rig) {
                 const qsizetype steps = WholeRow(rig.Rows()[1]).size() - 6;
                 QVERIFY(steps >= 19);
                 QVERIFY(rig.Errors().contains(
                     QStringLiteral(" short after %1 of 81 steps; its row holds those %1.\n")
                         .arg(steps)
                         .toLatin1()));
             }},
        // SIGTERM while the radio has answered no level: no receiver, not done.
        {.name = "ended by a signal, nothing measured",
         .receiver = Receiver::Rigctld,
         .receiverOptions = {"--garbage-strength"},
         .settings = "RIG=2\n",
         .status = 3,
         .said = {"Nerimo: The survey ends before the receiver measured a sweep.\n"},
         .started =
             [](HeadlessRig& rig) {
                 QVERIFY(QTest::qWaitFor([&] { return rig.Log().size() >= 3; }, 10000));
                 rig.program.terminate();
             }},
        // A signal a step wide there in the first sweep only, and one always there but locked
        // out in lockouts.csv beside the settings file; a gqrx file names the first. Its one
        // activity, named, its row exact; none at the locked-out step.
        {.name = "activities",
         .band = "145.5 1 14 20\n145.25 1 12\n",
         .options = {"--sweeps", "2", "--activity", "%1/activity.csv", "--bookmarks",
                     "%1/bookmarks.csv"},
         .said = {"MHz; 1 activity started.\n", "MHz; 0 activities started.\n",
                  "bookmarks.csv (gqrx): 7 entries could not be read and are left out: line 3, "
                  "line 4, line 5, line 6, line 7 and 2 more.\n"},
         .rows = 2,
         .setUp =
             [](HeadlessRig& rig) {
                 rig.Write("bookmarks.csv",
                           "# Frequency ; Name ; Modulation ; Bandwidth ; Tags\n"
                           "145500000 ; Calling, north ; Narrow FM ; 10000 ; \n" +
                               QByteArray("x ; Broken ; FM ; 1 ; \n").repeated(7));
                 rig.Write("lockouts.csv", "Frequency_Hz\n145250000\n");
             },
         .after =
             [](HeadlessRig& rig) {
                 QFile file(rig.Path("activity.csv"));
                 QVERIFY(file.open(QIODevice::ReadOnly));
                 const QList<QByteArray> lines = file.readAll().split('\n');
                 QCOMPARE(lines.size(), 3);
                 QCOMPARE(lines[0],
                          QByteArray("Frequency_Hz,Frequency_MHz,Name,Max_Level,Start_Timestamp,"
                                     "End_Timestamp,Duration_Seconds,Sweeps"));
                 static const QRegularExpression row(QStringLiteral(
                     "^145500000,145\\.5000,\"Calling, north\",14,(\\d{4}-\\d\\d-\\d\\dT\\d\\d:"
                     "\\d\\d:\\d\\dZ),\\1,0,1$"));
                 QVERIFY2(row.match(QString::fromLatin1(lines[1])).hasMatch(),
                          lines[1].constData());
             }},
        {.name = "log refused",
         .status = 1,
         .said = {"sweeps.csv cannot be opened for writing: Permission denied"},
         .sends = false,
         .unprivileged = true,
         .setUp =
             [](HeadlessRig& rig) {
                 QFile::setPermissions(rig.Path("sweeps.csv"), QFile::ReadOwner | QFile::ReadOther);
                 QFile::setPermissions(rig.dir.path(), QFile::Permissions(0x7777));
             }},
        // A quiet survey that goes well says nothing at all.
        {.name = "quiet",
         .options = {"--sweeps", "1", "--quiet"},
         .rows = 1,
         .after =
             [](HeadlessRig& rig) { QVERIFY2(rig.Errors().isEmpty(), rig.Errors().constData()); }},
        // A quiet one that fails says only why, and how it ended.
        {.name = "quiet, full device",
         .options = {"--log", "/dev/full", "--sweeps", "2", "--quiet"},
         .status = 1,
         .said = {"Nerimo: The sweep log /dev/full cannot be written (No space left on device); "
                  "logging has stopped.\n"
                  "Nerimo: The survey ends after 1 sweep measured (0 rows to /dev/full): a log "
                  "that could not be written.\n"},
         .notSaid = "Nerimo: sweep 1 at "},
        // A full disk ends the survey after its first sweep, the half row taken back.
        {.name = "full device",
         .options = {"--log", "/dev/full", "--sweeps", "2"},
         .status = 1,
         .said = {"/dev/full cannot be written (No space left on device); logging has stopped.",
                  "Nerimo: sweep 1 at "},
         .after = [](HeadlessRig& rig) { QVERIFY(rig.Log().size() <= 82); }},
        {.name = "disk full in a row",
         .options = {"--sweeps", "2"},
         .status = 1,
         .said = {"sweeps.csv cannot be written (File too large); logging has stopped."},
         .setUp = [](HeadlessRig& rig) { rig.FullAfter(100); },  // the earlier line, half a row
         .after = [](HeadlessRig& rig) { QVERIFY(rig.Log().size() <= 82); }},
        // Rows that would go to a file no longer in any folder.
        {.name = "log's folder removed",
         .options = {"--log", "%1/logs/sweeps.csv", "--sweeps", "2"},
         .status = 1,
         .said = {"/logs/sweeps.csv cannot be written (the file, or its folder, was removed); "
                  "logging has stopped."},
         .setUp = logs.first,
         .started = logs.second},
        {.name = "rigctld that answers nothing",
         .receiver = Receiver::SilentRigctld,
         .settings = "RIG=2\n",
         .status = 3,
         .said = {"Check that rigctld runs there and that its radio is switched on, or give "
                  "another address: set DEVICE=host:port in "},
         .notSaid = "Plug the receiver in",
         .sends = false},
        {.name = "missing device",
         .receiver = Receiver::None,
         .status = 3,
         .said = {"/receiver: " + missing +
                      ". Plug the receiver in, or choose its port: nerimo --list-ports lists "
                      "them; set DEVICE= in ",
                  "/Nerimo.ini."},
         .sends = false},
        {.name = "plugged in later",
         .receiver = Receiver::PluggedInLater,
         .options = {"--wait-for-receiver", "--sweeps", "1"},
         .said = {"Waiting for the receiver at ", "receiver is back.", "Nerimo: sweep 1 at "},
         .rows = 1},
        {.name = "lost past --give-up-after",
         .receiverOptions = {"--hangup-after", "90"},
         .options = {"--give-up-after", "2"},
         .status = 3,
         .said = {"is gone; trying again every 2 s.", "Nerimo: sweep 2: no receiver.",
                  "has been away for 2 s; the survey ends."},
         .rows = 1},
        {.name = "unknown model",
         .receiver = Receiver::None,
         .settings = "RIG=99999\n",
         .status = 3,
         .said = {"Nerimo: Hamlib has no radio model 99999 (rigctl -l lists them).\n"},
         .notSaid = "COM",
         .sends = false},
        {.name = "bad picture",
         .options = {"--picture", "%1/none/plot.png"},
         .status = 1,
         .said = {"plot.png cannot be written: " + missing + "."},
         .sends = false},
        // Its folder there at the start and gone at the end: the picture is not written.
        {.name = "picture's folder removed",
         .options = {"--sweeps", "1", "--picture", "%1/pictures/plot.png"},
         .status = 1,
         .said = {"plot.png cannot be written: "},
         .rows = 1,
         .setUp = pictures.first,
         .started = pictures.second},
        {.name = "garbage strength",
         .receiver = Receiver::Rigctld,
         .receiverOptions = {"--garbage-strength"},
         .settings = "RIG=2\n",
         .options = {"--give-up-after", "17"},
         .status = 3,
         .said = {"Nerimo: sweep 1: the receiver answered none of its 81 steps.",
                  "has answered none of its last 8 steps"},
         .notSaid = "is gone"},
        {.name = "silent receiver",
         .receiverOptions = {"--silent-after", "3"},
         .options = {"--give-up-after", "3"},
         .status = 3,
         .said = {"has answered none of its last 8 steps: check that it is switched on",
                  "has been away for 3 s"},
         .rows = 1},
    };
    return surveys;
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
        QTest::addColumn<QString>("printed");   // on standard output for status 0, else on error
        QTest::addColumn<QByteArray>("tuned");  // the receiver's first command
        const QStringList survey = {"--headless", "--log", "%1/sweeps.csv"};
        QTest::newRow("help") << QStringList{"--help"} << 0 << "3 no receiver" << QByteArray();
        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << QStringLiteral("nerimo " NERIMO_VERSION "\n") << QByteArray();
        QTest::newRow("unknown option")
            << QStringList{"--fast"} << 2
            << "Nerimo: Unknown option 'fast'. nerimo --help lists the options.\n"
            << QByteArray();
        QTest::newRow("missing value") << QStringList{"--device"} << 2
                                       << "Nerimo: Missing value after '--device'." << QByteArray();
        QTest::newRow("quiet window")
            << QStringList{"--quiet"} << 2 << "--give-up-after and --quiet go with --headless."
            << QByteArray();
        QTest::newRow("give up, badly")
            << survey + QStringList{"--give-up-after", "soon"} << 2
            << "Nerimo: --give-up-after takes a whole number of seconds, 0 or more."
            << QByteArray();
        // Each port with the DEVICE= line for it, or a line that there is none.
        QTest::newRow("list-ports") << QStringList{"--list-ports"} << 0
                                    << (QSerialPortInfo::availablePorts().isEmpty()
                                            ? QStringLiteral("No serial ports found.\n")
                                            : QStringLiteral("\n    DEVICE=/dev/"))
                                    << QByteArray();
        // A survey says nothing on standard output.
        QTest::newRow("device") << survey + QStringList{"--device", "%1/receiver"} << 0 << QString()
                                << QByteArray("145.0000N");
        QTest::newRow("range beyond the receiver")
            << survey + QStringList{"--device", "%1/receiver", "--range", "2030M:2040M"} << 2
            << "Nerimo: The receiver tunes 0.1 to 2036 MHz.\n"
            << QByteArray();
        QTest::newRow("range of odd steps")
            << survey + QStringList{"--device", "%1/receiver", "--range", "145M:146M:150"} << 2
            << "must be whole hundreds of Hz" << QByteArray();
        QTest::newRow("settings") << survey + QStringList{"--settings", "%1/other.ini"} << 0
                                  << QString() << QByteArray("150.0000N");
        QTest::newRow("step below 1 Hz")
            << survey + QStringList{"--range", "145M:146M:0.4"} << 2
            << "Nerimo: --range 145M:146M:0.4: the step must be at least 1 Hz." << QByteArray();
        QTest::newRow("picture of no format")
            << survey + QStringList{"--device", "%1/receiver", "--picture", "%1/plot.txt"} << 2
            << "plot.txt: its name must end in .png" << QByteArray();
        QTest::newRow("the broker's own topics")
            << survey + QStringList{"--mqtt", "mqtt://127.0.0.1", "--mqtt-topic", "$SYS"} << 2
            << "--mqtt-topic may not begin with $" << QByteArray();
        // Files that are no files, each refused at once, never waited on; the log's named pipe
        // that nothing reads is a log that cannot be written.
        const QStringList device = survey + QStringList{"--device", "%1/receiver"};
        QTest::newRow("lockouts a named pipe")
            << device + QStringList{"--lockouts", "%1/pipe"} << 2
            << "/pipe cannot be read: it is a named pipe, not a file." << QByteArray();
        QTest::newRow("bookmarks a folder")
            << device + QStringList{"--bookmarks", "%1/folder"} << 2
            << "/folder cannot be read: it is a folder, not a file." << QByteArray();
        QTest::newRow("lockouts a device")
            << device + QStringList{"--lockouts", "/dev/zero"} << 2
            << "/dev/zero cannot be read: it is a device, not a file." << QByteArray();
        QTest::newRow("credentials a named pipe")
            << device + QStringList{"--mqtt", "mqtt://127.0.0.1", "--mqtt-credentials", "%1/pipe"}
            << 2 << "/pipe cannot be read: it is a named pipe, not a file." << QByteArray();
        QTest::newRow("settings a named pipe")
            << device + QStringList{"--settings", "%1/pipe"} << 2
            << "/pipe cannot be read: it is a named pipe, not a file." << QByteArray();
        QTest::newRow("log a named pipe that nothing reads")
            << QStringList{"--headless", "--device", "%1/receiver", "--log", "%1/pipe"} << 1
            << "/pipe cannot be opened for writing: it is a named pipe that nothing reads."
            << QByteArray();
    }
    void commandLine() {
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QString, printed);
        QFETCH(QByteArray, tuned);
        HeadlessRig rig;
        rig.StartReceiver(kBand);
        rig.Write("other.ini", "MHZ=150\nDEVICE=" + rig.Path("receiver").toLocal8Bit());
        QVERIFY(::mkfifo(rig.Path("pipe").toLocal8Bit().constData(), 0600) == 0 &&
                QDir(rig.dir.path()).mkdir("folder"));
        options.replaceInStrings(QStringLiteral("%1"), rig.dir.path());
        rig.StartProgram("DEVICE=/dev/ttyNerimoNone\n", false, options);
        if (!tuned.isEmpty()) {
            // Once the first step is measured, a signal ends the survey as done.
            QVERIFY(QTest::qWaitFor([&] { return rig.Log().size() >= 2; }, 10000));
            QCOMPARE(rig.Log().first(), tuned);
            rig.program.terminate();
        }
        QVERIFY(rig.Ended(10000));
        QCOMPARE(rig.program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(rig.program.exitCode(), status);
        const QString out = QString::fromLocal8Bit(rig.program.readAllStandardOutput());
        if (status != 0) {
            QVERIFY2(out.isEmpty(), qPrintable(out));
            QVERIFY2(rig.Errors().contains(printed.toLocal8Bit()), rig.Errors().constData());
            QVERIFY(!QFile::exists(rig.Path("sweeps.csv")));  // nothing made of the survey
            QVERIFY(rig.Log().isEmpty());
        } else if (printed.isEmpty()) {
            QVERIFY2(out.isEmpty(), qPrintable(out));
        } else {
            QVERIFY2(out.contains(printed), qPrintable(out));
        }
        if (QTest::currentDataTag() == QByteArray("list-ports")) {
            for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
                QVERIFY(out.contains(port.systemLocation() + "\n    DEVICE="));
            }
        }
    }

    // nerimo --check-settings, with no display: the file in use and why, from each of the three
    // places a file comes from, each key's value and the line that set it, and each trap with
    // its line; status 0 for a clean file, 1 with a trap. "%1" is the program's folder.
    void checkSettings_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("place");  // beside, given or installed
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("printed");
        const auto key = [](const char* name, const char* value) {
            return QStringLiteral("\n%1 %2").arg(QLatin1String(name), -14).arg(value);
        };
        const QByteArray clean = "MHZ=150\nSPAN=8\n";
        QTest::newRow("beside the program")
            << clean << "beside" << 0
            << QStringList{"Settings file: %1/Nerimo.ini\n  beside the program",
                           key("MHZ=", "150") + "  ", "line 1: MHZ=150\n", key("GRID=", "0") + "  ",
                           "No warnings."};
        QTest::newRow("every key, as the program takes it")
            << QByteArray(
                   "FM_AM=A\nSPAN=8\nMHZ=430.5\nGRID=1\nCLEAR_SCREEN=1\nCOM=3\nCOLOR=2\n"
                   "PAUSE=99\nDEVICE=/dev/ttyUSB0\nRIG=2\nRIG_SPEED=9600\n")
            << "beside" << 0
            << QStringList{key("FM_AM=", "A (AM)"),        key("SPAN=", "8 (MHz)"),
                           key("MHZ=", "430.5"),           key("GRID=", "1"),
                           key("CLEAR_SCREEN=", "1"),      key("COM=", "3 (/dev/ttyS2)"),
                           key("COLOR=", "2 (orange)"),    key("PAUSE=", "99 (hold)"),
                           key("DEVICE=", "/dev/ttyUSB0"), key("RIG=", "2 "),
                           key("RIG_SPEED=", "9600 "),     "line 11: RIG_SPEED=9600"};
        QTest::newRow("defaults") << QByteArray("PAUSE=4\n") << "beside" << 0
                                  << QStringList{key("FM_AM=", "N (FM)"),
                                                 key("PAUSE=", "4 (dwell 4 s)"),
                                                 key("DEVICE=", "unset"),
                                                 key("RIG=", "0 (the receiver's own protocol)"),
                                                 key("RIG_SPEED=", "0 (the model's own)")};
        QTest::newRow("named by --settings")
            << clean << "given" << 0
            << QStringList{"Settings file: %1/other.ini\n  named by --settings",
                           key("SPAN=", "8 (MHz)")};
        QTest::newRow("installed, a file planted beside it")
            << clean << "installed" << 0
            << QStringList{"Settings file: %1/config/nerimo/Nerimo.ini\n  the per-user file",
                           key("MHZ=", "150")};
        QTest::newRow("comment") << QByteArray("MHZ=145\n# GRID=1\n") << "beside" << 1
                                 << QStringList{
                                        "%1/Nerimo.ini: line 2 starts with '#' but sets "
                                        "GRID=1; Nerimo has no comments, and the line is "
                                        "obeyed.\n",
                                        key("GRID=", "1")};
        QTest::newRow("space before =")
            << QByteArray("MHZ = 150\n") << "beside" << 1
            << QStringList{"line 1 has a space before '=' (MHZ = 150), so MHZ= is not read there",
                           key("MHZ=", "145")};
        QTest::newRow("unknown keys")
            << QByteArray("DEVCE=/dev/ttyUSB0\nMHZ2=150\n") << "beside" << 1
            << QStringList{
                   "line 1 sets DEVCE=, a key Nerimo does not know, so the line is not "
                   "read; did you mean DEVICE=?",
                   "line 2 sets MHZ2=, a key Nerimo does not know"};
        QTest::newRow("out of range") << QByteArray("MHZ=5000\nCOLOR=9\n") << "beside" << 1
                                      << QStringList{"line 1: MHZ=5000 was read as 2035.",
                                                     "line 2: COLOR=9 was read as 0 (green)."};
        QTest::newRow("not a number")
            << QByteArray("GRID=yes\nCLEAR_SCREEN=on\nMHZ=.5e3\n") << "beside" << 1
            << QStringList{"2 warnings:",
                           "line 1: GRID=yes is not a number, so it was read as 0 and the value "
                           "in effect is 0.",
                           "line 2: CLEAR_SCREEN=on is not a number, so it was read as 0",
                           key("MHZ=", "500")};
        QTest::newRow("set twice") << QByteArray("MHZ=150\nMHZ=160\n") << "beside" << 1
                                   << QStringList{
                                          "MHZ= is set on lines 1, 2; the last, line 2, "
                                          "wins.",
                                          key("MHZ=", "160")};
        QTest::newRow("shared line")
            << QByteArray("FM_AM=A SPAN=8\n") << "beside" << 1
            << QStringList{
                   "line 1 holds 2 keys, and a value runs on to the end of its line "
                   "(FM_AM=ASPAN=8)",
                   key("FM_AM=", "N (FM)")};
        QTest::newRow("outside 16 bits")
            << QByteArray("COM=40000\n") << "beside" << 1
            << QStringList{
                   "line 1: The settings file gives COM= the value 40000, which is "
                   "outside -32768 to 32767; Nerimo will not start with it."};
    }
    void checkSettings() {
        QFETCH(QByteArray, file);
        QFETCH(QString, place);
        QFETCH(int, status);
        QFETCH(QStringList, printed);
        HeadlessRig rig;
        QStringList options = {"--check-settings"};
        if (place == "given") {
            rig.Write("other.ini", file);
            options << "--settings" << rig.Path("other.ini");
        } else if (place == "installed") {
            // The layout of an install: bin/nerimo, and share/nerimo/installed beside it.
            QVERIFY(QDir(rig.dir.path()).mkpath("bin") &&
                    QDir(rig.dir.path()).mkpath("share/nerimo") &&
                    QDir(rig.dir.path()).mkpath("config/nerimo"));
            QVERIFY(QFile::rename(rig.Path("nerimo"), rig.Path("bin/nerimo")));
            rig.Write("share/nerimo/installed", "");
            rig.Write("bin/Nerimo.ini", "MHZ=99\n");
            rig.Write("config/nerimo/Nerimo.ini", file);
        } else {
            rig.Write("Nerimo.ini", file);
        }
        QProcessEnvironment env = rig.program.processEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), rig.Path("config"));
        rig.program.setProcessEnvironment(env);
        rig.program.start(rig.Path(place == "installed" ? "bin/nerimo" : "nerimo"), options);
        QVERIFY(rig.Ended(10000));
        const QString out = QString::fromLocal8Bit(rig.program.readAllStandardOutput());
        QCOMPARE(rig.program.exitCode(), status);
        for (const QString& text : printed) {
            QVERIFY2(out.contains(QString(text).replace(QStringLiteral("%1"), rig.dir.path())),
                     qPrintable(text + "\n" + out));
        }
    }

    // Unattended surveys, each a case of its own with its exit status (0 done, 1 a file not
    // written, 3 no receiver), what it said on standard error, and the whole rows it appended to
    // a log that held a line before. All start together, at the first case, and run side by
    // side.
    void surveyStatuses_data() {
        QTest::addColumn<int>("index");
        for (qsizetype i = 0; i < Surveys().size(); ++i) {
            QTest::newRow(Surveys()[i].name) << int(i);
        }
    }
    void surveyStatuses() {
        QFETCH(int, index);
        if (surveys_.empty()) {
            StartSurveys();
        }
        const Survey& survey = Surveys()[index];
        HeadlessRig& rig = *surveys_[size_t(index)];
        QVERIFY(rig.Ended(60000));
        const QByteArray errors = rig.Errors();
        qInfo("status %d\n%s", rig.program.exitCode(), errors.constData());
        QCOMPARE(rig.program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(rig.program.exitCode(), survey.status);
        for (QByteArray text : survey.said) {
            text.replace("%1", rig.dir.path().toLocal8Bit());
            QVERIFY2(errors.contains(text), text.constData());
        }
        QVERIFY(survey.notSaid.isEmpty() || !errors.contains(survey.notSaid));
        // Every line is the program's (a coverage build's counters, which a survey run as another
        // user cannot write, say so too), and none is Qt's notice of the session's runtime folder,
        // which a survey under cron or a service manager has not the way a desktop has.
        for (const QByteArray& line : errors.split('\n')) {
            QVERIFY2(line.isEmpty() || line.startsWith("Nerimo: ") ||
                         line.startsWith("libgcov profiling error:"),
                     line.constData());
            QVERIFY2(!line.contains("QStandardPaths"), line.constData());
        }
        const QList<QByteArray> rows = rig.Rows();
        QCOMPARE(rows.value(0), QByteArray("an earlier survey"));
        QCOMPARE(rows.size(), survey.rows + 2);
        QVERIFY(rows.last().isEmpty());
        for (const QByteArray& row : rows.mid(1, survey.rows)) {
            QVERIFY2(!WholeRow(row).isEmpty(), row.constData());
        }
        QCOMPARE(!rig.Log().isEmpty(), survey.sends);
        if (survey.after) {
            survey.after(rig);
        }
    }

    // Channel lists scanned unattended: the channels of the groups asked, in the file's order and
    // their own modes, a skipped or locked-out one never sent; a stop at a busy one, a hold that
    // hangs on after its signal dropped, a priority channel looked at during a hold and taking it
    // over; a row a channel a pass in the log; a list with nothing to scan refused.
    void scansChannelLists_data() {
        QTest::addColumn<QByteArray>("band");
        QTest::addColumn<QByteArray>("file");  // the list, as channels.csv
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QStringList>("options");  // besides --channels, --log and --headless
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("wire");  // the first commands, as the receiver got them
        QTest::addColumn<QList<QByteArray>>("said");
        const QByteArray gqrx =
            "# Tag name ; color\nLocal ; #c0c0c0\nAir ; #ff0000\n\n"
            "# Frequency ; Name ; Modulation ; Bandwidth ; Tags\n"
            "145500000 ; Calling ; Narrow FM ; 10000 ; Local\n"
            "145600000 ; R12, \"the club\" ; Narrow FM ; 10000 ; Local\n"
            "118100000 ; Tower ; AM ; 10000 ; Air\n"
            "14230000 ; SSTV ; USB ; 2700 ; Local\n"
            "121500000 ; Guard ; AM ; 10000 ; Emergency\n";
        QTest::newRow("gqrx tags, a dwell")
            << QByteArray("145.5 12.5 14\n118.1 10 9\n") << gqrx
            << QByteArray("PAUSE=2\nACTIVITY=5\n")
            << QStringList{"--group", "local", "--group", "Air"} << 0
            << QByteArray("145.5000N 145.6000N 118.1000A 145.5000N 145.6000N 118.1000A")
            << QList<QByteArray>{
                   "Nerimo: 1 of %1/channels.csv left out: the receiver hears FM and AM only (1 "
                   "USB).\n",
                   "Nerimo: pass 2 at ",
                   ": busiest channel Calling (145.5000 MHz), level 14; 0 activities started.\n",
                   "Nerimo: The survey ends after 2 passes measured and logged (6 rows to "
                   "%1/channels-log.csv): --sweeps reached.\n"};
        QTest::newRow("CHIRP, a skipped channel")
            << kBand
            << QByteArray(
                   "Location,Name,Frequency,Mode,Skip\n0,Simplex,146.52,FM,\n"
                   "1,Weather,162.55,NFM,S\n2,Tower,118.1,AM,\n")
            << QByteArray() << QStringList() << 0
            << QByteArray("146.5200N 118.1000A 146.5200N 118.1000A")
            << QList<QByteArray>{"Nerimo: 1 of %1/channels.csv left out: locked out.\n"};
        QTest::newRow("a group that is not there")
            << kBand << gqrx << QByteArray() << QStringList{"--group", "Marine"} << 2
            << QByteArray()
            << QList<QByteArray>{
                   "Nerimo: %1/channels.csv has no channel in Marine; its groups "
                   "are Local, Air, Emergency.\n"};
        QTest::newRow("nothing the receiver hears")
            << kBand << QByteArray("Location,Name,Frequency,Mode\n0,Net,14.23,USB\n")
            << QByteArray() << QStringList() << 2 << QByteArray()
            << QList<QByteArray>{
                   "Nerimo: %1/channels.csv has no channel the receiver can scan: "
                   "1 of %1/channels.csv left out: the receiver hears FM and AM "
                   "only (1 USB).\n"};
    }
    void scansChannelLists() {
        QFETCH(QByteArray, band);
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, settings);
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QByteArray, wire);
        QFETCH(QList<QByteArray>, said);
        HeadlessRig rig;
        rig.StartReceiver(band);
        rig.Write("channels.csv", file);
        rig.StartProgram(settings + "DEVICE=" + rig.Path("receiver").toLocal8Bit(), false,
                         QStringList{"--headless", "--channels", rig.Path("channels.csv"), "--log",
                                     rig.Path("channels-log.csv"), "--sweeps", "2"} +
                             options);
        QVERIFY(rig.Ended(30000));
        QCOMPARE(rig.program.exitCode(), status);
        const QByteArray errors = rig.Errors();
        for (QByteArray text : said) {
            text.replace("%1", rig.dir.path().toLocal8Bit());
            QVERIFY2(errors.contains(text), errors.constData());
        }
        QCOMPARE(rig.Log().mid(0, wire.isEmpty() ? 0 : wire.count(' ') + 1).join(' '), wire);
        QFile log(rig.Path("channels-log.csv"));
        if (status != 0) {
            QVERIFY(rig.Log().isEmpty());
            QVERIFY(!log.exists());
            return;
        }
        // A header, then a row a channel as it was measured, each pass at its own time.
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = log.readAll().split('\n');
        QCOMPARE(rows.value(0), QByteArray("Timestamp,Frequency_Hz,Name,Mode,Level"));
        QCOMPARE(rows.size(), 2 + wire.count(' ') + 1);
        static const QRegularExpression row(QStringLiteral(
            "^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ,(\\d+),(.*),(FM|AM),(\\d+)$"));
        for (int i = 1; i < rows.size() - 1; ++i) {
            const QRegularExpressionMatch match = row.match(QString::fromUtf8(rows[i]));
            QVERIFY2(match.hasMatch(), rows[i].constData());
            const QByteArray sent = wire.split(' ')[i - 1];
            QCOMPARE(match.captured(1).toLongLong(), llround(sent.chopped(1).toDouble() * 1e6));
            QCOMPARE(match.captured(3), QString(sent.endsWith('A') ? "AM" : "FM"));
        }
        if (file.contains("R12")) {  // a name with a comma and quotes, as RFC 4180 quotes it
            QVERIFY2(rows[2].contains(",145600000,\"R12, \"\"the club\"\"\",FM,"),
                     rows[2].constData());
            QVERIFY(rows[1].endsWith(",Calling,FM,14"));
        }
    }

    // Through Hamlib each channel in its own mode: the radio set to a mode before the frequency
    // when the mode changes, and only then; the log's rows say each channel's mode.
    void scansChannelsThroughHamlib() {
        HeadlessRig rig;
        const QByteArray port = rig.StartRigctld("145.5 12.5 14\n14.23 3 9\n");
        rig.Write("channels.csv",
                  "# Frequency ; Name ; Modulation ; Bandwidth ; Tags\n"
                  "145500000 ; Calling ; Narrow FM ; 10000 ; \n"
                  "145600000 ; R12 ; Narrow FM ; 10000 ; \n"
                  "118100000 ; Tower ; AM ; 10000 ; \n"
                  "14230000 ; SSTV ; USB ; 2700 ; \n"
                  "3760000 ; Net ; LSB ; 2700 ; \n"
                  "98800000 ; Broadcast ; WFM (stereo) ; 150000 ; \n"
                  "7030000 ; Odd ; DSB ; 6000 ; \n"
                  "2400000000 ; Oven ; AM ; 10000 ; \n");
        rig.StartProgram("RIG=2\nSETTLE=20\nDEVICE=127.0.0.1:" + port, false,
                         {"--headless", "--channels", rig.Path("channels.csv"), "--log",
                          rig.Path("channels-log.csv"), "--sweeps", "2"});
        QVERIFY(rig.Ended(20000));
        QCOMPARE(rig.program.exitCode(), 0);
        // Beyond the radio's 1300 MHz, as it says once open.
        QVERIFY2(rig.Errors().contains("left out: Nerimo sets a radio to FM, WFM, AM, USB, LSB "
                                       "and CW only (1 DSB).\n") &&
                     rig.Errors().contains("/channels.csv left out: outside what the radio at "
                                           "127.0.0.1:" +
                                           port + " receives.\n"),
                 rig.Errors().constData());
        QList<QByteArray> sent = rig.Log();
        sent.removeAll("STRENGTH");
        const QByteArray pass =
            "145.5000N 145.6000N MODE AM 118.1000A MODE USB 14.2300N MODE LSB 3.7600N MODE WFM "
            "98.8000N";
        QCOMPARE(sent.join(' '), pass + " MODE FM " + pass);
        QFile log(rig.Path("channels-log.csv"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QStringList modes;
        for (const QByteArray& row : log.readAll().split('\n').mid(1, 6)) {
            modes << QString::fromLatin1(row.split(',').value(2) + ' ' + row.split(',').value(3) +
                                         ' ' + row.split(',').value(4));
        }
        QCOMPARE(modes, QStringList({"Calling FM 14", "R12 FM 0", "Tower AM 0", "SSTV USB 9",
                                     "Net LSB 0", "Broadcast WFM 0"}));
    }

    // A hold on a channel goes on HANG= seconds after its signal dropped; a priority channel is
    // looked at during it, every PRIORITY_EVERY= seconds, and takes it over once busy.
    void channelHoldsHangAndPriority_data() {
        QTest::addColumn<QByteArray>("band");
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("hang") << QByteArray("145.5 10 14 6\n")
                              << QByteArray("PAUSE=99\nHANG=3\nACTIVITY=5\n") << QStringList();
        QTest::newRow("priority") << QByteArray("145.5 10 14\n145.6 10 14 -5\n")
                                  << QByteArray("PAUSE=99\nHANG=0\nACTIVITY=5\nPRIORITY_EVERY=1\n")
                                  << QStringList{"--priority", "R12"};
    }
    void channelHoldsHangAndPriority() {
        QFETCH(QByteArray, band);
        QFETCH(QByteArray, settings);
        QFETCH(QStringList, options);
        HeadlessRig rig;
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const double started =
            double(now.tv_sec) + now.tv_nsec / 1e9;  // the band's clock, or before
        rig.StartReceiver(band);
        rig.Write("channels.csv",
                  "Location,Name,Frequency,Mode\n0,Calling,145.5,FM\n1,R12,145.6,FM\n"
                  "2,Simplex,146.52,FM\n");
        rig.StartProgram(settings + "DEVICE=" + rig.Path("receiver").toLocal8Bit(), false,
                         QStringList{"--headless", "--channels", rig.Path("channels.csv"), "--log",
                                     rig.Path("channels-log.csv")} +
                             options);
        QVERIFY(rig.WaitForCommand("146.5200N", 30000));
        rig.program.terminate();
        QVERIFY(rig.Ended(10000));
        QFile file(rig.Path("log"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QList<std::pair<double, QByteArray>> sent;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (line.contains(' ')) {
                sent.append({line.split(' ')[0].toDouble() - started, line.split(' ')[1]});
            }
        }
        QVERIFY(sent.size() >= 3);
        QCOMPARE(sent[0].second, QByteArray("145.5000N"));
        // A held channel is tuned again at each cycle of its hold.
        const auto firstOf = [&](const QByteArray& command, int from = 0) {
            while (from < sent.size() && sent[from].second != command) {
                ++from;
            }
            return from;
        };
        if (options.isEmpty()) {
            // Held from the start until the signal drops at 6 s, then 3 hold cycles more.
            const int next = firstOf("145.6000N");
            QVERIFY(next < sent.size());
            QVERIFY2(sent[next].first >= 8.5, qPrintable(QString::number(sent[next].first)));
            for (int i = 0; i < next; ++i) {
                QCOMPARE(sent[i].second, QByteArray("145.5000N"));
            }
            return;
        }
        // Held on Calling for good, R12 looked at every hold cycle, until R12 comes on at 5 s and
        // holds the scan itself, no look at Calling in its hold; once R12 has dropped at 10 s,
        // the scan goes on after Calling.
        const int simplex = firstOf("146.5200N");
        int takenOver = simplex;
        while (takenOver > 0 && sent[takenOver - 1].second == "145.6000N") {
            --takenOver;
        }
        QList<QByteArray> order;
        for (const auto& [time, command] : sent) {
            order << QByteArray::number(time, 'f', 2) + ' ' + command;
        }
        QVERIFY2(takenOver > 4 && sent[takenOver].first >= 5 && sent[takenOver].first < 6.5 &&
                     sent[simplex].first >= 10,
                 order.join(' ').constData());
        for (int i = 0; i < takenOver; ++i) {
            QCOMPARE(sent[i].second, QByteArray(i % 2 ? "145.6000N" : "145.5000N"));
        }
    }

    // A survey over a range of its own: every step from LOW to HIGH, HIGH included, sent as the
    // receiver takes it and logged in the same layout. Through rigctld, SETTLE= is the wait
    // between tuning and reading; the native receiver keeps its own 185 ms.
    void surveysARange_data() {
        QTest::addColumn<bool>("rigctld");
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("range");
        QTest::addColumn<QByteArray>("row");      // after the date and time
        QTest::addColumn<double>("settle");       // the least seconds from tuning to reading
        QTest::addColumn<QByteArray>("refusal");  // status 2 and this, for a range refused
        QTest::newRow("native receiver")
            << false << QByteArray("SETTLE=20\n") << "145.45M:145.55M:25k"
            << QByteArray("145450000, 145550000, 25000, 1, 0, 0, 14, 0, 0") << 0.18 << QByteArray();
        QTest::newRow("rigctld, SETTLE=20")
            << true << QByteArray("RIG=2\nSETTLE=20\n") << "145.475M:145.5M"
            << QByteArray("145475000, 145500000, 12500, 1, 0, 7, 14") << 0.02 << QByteArray();
        QTest::newRow("rigctld, beyond the radio")
            << true << QByteArray("RIG=2\n") << "1.4G:1.5G" << QByteArray() << 0.0
            << QByteArray(
                   " receives 0.1000 to 1300.0000 MHz only, not 1400.0000 to 1500.0000 "
                   "MHz.\n");
    }
    void surveysARange() {
        QFETCH(bool, rigctld);
        QFETCH(QByteArray, settings);
        QFETCH(QString, range);
        QFETCH(QByteArray, row);
        QFETCH(double, settle);
        QFETCH(QByteArray, refusal);
        HeadlessRig rig;
        QByteArray device = rig.Path("receiver").toLocal8Bit();
        if (rigctld) {
            device = "127.0.0.1:" + rig.StartRigctld(kBand);
        } else {
            rig.StartReceiver(kBand);
        }
        rig.StartProgram(
            settings + "DEVICE=" + device, false,
            {"--headless", "--log", rig.Path("sweeps.csv"), "--range", range, "--sweeps", "2"});
        QVERIFY(rig.Ended(20000));
        QCOMPARE(rig.program.exitCode(), refusal.isEmpty() ? 0 : 2);
        const QList<QByteArray> rows = rig.Rows();
        if (!refusal.isEmpty()) {
            QVERIFY2(rig.Errors().contains(refusal), rig.Errors().constData());
            QVERIFY(rows.value(0).isEmpty());
            QCOMPARE(rig.Log(), QList<QByteArray>{"STRENGTH"});  // read at open, never tuned
            return;
        }
        QCOMPARE(rows.size(), 3);
        for (const QByteArray& logged : rows.mid(0, 2)) {
            QCOMPARE(logged.mid(22), row);
        }
        // Each step's tuning, then (through rigctld) its reading, the settling time apart.
        const long long first = row.split(',')[0].toLongLong();
        const long long step = row.split(',')[2].toLongLong();
        QFile file(rig.Path("log"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = file.readAll().split('\n');
        if (rigctld) {
            lines.removeFirst();  // the reading at open, which proves the radio reports strength
        }
        const int steps = int(row.count(',')) - 3;
        const int perStep = rigctld ? 2 : 1;
        QCOMPARE(lines.size(), 2 * steps * perStep + 1);
        // The receiver's clock stamps a command when it reads it, which a busy machine delays
        // now and then: one wait may look that much shorter, the next longer; over all the steps
        // the waits add up to no less than the settling time each.
        constexpr double kReadLate = 0.03;
        const double all = lines[2 * steps * perStep - 1].split(' ').value(0).toDouble() -
                           lines[0].split(' ').value(0).toDouble();
        QVERIFY2(all >= (2 * steps - 1) * settle, qPrintable(QString::number(all)));
        for (int i = 0; i < 2 * steps; ++i) {
            const QList<QByteArray> tuned = lines[i * perStep].split(' ');
            QCOMPARE(tuned.value(1),
                     QByteArray::number((first + (i % steps) * step) / 1e6, 'f', 4) + 'N');
            const QList<QByteArray> next = lines.value(i * perStep + 1).split(' ');
            if (i * perStep + 1 < lines.size() - 1) {
                const double waited = next.value(0).toDouble() - tuned.value(0).toDouble();
                QVERIFY2(waited >= settle - kReadLate && waited < settle + 0.1,
                         qPrintable(QString::number(waited)));
            }
        }
    }

  private:
    // Every survey of Surveys(), at once, each on a receiver of its own.
    void StartSurveys() {
        for (const Survey& survey : Surveys()) {
            auto& rig = *surveys_.emplace_back(std::make_unique<HeadlessRig>());
            rig.Write("sweeps.csv", "an earlier survey\n");
            QByteArray device = rig.Path("receiver").toLocal8Bit();
            if (survey.receiver == Receiver::Serial) {
                rig.StartReceiver(survey.band, survey.receiverOptions);
            } else if (survey.receiver == Receiver::Rigctld) {
                device = "127.0.0.1:" + rig.StartRigctld(kBand, "0", survey.receiverOptions);
            } else if (survey.receiver == Receiver::SilentRigctld) {
                device = "127.0.0.1:" + SilentPort();
            }
            if (survey.setUp) {
                survey.setUp(rig);
            }
            QStringList options =
                QStringList{"--headless", "--log", rig.Path("sweeps.csv")} + survey.options;
            options.replaceInStrings(QStringLiteral("%1"), rig.dir.path());
            rig.StartProgram("MHZ=145\nSPAN=1\n" + survey.settings + "DEVICE=" + device,
                             survey.unprivileged, options);
            if (survey.receiver == Receiver::PluggedInLater) {
                QTimer::singleShot(2000, [&rig] { rig.StartReceiver(kBand); });
            }
        }
        for (qsizetype i = 0; i < Surveys().size(); ++i) {
            if (Surveys()[i].started) {
                Surveys()[i].started(*surveys_[size_t(i)]);
            }
        }
    }

    std::vector<std::unique_ptr<HeadlessRig>> surveys_;
};

QTEST_GUILESS_MAIN(HeadlessTest)
#include "tst_headless.moc"
