#pragma once

// The real program, started the way a desktop would: a copy in a folder of its own with its own
// Nerimo.ini and, when asked, the simulated receiver on a pseudo-terminal that DEVICE= names.
// Every child goes with the test, also when a watchdog aborts it. For the end-to-end tests, the
// window in a real X window: Xvfb is the screen, xdotool the user's hand, the test's own screen
// grabs the eyes.

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

#include "PlotGeometry.h"
#include "ProcessFigures.h"
#include "WindowLook.h"

namespace nerimo::testing {

class Rig {
  public:
    QTemporaryDir dir;
    QProcess receiver;
    QProcess program;

    // `session` is TMPDIR, HOME and XDG_RUNTIME_DIR of the copies that share a lock; the
    // program runs on the given Qt platform, or on the test's own.
    explicit Rig(const QString& session, const char* platform = nullptr) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"TMPDIR", "HOME", "XDG_RUNTIME_DIR"}) {
            env.insert(QLatin1String(name), session);
        }
        if (platform) {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QLatin1String(platform));
        }
        for (QProcess* process : {&program, &receiver}) {
            process->setProcessEnvironment(env);
            process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        }
        QFile::copy(QStringLiteral(NERIMO_EXECUTABLE), Path("nerimo"));
    }
    ~Rig() {
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        program.kill();
        program.waitForFinished(3000);
        receiver.terminate();  // it ends cleanly, taking its link away
        receiver.waitForFinished(3000);
    }

    QString Path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    // The receiver with the given band model, logging every command it gets.
    void StartReceiver(const QByteArray& band, const QStringList& options = {}) {
        Write("band", band);
        const QStringList files = {"--link",     Path("receiver"), "--band",
                                   Path("band"), "--log",          Path("log")};
        receiver.start(QStringLiteral(NERIMO_SIMULATOR), files + options);
        QVERIFY(receiver.waitForReadyRead(10000));  // it prints the link once it is there
    }

    // The receiver's band model served as rigctld would serve a radio, on the given port of
    // 127.0.0.1 or any free one; the port.
    QByteArray StartRigctld(const QByteArray& band, const QString& port = "0",
                            const QStringList& options = {}) {
        Write("band", band);
        receiver.start(
            QStringLiteral(NERIMO_SIMULATOR),
            QStringList{"--rigctld", port, "--band", Path("band"), "--log", Path("log")} + options);
        receiver.waitForReadyRead(10000);
        return receiver.readLine().trimmed().split(':').value(1);
    }

    // The program with these settings (none: no settings file) and options; as root, when
    // `unprivileged`, as user 65534, so that permission bits stop it.
    void StartProgram(const std::optional<QByteArray>& settings, bool unprivileged = false,
                      const QStringList& options = {}) {
        if (settings) {
            Write("Nerimo.ini", *settings);
        }
        if (unprivileged && ::geteuid() == 0) {
            program.start("setpriv", QStringList{"--reuid=65534", "--regid=65534", "--clear-groups",
                                                 Path("nerimo")} +
                                         options);
        } else {
            program.start(Path("nerimo"), options);
        }
        QVERIFY(program.waitForStarted());
    }

    // Everything the program has written to standard error so far.
    QByteArray Errors() { return errors_ += program.readAllStandardError(); }

    // The commands the receiver got, in order.
    QList<QByteArray> Log() const {
        QFile file(Path("log"));
        QList<QByteArray> commands;
        for (const QByteArray& line :
             file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>()) {
            if (line.contains(' ')) {
                commands << line.mid(line.indexOf(' ') + 1);
            }
        }
        return commands;
    }
    bool WaitForCommand(const QByteArray& text, int timeoutMs) const {
        return QTest::qWaitFor([&] { return Log().contains(text); }, timeoutMs);
    }

    // Whether the program has ended, waiting for it at most so long.
    // The end is taken at once; the test's own timers go on meanwhile (a receiver plugged in
    // later).
    bool Ended(int timeoutMs) {
        QElapsedTimer clock;
        clock.start();
        while (program.state() != QProcess::NotRunning) {
            const int left = timeoutMs - int(clock.elapsed());
            if (left <= 0) {
                return false;
            }
            program.waitForFinished(std::min(left, 50));
            QCoreApplication::processEvents();
        }
        return true;
    }

    // The program ends by itself, normally, with status 0 and no sanitizer report.
    void CheckCleanEnd(int timeoutMs = 20000) {
        QVERIFY(Ended(timeoutMs));
        const QByteArray errors = Errors();
        QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0 &&
                     !errors.contains("Sanitizer") && !errors.contains("runtime error:"),
                 errors.right(4000).constData());
    }

    void Write(const char* name, const QByteArray& bytes) const {
        QFile file(Path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

  private:
    QByteArray errors_;
};

// The command a 1 MHz sweep from 145 MHz sends at a step.
inline QByteArray SweepCommand(int step, char mode = 'N') {
    return QByteArray::number(145.0 + step * 0.0125, 'f', 4) + mode;
}

// Places in the window, in window pixels, from the program's own design.
inline constexpr QPoint kStartStop = kStartButtonPlace.center();
inline constexpr QRect kStartStopFace = kStartButtonPlace.adjusted(1, 1, -1, -1);  // no edge
inline constexpr QPoint kClose = kCloseButtonPlace.center();
inline constexpr QRect kStatus = kStatusPlace;
inline constexpr QPoint kPlot = kPlotPlace.topLeft();

inline const QColor kGreen = kScanGreen;
inline const QColor kRed = kPauseRed;
inline const QColor kBlack(0, 0, 0);
inline const QColor kGridGrey(128, 128, 128);

// The point of a 1 MHz sweep's step at a level, in window pixels.
inline QPoint StepPoint(int step, int level) {
    return kPlot + QPoint(StepX(step, PixelsPerStepFor(1)), kBaselineY - kPixelsPerLevel * level);
}

// Pixels of a colour in an area. Smoothed text blends its colour with the panel, so for `text` a
// pixel counts when it is nearer to the colour than to the panel's grey, black or white.
inline int Count(const QImage& image, const QRect& area, const QColor& colour, bool text = false) {
    const auto distance = [](const QColor& a, const QColor& b) {
        return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
    };
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const int near = distance(pixel, colour);
            count += text ? near < distance(pixel, kPanelGrey) && near < distance(pixel, kBlack) &&
                                near < distance(pixel, Qt::white)
                          : near == 0;
        }
    }
    return count;
}

inline QByteArray Xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(10000);
    return process.readAllStandardOutput();
}

// The visible windows of the program, newest last.
inline QStringList Windows() {
    return QString::fromLatin1(Xdotool({"search", "--onlyvisible", "--class", "nerimo"}))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A program with its receiver, and its main window on the screen, where it centres itself.
struct DesktopRig : Rig {
    using Rig::Rig;
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint origin{(screen.width() - kWindowSize.width()) / 2,
                        (screen.height() - kWindowSize.height()) / 2};

    void PointAt(QPoint place, bool click = false) const {
        const QPoint at = origin + place;
        const QStringList move = {"mousemove", QString::number(at.x()), QString::number(at.y())};
        Xdotool(click ? move + QStringList{"click", "1"} : move);
    }
    void ClickAt(QPoint place) const { PointAt(place, true); }
    // The window as it stands on the screen.
    QImage Shot() const {
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, origin.x(), origin.y(), kWindowSize.width(), kWindowSize.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    bool StartShown() const { return Count(Shot(), kStartStopFace, kGreen) > 200; }

    // The program on a receiver with the given band, its window drawn.
    void Start(const QByteArray& settings, const QByteArray& band,
               const QStringList& receiverOptions = {}) {
        StartReceiver(band, receiverOptions);
        StartProgram("MHZ=145\nSPAN=1\nGRID=1\nCLEAR_SCREEN=1\n" + settings +
                     "\nDEVICE=" + Path("receiver").toLocal8Bit());
        QVERIFY(QTest::qWaitFor([&] { return StartShown(); }, 10000));
    }
};

// A private X screen of this size ("1024x768") with no window manager, which goes with the test:
// its display (":5"), and its process; an empty display when it did not start.
inline std::pair<QByteArray, pid_t> StartXvfb(const char* size) {
    int pipe[2];
    if (::pipe(pipe) != 0) {
        return {};
    }
    const std::string fd = std::to_string(pipe[1]);
    const pid_t server = ::fork();
    if (server == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0",
                 (std::string(size) + "x24").c_str(), "-noreset", "-nolisten", "tcp",
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipe[1]);
    QByteArray display = ":";
    char c = 0;
    while (::read(pipe[0], &c, 1) == 1 && c != '\n') {
        display += c;
    }
    ::close(pipe[0]);
    return {display.size() > 1 ? display : QByteArray(), server};
}

// The screen of 1024 x 768 pixels of this process and its children, started before the
// application object connects to it.
inline bool StartXServer() {
    const QByteArray display = StartXvfb("1024x768").first;
    qputenv("DISPLAY", display);
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("WAYLAND_DISPLAY");
    return !display.isEmpty();
}

}  // namespace nerimo::testing

#define NERIMO_DESKTOP_TEST_MAIN(TestClass)              \
    int main(int argc, char* argv[]) {                   \
        if (!nerimo::testing::StartXServer()) {          \
            std::fprintf(stderr, "cannot start Xvfb\n"); \
            return 1;                                    \
        }                                                \
        QGuiApplication app(argc, argv);                 \
        TestClass test;                                  \
        return QTest::qExec(&test, argc, argv);          \
    }
