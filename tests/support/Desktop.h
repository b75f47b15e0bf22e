#pragma once

// End-to-end tests: the real program in a real X window. Xvfb is the screen, xdotool the user's
// hand, the test's own screen grabs the eyes, and the simulated receiver on a pseudo-terminal the
// far end of the line. Each case runs a copy of the program from a folder of its own, with its
// own Nerimo.ini.

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QScreen>
#include <QtTest>
#include <algorithm>
#include <optional>
#include <string>

#include "ProcessFigures.h"

namespace nerimo::testing {

// A private X screen of 1024 x 768 pixels with no window manager, for this process and its
// children. Started before the application object, which then connects to it.
class XServer {
  public:
    XServer() = default;
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    bool Start() {
        int pipe[2];
        if (::pipe(pipe) != 0) {
            return false;
        }
        // Xvfb picks a free display and writes its number to the descriptor given. It goes with
        // the test, also when a watchdog aborts it.
        const std::string fd = std::to_string(pipe[1]);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            ::close(pipe[0]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
                     "-noreset", "-nolisten", "tcp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        const bool started = pid_ > 0;
        ::close(pipe[1]);
        std::string display;
        char c = 0;
        while (started && ::read(pipe[0], &c, 1) == 1 && c != '\n') {
            display += c;
        }
        ::close(pipe[0]);
        if (!started || display.empty()) {
            return false;
        }
        qputenv("DISPLAY", QByteArray(":") + display.c_str());
        qputenv("QT_QPA_PLATFORM", "xcb");
        qunsetenv("WAYLAND_DISPLAY");
        return true;
    }

    ~XServer() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }

  private:
    pid_t pid_ = -1;
};

// Places in the window, in window pixels.
inline constexpr QSize kWindowSize(812, 541);
inline constexpr QPoint kStartStop(136, 48);
inline constexpr QRect kStartStopFace(121, 41, 31, 15);
inline constexpr QPoint kContinue(144, 88);
inline constexpr QRect kContinueFace(121, 81, 47, 15);
inline constexpr QPoint kClose(756, 16);
inline constexpr QPoint kAm(296, 80);
inline constexpr QPoint kEightMHz(472, 80);
inline constexpr QRect kStatus(576, 56, 185, 15);
inline constexpr QRect kReadout(352, 504, 145, 25);
inline constexpr QPoint kPlot(64, 136);

inline const QColor kGreen(0, 255, 0);
inline const QColor kRed(255, 0, 0);
inline const QColor kYellow(255, 255, 0);
inline const QColor kBlack(0, 0, 0);
inline const QColor kGridGrey(128, 128, 128);
inline const QColor kPanelGrey(64, 64, 64);

inline constexpr double kStepSeconds = 0.185;
// The simulator stamps a command when it gets to read it; a busy machine can delay one stamp by a
// few milliseconds, which shortens that step and lengthens the next on its log. The program's own
// pace is measured exactly, in the process, by the sweep-over-pty test.
inline constexpr double kReceiverStampJitter = 0.005;

// The y of a level on the plot.
inline int LevelY(int level) {
    return 339 - 21 * level;
}

// The point of a 1 MHz sweep's step at a level, in window pixels.
inline QPoint StepPoint(int step, int level) {
    return kPlot + QPoint(44 + 8 * step, LevelY(level));
}

inline QByteArray SweepCommand(int step, char mode = 'N') {
    return QByteArray::number(145.0 + step * 0.0125, 'f', 4) + mode;
}

inline int CountColour(const QImage& image, const QRect& area, const QColor& colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += image.pixelColor(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

inline int Distance(const QColor& a, const QColor& b) {
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
}

// Pixels of text in a colour: smoothed glyphs blend it with the panel, so count the pixels
// nearer to it than to the panel grey, black or white.
inline int CountText(const QImage& image, const QRect& area, const QColor& colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const int near = Distance(pixel, colour);
            count += near < Distance(pixel, kPanelGrey) && near < Distance(pixel, kBlack) &&
                             near < Distance(pixel, Qt::white)
                         ? 1
                         : 0;
        }
    }
    return count;
}

struct Command {
    double seconds;
    QByteArray text;
};

// One copy of the program with its receiver.
struct Rig {
    QTemporaryDir dir;
    QProcess receiver;
    QProcess program;
    QString window;
    QPoint origin;

    QString Path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    QList<Command> Log() const {
        QFile file(Path("log"));
        QList<Command> commands;
        if (!file.open(QIODevice::ReadOnly)) {
            return commands;
        }
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (words.size() == 2) {
                commands << Command{words[0].toDouble(), words[1]};
            }
        }
        return commands;
    }

    std::optional<double> ProcessorSeconds() const {
        return testing::ProcessorSeconds(program.processId());
    }
    std::optional<double> StatusKiB(const QByteArray& key) const {
        return testing::StatusKiB(program.processId(), key);
    }

    ~Rig() {
        for (QProcess* process : {&program, &receiver}) {
            process->kill();
            process->waitForFinished(3000);
        }
    }
};

// A child that goes with the test, also when a watchdog aborts it before its clean-up runs.
inline void DiesWithTest(QProcess& process) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

// What the end-to-end tests share: starting rigs, clicking, grabbing the screen, reading logs.
class DesktopTest : public QObject {
  protected:
    QTemporaryDir session_;  // TMPDIR and HOME of every copy: where the single-instance lock lives

    QProcessEnvironment Environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), session_.path());
        env.insert(QStringLiteral("HOME"), session_.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), session_.path());
        return env;
    }

    QByteArray Xdotool(const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(Environment());
        process.start(QStringLiteral("xdotool"), arguments);
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished();
            return {};
        }
        return process.readAllStandardOutput();
    }

    void ClickAt(const Rig& rig, QPoint place) {
        const QPoint at = rig.origin + place;
        Xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                 QStringLiteral("click"), QStringLiteral("1")});
    }

    void PointAt(const Rig& rig, QPoint place) {
        const QPoint at = rig.origin + place;
        Xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
    }

    // The window as it stands on the screen.
    static QImage Shot(const Rig& rig) {
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, rig.origin.x(), rig.origin.y(), kWindowSize.width(),
                         kWindowSize.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

    static bool StartShown(const Rig& rig) {
        return CountColour(Shot(rig), kStartStopFace, kGreen) > 200;
    }

    // The visible windows of the program, newest last.
    QStringList Windows() {
        return QString::fromLatin1(
                   Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                            QStringLiteral("--class"), QStringLiteral("nerimo")}))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    bool FindWindow(Rig& rig, QSize size, int timeoutMs = 10000) {
        return QTest::qWaitFor(
            [&] {
                for (const QString& window : Windows()) {
                    const QByteArray shell = Xdotool(
                        {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
                    QMap<QByteArray, int> values;
                    for (const QByteArray& line : shell.split('\n')) {
                        const QList<QByteArray> pair = line.split('=');
                        if (pair.size() == 2) {
                            values[pair[0]] = pair[1].toInt();
                        }
                    }
                    if (QSize(values["WIDTH"], values["HEIGHT"]) == size) {
                        rig.window = window;
                        rig.origin = QPoint(values["X"], values["Y"]);
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
    }

    void StartReceiver(Rig& rig, const QByteArray& band, const QStringList& options) {
        QFile file(rig.Path("band"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(band);
        file.close();
        const QStringList arguments = {QStringLiteral("--link"), rig.Path("receiver"),
                                       QStringLiteral("--band"), rig.Path("band"),
                                       QStringLiteral("--log"),  rig.Path("log")};
        DiesWithTest(rig.receiver);
        rig.receiver.start(QStringLiteral(NERIMO_SIMULATOR), arguments + options);
        QVERIFY(QTest::qWaitFor([&] { return QFileInfo::exists(rig.Path("receiver")); }, 5000));
    }

    void StartProgram(Rig& rig, const QByteArray& settings) {
        QVERIFY(QFile::copy(QStringLiteral(NERIMO_EXECUTABLE), rig.Path("nerimo")));
        QFile file(rig.Path("Nerimo.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(settings);
        file.close();
        rig.program.setProcessEnvironment(Environment());
        DiesWithTest(rig.program);
        rig.program.start(rig.Path("nerimo"), QStringList());
        QVERIFY(rig.program.waitForStarted());
    }

    // A program on a receiver with the given band, its window found and drawn.
    void Start(Rig& rig, const QByteArray& settings, const QByteArray& band,
               const QStringList& receiverOptions = {}) {
        StartReceiver(rig, band, receiverOptions);
        StartProgram(rig, settings + "DEVICE=" + rig.Path("receiver").toLocal8Bit() + "\n");
        QVERIFY(FindWindow(rig, kWindowSize));
        QVERIFY(QTest::qWaitFor([&] { return StartShown(rig); }, 10000));
    }

    static bool WaitForCommand(const Rig& rig, const QByteArray& text, int timeoutMs) {
        return QTest::qWaitFor(
            [&] {
                const QList<Command> log = rig.Log();
                return std::any_of(log.begin(), log.end(),
                                   [&](const Command& c) { return c.text == text; });
            },
            timeoutMs);
    }

    static void CheckPace(const QList<Command>& commands) {
        QList<double> periods;
        for (qsizetype i = 1; i < commands.size(); ++i) {
            const double period = commands[i].seconds - commands[i - 1].seconds;
            periods << period;
            QVERIFY2(period >= kStepSeconds - kReceiverStampJitter,
                     qPrintable(QStringLiteral("%1 came %2 s after %3")
                                    .arg(QString::fromLatin1(commands[i].text))
                                    .arg(period)
                                    .arg(QString::fromLatin1(commands[i - 1].text))));
        }
        std::sort(periods.begin(), periods.end());
        QVERIFY(!periods.isEmpty() && periods[periods.size() / 2] >= kStepSeconds);
    }

    static QByteArray Settings(const QByteArray& extra = {}) {
        return "MHZ=145\nSPAN=1\nFM_AM=FM\nGRID=1\nCLEAR_SCREEN=1\nCOLOR=0\nPAUSE=0\n" + extra;
    }

    // A process that ends by itself: normally, with status 0, no message and no sanitizer report.
    static void CheckCleanEnd(QProcess& process) {
        QVERIFY(process.waitForFinished(20000));
        const QByteArray errors = process.readAllStandardError();
        QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
                 errors.right(4000).constData());
        QVERIFY2(!errors.contains("Nerimo:"), errors.constData());
        QVERIFY2(SanitizerReports(errors).isEmpty(), SanitizerReports(errors).constData());
    }

    static QByteArray SanitizerReports(const QByteArray& errors) {
        QByteArray reports;
        for (const QByteArray& line : errors.split('\n')) {
            if (line.contains("Sanitizer") || line.contains("runtime error:")) {
                reports += line + '\n';
            }
        }
        return reports;
    }
};

}  // namespace nerimo::testing

// The test's main: the X server first, then the application that connects to it.
#define NERIMO_DESKTOP_TEST_MAIN(TestClass)              \
    int main(int argc, char* argv[]) {                   \
        nerimo::testing::XServer server;                 \
        if (!server.Start()) {                           \
            std::fprintf(stderr, "cannot start Xvfb\n"); \
            return 1;                                    \
        }                                                \
        QGuiApplication app(argc, argv);                 \
        TestClass test;                                  \
        return QTest::qExec(&test, argc, argv);          \
    }
