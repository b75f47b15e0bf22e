// Measures the real program on the simulated receiver in a real X window: the pace of its steps,
// its processor time while sweeping and while idle, its memory over a long run of 8 MHz sweeps,
// the time to its first frame, and the cost of one step's drawing; as a sensor publishing to a
// Mosquitto broker on the loopback, what publishing costs and what a broker away for a minute
// does; through Hamlib's dummy radio, the steps a second that SETTLE= allows. Prints one table.
//
// nerimo-bench [SOAK-SECONDS]   (120 by default; 600 or more needs no extrapolation)

#include <time.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <optional>

#include "ProcessFigures.h"
#include "SensorFakes.h"
#include "SweepPublisher.h"
#include "TestBroker.h"

namespace {

using nerimo::testing::ProcessorSeconds;
using nerimo::testing::StatusKiB;

constexpr double kStepSeconds = 0.185;
constexpr int kStepsPerNarrowSweep = 81;
constexpr int kPaceSweeps = 2;
constexpr int kStartupRuns = 5;
constexpr double kIdleSeconds = 30;
constexpr double kMemoryTargetSeconds = 600;
constexpr double kSensorSeconds = 60;
constexpr double kAwaySeconds = 60;

constexpr QSize kWindowSize(812, 541);
constexpr QRect kStartStopFace(121, 41, 31, 15);
constexpr QPoint kStartStop(136, 48);

void Wait(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

// The "name value" lines a benchmark of the program's parts prints; empty when it failed.
QMap<QByteArray, double> Figures(const QString& program, int timeoutMs) {
    QProcess bench;
    bench.start(program, QStringList());
    QMap<QByteArray, double> figures;
    if (bench.waitForFinished(timeoutMs)) {
        for (const QByteArray& line : bench.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> pair = line.split(' ');
            if (pair.size() == 2) {
                figures[pair[0]] = pair[1].toDouble();
            }
        }
    }
    return figures;
}

struct Row {
    QString measure;
    QString figure;
    QString target;
    bool pass;
};

// One copy of the program in a folder of its own, with the simulated receiver on a pty, or
// served as rigctld for Hamlib's model 2.
class Rig {
  public:
    // `band`: the simulated receiver's band model; the demo band when empty.
    Rig(const QString& folder, const QString& program, const QByteArray& settings,
        bool rigctld = false, const QByteArray& band = {})
        : folder_(folder) {
        QDir().mkpath(folder_);
        QFile::copy(program, Path("nerimo"));
        QStringList options = {rigctld ? QStringLiteral("--rigctld") : QStringLiteral("--link"),
                               rigctld ? QStringLiteral("0") : Path("receiver"),
                               QStringLiteral("--log"), Path("log")};
        if (!band.isEmpty()) {
            Write("band", band);
            options << QStringLiteral("--band") << Path("band");
        }
        receiver_.start(QStringLiteral(NERIMO_SIMULATOR), options);
        receiver_.waitForReadyRead(5000);
        const QByteArray device = rigctld ? "RIG=2\nDEVICE=" + receiver_.readLine().split(' ')[1]
                                          : "DEVICE=" + Path("receiver").toLocal8Bit() + "\n";
        QFile ini(Path("Nerimo.ini"));
        if (ini.open(QIODevice::WriteOnly)) {
            ini.write(settings + device);
        }
    }
    ~Rig() {
        Stop();
        receiver_.kill();
        receiver_.waitForFinished(3000);
    }

    QString Path(const char* name) const { return QDir(folder_).filePath(QLatin1String(name)); }
    void Write(const char* name, const QByteArray& bytes) const {
        QFile file(Path(name));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(bytes);
        }
    }
    // The commands the receiver got, each with its time in the receiver's clock.
    QList<std::pair<double, QByteArray>> Commands() const {
        QFile file(Path("log"));
        QList<std::pair<double, QByteArray>> commands;
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : file.readAll().split('\n')) {
                if (line.contains(' ')) {
                    commands.append(
                        {line.left(line.indexOf(' ')).toDouble(), line.mid(line.indexOf(' ') + 1)});
                }
            }
        }
        return commands;
    }

    void Launch(const QStringList& options = {}) { program_.start(Path("nerimo"), options); }
    // An unattended survey over these options, its sweeps logged in sweeps.csv; it holds a
    // single-copy lock of its own, so that surveys run side by side.
    void Survey(const QStringList& options) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), folder_);
        program_.setProcessEnvironment(env);
        Launch(
            QStringList{QStringLiteral("--headless"), QStringLiteral("--log"), Path("sweeps.csv")} +
            options);
    }
    // Ends a survey as a signal does, as done.
    bool Finish() {
        program_.terminate();
        return program_.waitForFinished(10000) && program_.exitCode() == 0;
    }
    QByteArray Errors() { return program_.readAllStandardError(); }
    void Stop() {
        if (program_.state() != QProcess::NotRunning) {
            program_.kill();
            program_.waitForFinished(3000);
        }
    }
    qint64 Pid() const { return program_.processId(); }

    // The times, in the receiver's clock, of the tuning commands it got.
    QList<double> CommandTimes() const {
        QFile file(Path("log"));
        QList<double> times;
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : file.readAll().split('\n')) {
                if (!line.isEmpty() && !line.endsWith("STRENGTH")) {
                    times << line.split(' ').value(0).toDouble();
                }
            }
        }
        return times;
    }

  private:
    QString folder_;
    QProcess receiver_;
    QProcess program_;
};

class Bench {
  public:
    Bench(double soakSeconds, QString program)
        : soakSeconds_(soakSeconds), program_(std::move(program)) {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        // The window centres itself on the screen.
        origin_ = screen.topLeft() + QPoint((screen.width() - kWindowSize.width()) / 2,
                                            (screen.height() - kWindowSize.height()) / 2);
    }

    // `only`: "channels" for the channel scans' rows alone.
    int Run(const QString& only) {
        std::printf("Measuring %s; this takes about %.0f s.\n", qPrintable(program_),
                    only.isEmpty() ? soakSeconds_ + 740 : 80);
        std::fflush(stdout);
        qputenv("TMPDIR", work_.path().toLocal8Bit());  // the copies' own single-instance lock
        if (only == QLatin1String("channels")) {
            ChannelScans();
            return Print();
        }
        Startup();
        PaceAndProcessor();
        ThroughHamlib();
        Retrying();
        Memory();
        Drawing();
        History();
        PaceAtThePort();
        Publishing();
        BrokerAway();
        Settling();
        Queue();
        ChannelScans();
        return Print();
    }

  private:
    // The start button stands drawn in its green face: the window's first useful frame.
    bool StartShown() const {
        const QImage face =
            QGuiApplication::primaryScreen()
                ->grabWindow(0, origin_.x() + kStartStopFace.x(), origin_.y() + kStartStopFace.y(),
                             kStartStopFace.width(), kStartStopFace.height())
                .toImage();
        int green = 0;
        for (int y = 0; y < face.height(); ++y) {
            for (int x = 0; x < face.width(); ++x) {
                green += face.pixelColor(x, y) == QColor(0, 255, 0) ? 1 : 0;
            }
        }
        return green > face.width() * face.height() / 2;
    }

    bool WaitUntilShown(double seconds) const {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < seconds * 1000) {
            if (StartShown()) {
                return true;
            }
            QThread::usleep(500);
        }
        return false;
    }

    static void Xdotool(const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral("xdotool"), arguments);
        process.waitForFinished(10000);
    }

    // Ctrl+H on the main window, under the pointer: the history window, waited for.
    bool OpenHistory() {
        Xdotool({QStringLiteral("key"), QStringLiteral("ctrl+h")});
        QProcess search;
        search.start(
            QStringLiteral("xdotool"),
            {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
             QStringLiteral("--name"), QStringLiteral("Nerimo history")});
        if (!search.waitForFinished(10000) || search.exitCode() != 0) {
            search.kill();
            failures_ << QStringLiteral("the history window did not open");
            return false;
        }
        return true;
    }

    void Click(QPoint place) const {
        const QPoint at = origin_ + place;
        QProcess::execute(QStringLiteral("xdotool"),
                          {QStringLiteral("mousemove"), QString::number(at.x()),
                           QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")});
    }

    // Launches the copy, waits for its window and presses start.
    bool LaunchAndStart(Rig& rig, const QStringList& options = {}) {
        rig.Launch(options);
        if (!WaitUntilShown(10)) {
            failures_ << QStringLiteral("the window did not show within 10 s");
            return false;
        }
        Wait(0.5);
        Click(kStartStop);
        return true;
    }

    void Startup() {
        Rig rig(work_.filePath(QStringLiteral("startup")), program_, "PAUSE=0\n");
        QList<double> times;
        for (int run = 0; run < kStartupRuns; ++run) {
            QElapsedTimer clock;
            clock.start();
            rig.Launch();
            if (!WaitUntilShown(10)) {
                failures_ << QStringLiteral("the window did not show within 10 s");
                return;
            }
            times << clock.nsecsElapsed() / 1e9;
            rig.Stop();
            Wait(0.3);
        }
        std::sort(times.begin(), times.end());
        const double median = times[times.size() / 2];
        rows_ << Row{QStringLiteral("start-up to first frame (median of %1; max %2 s)")
                         .arg(kStartupRuns)
                         .arg(times.last(), 0, 'f', 3),
                     QStringLiteral("%1 s").arg(median, 0, 'f', 3), QStringLiteral("<= 0.5 s"),
                     median <= 0.5};
    }

    void PaceAndProcessor() {
        Rig rig(work_.filePath(QStringLiteral("pace")), program_,
                "MHZ=145\nSPAN=1\nPAUSE=0\nGRID=1\nCLEAR_SCREEN=1\n");
        if (!LaunchAndStart(rig) || !OpenHistory()) {
            return;
        }
        const int steps = kPaceSweeps * kStepsPerNarrowSweep;

        // Processor time from the first command to the first of the sweep after the last.
        QElapsedTimer clock;
        std::optional<double> cpuStart;
        QList<double> times;
        QElapsedTimer timeout;
        timeout.start();
        while (times.size() <= steps && timeout.elapsed() < 120000) {
            Wait(0.02);
            times = rig.CommandTimes();
            if (!cpuStart && !times.isEmpty()) {
                cpuStart = ProcessorSeconds(rig.Pid());
                clock.start();
            }
        }
        const std::optional<double> cpuEnd = ProcessorSeconds(rig.Pid());
        const double wall = clock.nsecsElapsed() / 1e9;
        if (times.size() <= steps || !cpuStart || !cpuEnd) {
            failures_ << QStringLiteral("the sweep did not run: %1 commands").arg(times.size());
            return;
        }

        QList<double> periods;
        for (int i = 1; i <= steps; ++i) {
            periods << times[i] - times[i - 1];
        }
        std::sort(periods.begin(), periods.end());
        // At the receiver, through the terminal's buffer: its stamps can be late by some
        // milliseconds, so only the median and the sweep time say much.
        rows_ << Row{QStringLiteral("step period at the receiver, median (%1 steps; history "
                                    "window open)")
                         .arg(steps),
                     QStringLiteral("%1 s").arg(periods[periods.size() / 2], 0, 'f', 4), QString(),
                     true};
        rows_ << Row{QStringLiteral("sweep time / (steps x 0.185 s) at the receiver"),
                     QString::number((times[steps] - times[0]) / (steps * kStepSeconds), 'f', 4),
                     QString(), true};
        const double sweeping = 100 * (*cpuEnd - *cpuStart) / wall;
        rows_ << Row{QStringLiteral("processor while sweeping (%1 s; history window open)")
                         .arg(wall, 0, 'f', 0),
                     QStringLiteral("%1 % of a core").arg(sweeping, 0, 'f', 3),
                     QStringLiteral("<= 0.5 %"), sweeping <= 0.5};

        // The history window may lie over the start button.
        Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--name"), QStringLiteral("^Nerimo$"),
                 QStringLiteral("windowraise")});
        Click(kStartStop);
        Wait(2);
        const std::optional<double> idleStart = ProcessorSeconds(rig.Pid());
        clock.start();
        Wait(kIdleSeconds);
        const std::optional<double> idleEnd = ProcessorSeconds(rig.Pid());
        const double idleWall = clock.nsecsElapsed() / 1e9;
        if (idleStart && idleEnd) {
            const double idle = 100 * (*idleEnd - *idleStart) / idleWall;
            rows_ << Row{QStringLiteral("processor while idle (%1 s)").arg(idleWall, 0, 'f', 0),
                         QStringLiteral("%1 % of a core").arg(idle, 0, 'f', 3),
                         QStringLiteral("<= 0.1 %"), idle <= 0.1};
        }
    }

    // Hamlib's model 2 and the simulated receiver served as rigctld, on the loopback: a 1 MHz
    // sweep's step periods at the receiver and the processor while sweeping.
    void ThroughHamlib() {
        Rig rig(work_.filePath(QStringLiteral("hamlib")), program_,
                "MHZ=145\nSPAN=1\nPAUSE=0\nGRID=1\nCLEAR_SCREEN=1\n", true);
        if (!LaunchAndStart(rig)) {
            return;
        }
        QList<double> times;
        while (times.isEmpty()) {
            Wait(0.05);
            times = rig.CommandTimes();
        }
        const std::optional<double> cpuStart = ProcessorSeconds(rig.Pid());
        QElapsedTimer clock;
        clock.start();
        while (times.size() <= kStepsPerNarrowSweep && clock.elapsed() < 60000) {
            Wait(0.1);
            times = rig.CommandTimes();
        }
        const std::optional<double> cpuEnd = ProcessorSeconds(rig.Pid());
        if (times.size() <= kStepsPerNarrowSweep || !cpuStart || !cpuEnd) {
            failures_ << QStringLiteral("no sweep through Hamlib: %1 steps").arg(times.size());
            return;
        }
        QList<double> periods;
        for (int i = 1; i <= kStepsPerNarrowSweep; ++i) {
            periods << times[i] - times[i - 1];
        }
        std::sort(periods.begin(), periods.end());
        const double median = periods[periods.size() / 2];
        rows_ << Row{QStringLiteral("through Hamlib and rigctld: step period, median (%1 steps)")
                         .arg(kStepsPerNarrowSweep),
                     QStringLiteral("%1 s").arg(median, 0, 'f', 4), QStringLiteral("<= 0.187 s"),
                     median <= kStepSeconds + 0.002};
        const double share = 100 * (*cpuEnd - *cpuStart) / (clock.nsecsElapsed() / 1e9);
        rows_ << Row{QStringLiteral("through Hamlib and rigctld: processor while sweeping"),
                     QStringLiteral("%1 % of a core").arg(share, 0, 'f', 3),
                     QStringLiteral("<= 1 %"), share <= 1.0};
    }

    // A program whose device is missing: it opens its window after the message and tries the
    // device again every 2 s, idle in between.
    void Retrying() {
        Rig rig(work_.filePath(QStringLiteral("retry")), program_,
                "DEVICE=" + work_.filePath(QStringLiteral("absent")).toLocal8Bit() + "\n");
        rig.Launch();
        // The message box, alone on the screen, is dismissed with Return.
        QProcess::execute(
            QStringLiteral("xdotool"),
            {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
             QStringLiteral("--class"), QStringLiteral("nerimo"), QStringLiteral("windowfocus"),
             QStringLiteral("--sync"), QStringLiteral("key"), QStringLiteral("Return")});
        if (!WaitUntilShown(10)) {
            failures_ << QStringLiteral("the window did not show after the message");
            return;
        }
        Wait(2);
        const std::optional<double> start = ProcessorSeconds(rig.Pid());
        QElapsedTimer clock;
        clock.start();
        Wait(kIdleSeconds);
        const std::optional<double> end = ProcessorSeconds(rig.Pid());
        if (start && end) {
            const double share = 100 * (*end - *start) / (clock.nsecsElapsed() / 1e9);
            rows_ << Row{QStringLiteral("processor while idle, retrying a missing device (%1 s)")
                             .arg(kIdleSeconds, 0, 'f', 0),
                         QStringLiteral("%1 % of a core").arg(share, 0, 'f', 3),
                         QStringLiteral("<= 0.2 %"), share <= 0.2};
        }
    }

    void Memory() {
        Rig rig(work_.filePath(QStringLiteral("memory")), program_,
                "MHZ=145\nSPAN=8\nPAUSE=0\nGRID=1\nCLEAR_SCREEN=1\n");
        if (!LaunchAndStart(rig)) {
            return;
        }
        QList<QPointF> samples;  // seconds, resident KiB
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < soakSeconds_ * 1000) {
            Wait(1);
            if (const std::optional<double> rss = StatusKiB(rig.Pid(), "VmRSS")) {
                samples << QPointF(clock.elapsed() / 1000.0, *rss);
            }
        }
        const std::optional<double> peak = StatusKiB(rig.Pid(), "VmHWM");
        const int steps = rig.CommandTimes().size();
        if (!peak || samples.size() < 4) {
            failures_ << QStringLiteral("no memory figures from the program");
            return;
        }
        // Growth over the second half of the run, carried on to ten minutes.
        const QPointF middle = samples[samples.size() / 2];
        const QPointF last = samples.last();
        const double slope = std::max(0.0, (last.y() - middle.y()) / (last.x() - middle.x()));
        const double projected =
            std::max(*peak, last.y() + slope * std::max(0.0, kMemoryTargetSeconds - last.x()));
        const QString how = soakSeconds_ >= kMemoryTargetSeconds
                                ? QStringLiteral("measured over %1 s").arg(soakSeconds_)
                                : QStringLiteral("%1 s run, extrapolated to 600 s; %2 KiB/min")
                                      .arg(soakSeconds_)
                                      .arg(slope * 60, 0, 'f', 1);
        rows_ << Row{
            QStringLiteral("peak resident memory, 8 MHz sweeps (%1, %2 steps)").arg(how).arg(steps),
            QStringLiteral("%1 MB").arg(projected / 1024, 0, 'f', 1), QStringLiteral("<= 60 MB"),
            projected / 1024 <= 60};
    }

    // The step periods taken at every write, in the program's window and kernel run in a
    // process of their own (bench_pace).
    void PaceAtThePort() {
        const int steps = kPaceSweeps * kStepsPerNarrowSweep;
        const std::optional<QList<double>> plain = Pace(steps, false);
        const std::optional<QList<double>> marked = Pace(steps, true);
        if (!plain || !marked) {
            failures_ << QStringLiteral("no result from the pace benchmark");
            return;
        }
        const QList<double>& figures = *plain;
        rows_ << Row{QStringLiteral("step period at the port, minimum (%1 steps)").arg(steps),
                     QStringLiteral("%1 s").arg(figures[0], 0, 'f', 4),
                     QStringLiteral(">= 0.185 s"), figures[0] >= kStepSeconds};
        rows_ << Row{
            QStringLiteral("step period at the port, median / maximum"),
            QStringLiteral("%1 s / %2 s").arg(figures[1], 0, 'f', 4).arg(figures[2], 0, 'f', 4),
            QString(), true};
        rows_ << Row{QStringLiteral("sweep time / (steps x 0.185 s) at the port (history open)"),
                     QString::number(figures[3], 'f', 4), QStringLiteral("<= 1.002"),
                     figures[3] <= 1.002};
        const double difference = (*marked)[3] - figures[3];
        rows_ << Row{
            QStringLiteral("the same with 10,000 named frequencies and 1,000 lockouts "
                           "(%1)")
                .arg((*marked)[3], 0, 'f', 4),
            QStringLiteral("%1%2").arg(difference >= 0 ? "+" : "").arg(difference, 0, 'f', 4),
            QStringLiteral("<= +0.001"), difference <= 0.001};
    }

    // One run of bench_pace: min, median, max and the sweep ratio.
    static std::optional<QList<double>> Pace(int steps, bool marks) {
        QProcess bench;
        QStringList arguments = {QStringLiteral(NERIMO_SIMULATOR), QString::number(steps)};
        if (marks) {
            arguments << QStringLiteral("marks");
        }
        bench.start(QStringLiteral(NERIMO_PACE_BENCH), arguments);
        const QList<QByteArray> words = bench.waitForFinished(120000)
                                            ? bench.readAllStandardOutput().simplified().split(' ')
                                            : QList<QByteArray>();
        if (words.size() != 4) {
            return std::nullopt;
        }
        QList<double> figures;
        for (const QByteArray& word : words) {
            figures << word.toDouble();
        }
        return figures;
    }

    void Drawing() {
        QProcess bench;
        bench.start(QStringLiteral(NERIMO_PLOT_BENCH), QStringList());
        if (!bench.waitForFinished(120000)) {
            failures_ << QStringLiteral("the drawing benchmark did not finish");
            return;
        }
        const QString output = QString::fromLocal8Bit(bench.readAllStandardOutput());
        static const QRegularExpression kResult(
            QStringLiteral("plotLevelAndRepaint\\(\\):\"([^\"]*)\":\\s*([0-9.eE+-]+) msecs per "
                           "iteration"));
        QRegularExpressionMatchIterator it = kResult.globalMatch(output);
        int found = 0;
        while (it.hasNext()) {
            const QRegularExpressionMatch match = it.next();
            const double ms = match.captured(2).toDouble();
            rows_ << Row{QStringLiteral("one step's PlotLevel and repaint, %1 (QBENCHMARK)")
                             .arg(match.captured(1)),
                         QStringLiteral("%1 ms").arg(ms, 0, 'f', 4), QStringLiteral("<= 0.2 ms"),
                         ms <= 0.2};
            ++found;
        }
        if (found == 0) {
            failures_ << QStringLiteral("no result from the drawing benchmark:\n") + output;
        }
    }

    // The history's own figures, in a process of its own (bench_history).
    void History() {
        QMap<QByteArray, double> figures = Figures(QStringLiteral(NERIMO_HISTORY_BENCH), 300000);
        if (figures.size() != 9) {
            failures_ << QStringLiteral("no result from the history benchmark");
            return;
        }
        // Two bytes a value, to the hundredth: twice the 6.8 MB of one byte a value.
        rows_ << Row{QStringLiteral("history: memory of 10,000 sweeps of 641 steps"),
                     QStringLiteral("%1 MB").arg(figures["ring-kib"] / 1024, 0, 'f', 1),
                     QStringLiteral("<= 14 MB"), figures["ring-kib"] / 1024 <= 14};
        rows_ << Row{QStringLiteral("history: a sweep added and repainted, 900 x 620 window, "
                                    "median (max %1 ms)")
                         .arg(figures["add-max-ms"], 0, 'f', 2),
                     QStringLiteral("%1 ms").arg(figures["add-median-ms"], 0, 'f', 3),
                     QStringLiteral("<= 2 ms"), figures["add-median-ms"] <= 2};
        rows_ << Row{QStringLiteral("history: scrolled a page or zoomed a step, 10,000 sweeps of "
                                    "641 steps, slowest of 27 (median %1 ms)")
                         .arg(figures["move-median-ms"], 0, 'f', 2),
                     QStringLiteral("%1 ms").arg(figures["move-max-ms"], 0, 'f', 2),
                     QStringLiteral("<= 16 ms"), figures["move-max-ms"] <= 16};
        rows_ << Row{QStringLiteral("history: a %1 MB rtl_power log loaded")
                         .arg(figures["load-mb"], 0, 'f', 0),
                     QStringLiteral("%1 MB/s").arg(figures["load-mb-per-s"], 0, 'f', 1),
                     QStringLiteral(">= 50 MB/s"), figures["load-mb-per-s"] >= 50};
        rows_ << Row{QStringLiteral("history: repaints meanwhile (20 asked; longest gap %1 ms)")
                         .arg(figures["load-longest-gap-ms"], 0, 'f', 0),
                     QStringLiteral("%1 a second").arg(figures["load-repaints-per-s"], 0, 'f', 1),
                     QStringLiteral(">= 10"), figures["load-repaints-per-s"] >= 10};
    }

    // Two surveys of 1 MHz side by side, one publishing each sweep: the processor each takes.
    void Publishing() {
        nerimo::testing::TestBroker broker;
        if (!broker.Start()) {
            failures_ << QStringLiteral("mosquitto did not start");
            return;
        }
        const QByteArray band = "MHZ=145\nSPAN=1\nPAUSE=0\n";
        Rig plain(work_.filePath(QStringLiteral("plain")), program_, band);
        Rig publishing(work_.filePath(QStringLiteral("publishing")), program_, band);
        plain.Survey({});
        publishing.Survey({QStringLiteral("--mqtt"), "mqtt://127.0.0.1:" + broker.port});
        QElapsedTimer started;
        started.start();
        while ((plain.CommandTimes().isEmpty() || publishing.CommandTimes().isEmpty()) &&
               started.elapsed() < 10000) {
            Wait(0.05);
        }
        const std::optional<double> startWithout = ProcessorSeconds(plain.Pid());
        const std::optional<double> startWith = ProcessorSeconds(publishing.Pid());
        QElapsedTimer clock;
        clock.start();
        Wait(kSensorSeconds);
        const std::optional<double> endWithout = ProcessorSeconds(plain.Pid());
        const std::optional<double> endWith = ProcessorSeconds(publishing.Pid());
        const double seconds = clock.nsecsElapsed() / 1e9;
        if (!startWithout || !startWith || !endWithout || !endWith) {
            failures_ << QStringLiteral("no processor figures of the surveys");
            return;
        }
        const double with = 100 * (*endWith - *startWith) / seconds;
        const double without = 100 * (*endWithout - *startWithout) / seconds;
        rows_ << Row{QStringLiteral("a survey publishing to MQTT: processor added (%1 s; %2 % "
                                    "against %3 %)")
                         .arg(seconds, 0, 'f', 0)
                         .arg(with, 0, 'f', 3)
                         .arg(without, 0, 'f', 3),
                     QStringLiteral("%1 % of a core").arg(with - without, 0, 'f', 3),
                     QStringLiteral("<= 0.1 %"), with - without <= 0.1};
    }

    // The broker stopped for a minute in the middle of a survey of short sweeps and started
    // again: the steps keep their pace, and every sweep reaches a subscriber, in order.
    void BrokerAway() {
        nerimo::testing::TestBroker broker;
        if (!broker.Start() || !broker.Subscribe()) {
            failures_ << QStringLiteral("mosquitto did not start");
            return;
        }
        Rig rig(work_.filePath(QStringLiteral("away")), program_, "PAUSE=0\n");
        rig.Survey({QStringLiteral("--range"), QStringLiteral("145M:145.1M"),
                    QStringLiteral("--mqtt"), "mqtt://127.0.0.1:" + broker.port});
        Wait(10);
        broker.Stop();
        Wait(kAwaySeconds);
        QElapsedTimer back;
        back.start();
        broker.Start();
        // The sensor's next try comes up to 60 s after the restart; then it hands over what
        // waited, and a few more sweeps.
        QByteArray said;
        while (!said.contains(" is back.") && back.elapsed() < 90000) {
            Wait(0.1);
            said += rig.Errors();
        }
        const double reconnected = back.elapsed() / 1000.0;
        Wait(5);
        const bool done = rig.Finish();
        QFile log(rig.Path("sweeps.csv"));
        const int logged = log.open(QIODevice::ReadOnly) ? int(log.readAll().count('\n')) : 0;
        QList<QJsonObject> sweeps;
        while (back.elapsed() < 90000 &&
               (sweeps = broker.On("nerimo/" + QSysInfo::machineHostName().toUtf8() + "/sweep"))
                       .size() < logged) {
            Wait(0.5);
        }
        bool inOrder = true;
        for (qsizetype i = 1; i < sweeps.size(); ++i) {
            inOrder &= sweeps[i - 1].value("timestamp").toString() <
                       sweeps[i].value("timestamp").toString();
        }
        const QList<double> times = rig.CommandTimes();
        const double ratio = (times.last() - times.first()) / ((times.size() - 1) * kStepSeconds);
        rows_ << Row{QStringLiteral("broker away %1 s: sweeps that reached it, in order (of %2 "
                                    "logged; back %3 s after the restart; %4)")
                         .arg(kAwaySeconds, 0, 'f', 0)
                         .arg(logged)
                         .arg(reconnected, 0, 'f', 1)
                         .arg(done ? "status 0" : "status not 0"),
                     QString::number(sweeps.size()), QStringLiteral("all"),
                     done && logged > 0 && sweeps.size() == logged && inOrder};
        rows_ << Row{QStringLiteral("broker away: sweep time / (steps x 0.185 s) at the receiver"),
                     QString::number(ratio, 'f', 4), QStringLiteral("<= 1.002"), ratio <= 1.002};
    }

    // Steps a second through rigctld's dummy radio (Hamlib's model 1) on the loopback, with
    // SETTLE= at 20 ms and at its default.
    void Settling() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        const QString port = QString::number(probe.serverPort());
        probe.close();
        QProcess rigctld;
        rigctld.start(QStringLiteral("rigctld"), {"-m", "1", "-T", "127.0.0.1", "-t", port});
        Wait(1);
        for (const char* settle : {"20", "185"}) {
            Rig rig(work_.filePath(QStringLiteral("settle%1").arg(settle)), program_,
                    QByteArray("RIG=2\nSETTLE=") + settle + "\n");
            rig.Survey({QStringLiteral("--device"), "127.0.0.1:" + port, QStringLiteral("--range"),
                        QStringLiteral("145M:145.5M"), QStringLiteral("--sweeps"),
                        QStringLiteral("3")});
            // The progress line of each sweep, as it comes.
            QList<qint64> ends;
            QElapsedTimer clock;
            clock.start();
            QByteArray said;
            while (ends.size() < 3 && clock.elapsed() < 120000) {
                Wait(0.01);
                said += rig.Errors();
                for (qsizetype line = said.indexOf("Nerimo: sweep "); line >= 0;
                     line = said.indexOf("Nerimo: sweep ")) {
                    ends << clock.elapsed();
                    said = said.mid(line + 1);
                }
            }
            if (ends.size() < 3) {
                failures_
                    << QStringLiteral("no sweeps through rigctld -m 1 at SETTLE=%1").arg(settle);
                continue;
            }
            const double perSecond = 2 * 41 / ((ends[2] - ends[0]) / 1000.0);
            rows_ << Row{
                QStringLiteral("through rigctld -m 1, SETTLE=%1: steps a second").arg(settle),
                QString::number(perSecond, 'f', 1), QString(), true};
        }
        rigctld.kill();
        rigctld.waitForFinished();
    }

    // The sweeps a sensor keeps while its broker is away: 1,000 of 8 MHz.
    void Queue() {
        nerimo::testing::FakeBroker broker;
        struct : nerimo::Clock {
            QDateTime Now() const override { return QDateTime::currentDateTime(); }
        } clock;
        nerimo::SweepPublisher publisher({broker,
                                          clock,
                                          {},
                                          [] { return QString(); },
                                          [](const QString&) {},
                                          [](const QString&) {},
                                          [](const QString&) {},
                                          [](const QString&) {}});
        publisher.Start();
        constexpr int kSteps = 640;
        for (int sweep = 0; sweep < 1000; ++sweep) {
            publisher.SweepBegan({nerimo::BandPlan(145000000, 12500, kSteps + 1), clock.Now()});
            nerimo::SweepSummary summary;
            for (int step = 0; step <= kSteps; ++step) {
                publisher.Measured(145000000 + step * 12500, step % 17, nerimo::Reply::Answered);
                summary.Count(nerimo::Reply::Answered);
            }
            publisher.SweepEnded(summary);
        }
        const double megabytes = publisher.QueuedBytes() / 1e6;
        rows_ << Row{QStringLiteral("1,000 sweeps of 641 steps waiting for the broker"),
                     QStringLiteral("%1 MB").arg(megabytes, 0, 'f', 2), QStringLiteral("<= 2 MB"),
                     megabytes <= 2};
    }

    // A gqrx list of `count` channels in the demo band, 25 kHz apart from 145 MHz; with
    // `alternate`, every other one in AM.
    static QByteArray ChannelList(int count, bool alternate) {
        QByteArray list = "# Frequency ; Name ; Modulation ; Bandwidth ; Tags\n";
        for (int channel = 0; channel < count; ++channel) {
            list += QByteArray::number(145000000 + channel * 25000) + " ; C" +
                    QByteArray::number(channel) + " ; " +
                    (alternate && channel % 2 ? "AM" : "Narrow FM") + " ; 10000 ; \n";
        }
        return list;
    }

    // Channel scans: a pass's time at the receiver, one mode and (through Hamlib) modes that
    // change at every channel; a busy priority channel reached during a hold; the processor
    // while a list is scanned in the window with the channel table shown; a list of 10,000
    // channels chosen.
    void ChannelScans() {
        constexpr int kChannels = 30;
        {
            Rig rig(work_.filePath(QStringLiteral("channels")), program_, "PAUSE=0\n");
            rig.Write("list.csv", ChannelList(kChannels, false));
            rig.Survey({QStringLiteral("--channels"), rig.Path("list.csv"),
                        QStringLiteral("--sweeps"), QStringLiteral("3")});
            Wait(3 * kChannels * kStepSeconds + 3);
            const QList<double> times = rig.CommandTimes();
            if (times.size() < 3 * kChannels) {
                failures_ << QStringLiteral("no channel scan: %1 commands").arg(times.size());
                return;
            }
            // The second pass, from its first command to the third pass's first.
            const double ratio =
                (times[2 * kChannels] - times[kChannels]) / (kChannels * kStepSeconds);
            rows_ << Row{QStringLiteral("channel scan: a pass / (%1 channels x 0.185 s), one mode")
                             .arg(kChannels),
                         QString::number(ratio, 'f', 4), QStringLiteral("<= 1.002"),
                         ratio <= 1.002 && ratio >= 0.998};
        }
        {
            Rig rig(work_.filePath(QStringLiteral("channels-hamlib")), program_, "PAUSE=0\n", true);
            rig.Write("list.csv", ChannelList(kChannels, true));
            rig.Survey({QStringLiteral("--channels"), rig.Path("list.csv"),
                        QStringLiteral("--sweeps"), QStringLiteral("3")});
            Wait(3 * kChannels * kStepSeconds + 4);
            int tunings = 0;
            int modes = 0;
            for (const auto& [time, command] : rig.Commands()) {
                modes += command.startsWith("MODE");
                tunings += command.endsWith('N') || command.endsWith('A');
            }
            const double perChannel = tunings > 0 ? double(modes) / tunings : 99;
            rows_ << Row{QStringLiteral("channel scan through Hamlib, FM and AM by turns: mode "
                                        "changes a channel (%1 channels tuned)")
                             .arg(tunings),
                         QString::number(perChannel, 'f', 3), QStringLiteral("<= 1"),
                         tunings >= 2 * kChannels && perChannel <= 1};
        }
        {
            // Held on a busy channel; the priority one comes on 6 s after the receiver started.
            Rig rig(work_.filePath(QStringLiteral("priority")), program_, "PAUSE=99\nHANG=0\n",
                    false, "145.5 10 14\n145.6 10 14 -6\n");
            rig.Write("list.csv",
                      "Location,Name,Frequency,Mode\n0,Busy,145.5,FM\n"
                      "1,First,145.6,FM\n2,Other,146.52,FM\n");
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            const double started = double(now.tv_sec) + now.tv_nsec / 1e9;
            rig.Survey({QStringLiteral("--channels"), rig.Path("list.csv"),
                        QStringLiteral("--priority"), QStringLiteral("First")});
            Wait(12);
            rig.Finish();
            // The look that found it busy: the first of First's commands with another after it.
            const QList<std::pair<double, QByteArray>> commands = rig.Commands();
            std::optional<double> reached;
            for (qsizetype i = 0; i + 1 < commands.size() && !reached; ++i) {
                if (commands[i].second == "145.6000N" && commands[i + 1].second == "145.6000N") {
                    reached = commands[i].first + kStepSeconds - (started + 6);
                }
            }
            if (!reached) {
                failures_ << QStringLiteral("the priority channel never took over");
            } else {
                // Looked at between the hold's cycles of 1 s and a step.
                rows_ << Row{QStringLiteral("channel scan: a busy priority channel reached, "
                                            "PRIORITY_EVERY=2, in a hold"),
                             QStringLiteral("%1 s").arg(*reached, 0, 'f', 3),
                             QStringLiteral("<= 3.185 s"), *reached <= 2 + 1 + kStepSeconds};
            }
        }
        {
            Rig rig(work_.filePath(QStringLiteral("channels-window")), program_, "PAUSE=0\n");
            rig.Write("list.csv", ChannelList(kChannels, false));
            if (!LaunchAndStart(rig, {QStringLiteral("--channels"), rig.Path("list.csv")}) ||
                !OpenHistory()) {
                return;
            }
            Wait(3);
            const std::optional<double> cpuStart = ProcessorSeconds(rig.Pid());
            QElapsedTimer clock;
            clock.start();
            Wait(kIdleSeconds);
            const std::optional<double> cpuEnd = ProcessorSeconds(rig.Pid());
            if (!cpuStart || !cpuEnd || rig.CommandTimes().size() < kChannels) {
                failures_ << QStringLiteral("no channel scan in the window");
                return;
            }
            const double share = 100 * (*cpuEnd - *cpuStart) / (clock.nsecsElapsed() / 1e9);
            rows_ << Row{QStringLiteral("processor while scanning %1 channels, channel table "
                                        "shown (%2 s)")
                             .arg(kChannels)
                             .arg(kIdleSeconds, 0, 'f', 0),
                         QStringLiteral("%1 % of a core").arg(share, 0, 'f', 3),
                         QStringLiteral("<= 0.5 %"), share <= 0.5};
        }
        QMap<QByteArray, double> figures = Figures(QStringLiteral(NERIMO_CHANNELS_BENCH), 60000);
        if (figures.size() != 3) {
            failures_ << QStringLiteral("no result from the channel list benchmark");
            return;
        }
        const double seconds = (figures["load-ms"] + figures["table-ms"]) / 1000;
        rows_ << Row{QStringLiteral("a list of 10,000 channels read, chosen and put in the table "
                                    "(a bar measured: %1 us)")
                         .arg(figures["bar-us"], 0, 'f', 1),
                     QStringLiteral("%1 s").arg(seconds, 0, 'f', 3), QStringLiteral("<= 0.5 s"),
                     seconds <= 0.5};
    }

    int Print() const {
        int width = 0;
        for (const Row& row : rows_) {
            width = std::max(width, int(row.measure.size()));
        }
        std::printf("\n%-*s  %-22s  %-10s  %s\n", width, "measure", "figure", "target", "result");
        for (const Row& row : rows_) {
            std::printf("%-*s  %-22s  %-10s  %s\n", width, qPrintable(row.measure),
                        qPrintable(row.figure), qPrintable(row.target),
                        row.target.isEmpty() ? "" : (row.pass ? "pass" : "FAIL"));
        }
        for (const QString& failure : failures_) {
            std::printf("could not measure: %s\n", qPrintable(failure));
        }
        const bool passed =
            failures_.isEmpty() &&
            std::all_of(rows_.begin(), rows_.end(), [](const Row& row) { return row.pass; });
        return passed ? 0 : 1;
    }

    QTemporaryDir work_;
    double soakSeconds_;
    QString program_;
    QPoint origin_;
    QList<Row> rows_;
    QStringList failures_;
};

}  // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const double soakSeconds = argc > 1 ? QByteArray(argv[1]).toDouble() : 120;
    if (soakSeconds < 10) {
        std::fprintf(stderr,
                     "usage: nerimo-bench [SOAK-SECONDS, at least 10] [PROGRAM] [channels]\n");
        return 2;
    }
    // Another build of the program may be measured the same way, to compare the two.
    return Bench(soakSeconds, argc > 2 && argv[2][0] != '\0' ? QString::fromLocal8Bit(argv[2])
                                                             : QStringLiteral(NERIMO_EXECUTABLE))
        .Run(argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString());
}
