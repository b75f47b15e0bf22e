#include <QtTest>
#include <memory>

// The real program in a real X window: Xvfb for the screen, xdotool for the user's hand, import
// for the eyes, and the simulated receiver on a pseudo-terminal for the far end of the line.
// Each case runs a copy of the program from a folder of its own, with its own Nerimo.ini.

namespace {

constexpr double kStepSeconds = 0.185;
// The simulator stamps a command when it gets to read it; a busy machine can delay one stamp by a
// few milliseconds, which shortens that step and lengthens the next on its log. The program's own
// pace is measured exactly, in the process, by the sweep-over-pty test.
constexpr double kReceiverStampJitter = 0.005;

// Places in the window, in window pixels.
constexpr QPoint kStartStop(136, 48);
constexpr QRect kStartStopFace(121, 41, 31, 15);
constexpr QPoint kContinue(144, 88);
constexpr QRect kContinueFace(121, 81, 47, 15);
constexpr QPoint kClose(756, 16);
constexpr QPoint kAm(296, 80);
constexpr QPoint kEightMHz(472, 80);
constexpr QRect kStatus(576, 56, 185, 15);
constexpr QRect kReadout(352, 504, 145, 25);
constexpr QPoint kPlot(64, 136);

const QColor kGreen(0, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kBlack(0, 0, 0);
const QColor kGridGrey(128, 128, 128);
const QColor kPanelGrey(64, 64, 64);

// The y of a level on the plot.
int LevelY(int level) {
    return 339 - 21 * level;
}

struct Command {
    double seconds;
    QByteArray text;
};

int CountColour(const QImage& image, const QRect& area, const QColor& colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += image.pixelColor(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

int Distance(const QColor& a, const QColor& b) {
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
}

// Pixels of text in a colour: smoothed glyphs blend it with the panel, so count the pixels
// nearer to it than to the panel grey, black or white.
int CountText(const QImage& image, const QRect& area, const QColor& colour) {
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

QByteArray SweepCommand(int step, char mode = 'N') {
    return QByteArray::number(145.0 + step * 0.0125, 'f', 4) + mode;
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

    QProcess xserver_;
    QString display_;
    QTemporaryDir session_;  // TMPDIR and HOME of every copy: where the single-instance lock lives

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

        ~Rig() {
            for (QProcess* process : {&program, &receiver}) {
                process->kill();
                process->waitForFinished(3000);
            }
        }
    };

    QProcessEnvironment Environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        env.insert(QStringLiteral("TMPDIR"), session_.path());
        env.insert(QStringLiteral("HOME"), session_.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), session_.path());
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        return env;
    }

    QByteArray Run(const QString& tool, const QStringList& arguments, int timeoutMs = 10000) {
        QProcess process;
        process.setProcessEnvironment(Environment());
        process.start(tool, arguments);
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished();
            return {};
        }
        return process.readAllStandardOutput();
    }

    QByteArray Xdotool(const QStringList& arguments) {
        return Run(QStringLiteral("xdotool"), arguments);
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
    QImage Shot(const Rig& rig) {
        const QByteArray png =
            Run(QStringLiteral("import"),
                {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")});
        return QImage::fromData(png, "PNG")
            .convertToFormat(QImage::Format_RGB32)
            .copy(QRect(rig.origin, QSize(812, 541)));
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
        rig.program.start(rig.Path("nerimo"), QStringList());
        QVERIFY(rig.program.waitForStarted());
    }

    // A program on a receiver with the given band, its window found and drawn.
    void Start(Rig& rig, const QByteArray& settings, const QByteArray& band,
               const QStringList& receiverOptions = {}) {
        StartReceiver(rig, band, receiverOptions);
        StartProgram(rig, settings + "DEVICE=" + rig.Path("receiver").toLocal8Bit() + "\n");
        QVERIFY(FindWindow(rig, QSize(812, 541)));
        QVERIFY(QTest::qWaitFor(
            [&] { return CountColour(Shot(rig), kStartStopFace, kGreen) > 200; }, 5000));
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

  private slots:
    void initTestCase() {
        QVERIFY(session_.isValid());
        for (const char* tool : {"Xvfb", "xdotool", "import"}) {
            QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(), tool);
        }
        // Xvfb picks a free display and writes its number to standard output.
        xserver_.start(
            QStringLiteral("Xvfb"),
            {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
             QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-noreset"),
             QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QVERIFY(QTest::qWaitFor([&] { return xserver_.canReadLine(); }, 10000));
        display_ = QLatin1Char(':') + QString::fromLatin1(xserver_.readLine().trimmed());
    }

    void cleanupTestCase() {
        xserver_.terminate();
        xserver_.waitForFinished(5000);
    }

    // Start, a trace drawn also while the window is unmapped, the grid, the panel, and stop.
    void sweepDrawsTraceGridAndPanel() {
        Rig rig;
        Start(rig, Settings(), "145.1 1 12\n");
        QImage shot = Shot(rig);
        QCOMPARE(CountText(shot, kStatus, kGreen), 0);

        ClickAt(rig, kStartStop);
        QVERIFY(WaitForCommand(rig, SweepCommand(1), 2000));
        // Hidden, as a desktop hides a minimised window, while the signal is swept.
        Xdotool({QStringLiteral("windowunmap"), QStringLiteral("--sync"), rig.window});
        QVERIFY(WaitForCommand(rig, SweepCommand(12), 5000));
        Xdotool({QStringLiteral("windowmap"), QStringLiteral("--sync"), rig.window});
        QTest::qWait(300);
        shot = Shot(rig);
        QVERIFY(CountColour(shot, kStartStopFace, kRed) > 200);  // the stop button
        QVERIFY(CountText(shot, kStatus, kGreen) > 10);          // "scan"
        const QPoint peak = kPlot + QPoint(44 + 8 * 8, LevelY(12));
        QCOMPARE(shot.pixelColor(peak), kGreen);
        QCOMPARE(shot.pixelColor(kPlot + QPoint(44 + 8 * 4, LevelY(0))), kGreen);
        QCOMPARE(shot.pixelColor(kPlot + QPoint(44 + 8 * 4, LevelY(12))), kGridGrey);
        QCOMPARE(shot.pixelColor(kPlot + QPoint(44 + 8 * 30, LevelY(0))), kGridGrey);  // not yet
        QCOMPARE(shot.pixelColor(kPlot + QPoint(44 + 8 * 4 + 3, LevelY(12) + 3)), kBlack);

        ClickAt(rig, kStartStop);
        QTest::qWait(500);
        shot = Shot(rig);
        QVERIFY(CountColour(shot, kStartStopFace, kGreen) > 200);
        QCOMPARE(CountText(shot, kStatus, kGreen), 0);
        QCOMPARE(CountText(shot, kStatus, kRed), 0);
        const qsizetype sent = rig.Log().size();
        QTest::qWait(1000);
        const QList<Command> log = rig.Log();
        QCOMPARE(log.size(), sent);  // nothing after the finishing step
        for (qsizetype i = 0; i < log.size(); ++i) {
            QCOMPARE(log[i].text, SweepCommand(int(i)));
        }
        CheckPace(log);
    }

    void pauseDwellsOnASignal() {
        Rig rig;
        Start(rig, Settings("PAUSE=2\n"), "145.05 1 12\n");
        ClickAt(rig, kStartStop);
        QVERIFY(WaitForCommand(rig, SweepCommand(4), 3000));
        QTest::qWait(700);
        QVERIFY(CountText(Shot(rig), kStatus, kRed) > 10);  // "pause"
        QVERIFY(WaitForCommand(rig, SweepCommand(5), 4000));
        const QList<Command> log = rig.Log();
        const double dwell = log[5].seconds - log[4].seconds;
        QVERIFY2(dwell >= 2 + kStepSeconds && dwell < 2.6, qPrintable(QString::number(dwell)));
        CheckPace(log);
    }

    void holdWaitsForContinue() {
        Rig rig;
        // This receiver keeps reporting the level of the tuned frequency, so a hold can last.
        Start(rig, Settings("PAUSE=99\n"), "145.05 1 12\n",
              {QStringLiteral("--repeat"), QStringLiteral("300")});
        ClickAt(rig, kStartStop);
        QVERIFY(WaitForCommand(rig, SweepCommand(4), 3000));
        QTest::qWait(2000);
        QCOMPARE(rig.Log().size(), 5);  // held: no command goes out
        QImage shot = Shot(rig);
        QVERIFY(CountColour(shot, kContinueFace, kYellow) > 200);
        QVERIFY(CountText(shot, kStatus, kRed) > 10);

        ClickAt(rig, kContinue);
        QVERIFY(WaitForCommand(rig, SweepCommand(5), 1500));
        QTest::qWait(300);
        shot = Shot(rig);
        QCOMPARE(CountColour(shot, kContinueFace, kYellow), 0);
        QVERIFY(CountText(shot, kStatus, kGreen) > 10);
    }

    // After a stop: AM and 8 MHz chosen, the read-out and a click follow them at once.
    void clickTunesAfterAStopWithTheChosenModeAndSpan() {
        Rig rig;
        Start(rig, Settings(), "145.05 1 12\n");
        ClickAt(rig, kStartStop);
        QVERIFY(WaitForCommand(rig, SweepCommand(2), 2000));
        ClickAt(rig, kStartStop);
        QTest::qWait(500);
        ClickAt(rig, kAm);
        ClickAt(rig, kEightMHz);
        PointAt(rig, kPlot + QPoint(40, 100));
        PointAt(rig, kPlot + QPoint(45, 100));
        QTest::qWait(300);
        QVERIFY(CountText(Shot(rig), kReadout, kGreen) > 10);
        ClickAt(rig, kPlot + QPoint(45, 100));
        QVERIFY(WaitForCommand(rig, "145.0125A", 2000));
        QCOMPARE(rig.Log().size(), 4);

        // The next run sweeps 8 MHz in AM: one pixel per step.
        ClickAt(rig, kStartStop);
        QVERIFY(WaitForCommand(rig, SweepCommand(6, 'A'), 3000));
        const QImage shot = Shot(rig);
        QCOMPARE(shot.pixelColor(kPlot + QPoint(44 + 4, LevelY(12))), kGreen);
        QCOMPARE(shot.pixelColor(kPlot + QPoint(44 + 8 * 4, LevelY(12))), kGridGrey);
        const QList<Command> log = rig.Log().mid(4);
        for (qsizetype i = 0; i < log.size(); ++i) {
            QCOMPARE(log[i].text, SweepCommand(int(i), 'A'));
        }
        CheckPace(log);
    }

    void secondCopyEndsAtOnce() {
        Rig rig;
        Start(rig, Settings(), "145.05 1 12\n");
        ClickAt(rig, kStartStop);
        QVERIFY(WaitForCommand(rig, SweepCommand(1), 2000));

        QProcess second;
        second.setProcessEnvironment(Environment());
        second.start(rig.Path("nerimo"), QStringList());
        QVERIFY(second.waitForFinished(3000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(!second.readAllStandardError().contains("Nerimo:"));  // no message
        QCOMPARE(Windows().size(), 1);

        // The first keeps its port and its sweep.
        const qsizetype sent = rig.Log().size();
        QVERIFY(WaitForCommand(rig, SweepCommand(int(sent) + 2), 2000));
    }

    void closeButtonDuringAPauseEndsAtOnce() {
        Rig rig;
        Start(rig, Settings("PAUSE=10\n"), "145.025 1 12\n");
        ClickAt(rig, kStartStop);
        QVERIFY(WaitForCommand(rig, SweepCommand(2), 2000));
        QTest::qWait(500);
        ClickAt(rig, kClose);
        QVERIFY(rig.program.waitForFinished(1000));
        QCOMPARE(rig.program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(rig.program.exitCode(), 0);
        QVERIFY(!rig.program.readAllStandardError().contains("Nerimo:"));
        QTest::qWait(500);
        QCOMPARE(rig.Log().size(), 3);
        QVERIFY(Windows().isEmpty());
    }

    void missingDeviceIsShownThenLevelZeroIsPlotted() {
        Rig rig;
        StartProgram(rig, Settings("DEVICE=" + rig.Path("absent").toLocal8Bit() + "\n"));
        // The message stands alone: the main window is not shown before it is dismissed.
        QVERIFY(QTest::qWaitFor([&] { return Windows().size() == 1; }, 10000));
        QVERIFY(!FindWindow(rig, QSize(812, 541), 500));
        QByteArray errors;
        QVERIFY(QTest::qWaitFor(
            [&] {
                errors += rig.program.readAllStandardError();
                return errors.contains("No such file or directory");
            },
            5000));
        QVERIFY2(errors.contains(("Nerimo: " + rig.Path("absent")).toLocal8Bit()), errors);
        Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), Windows().first()});
        Xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        QVERIFY(FindWindow(rig, QSize(812, 541)));

        ClickAt(rig, kStartStop);
        QTest::qWait(1500);
        const QImage shot = Shot(rig);
        QCOMPARE(shot.pixelColor(kPlot + QPoint(44 + 8 * 3, LevelY(0))), kGreen);
        QCOMPARE(shot.pixelColor(kPlot + QPoint(44 + 8 * 3, LevelY(0) - 1)), kBlack);
        QVERIFY(CountColour(shot, kStartStopFace, kRed) > 200);
        ClickAt(rig, kStartStop);
        ClickAt(rig, kClose);
        QVERIFY(rig.program.waitForFinished(2000));
        errors += rig.program.readAllStandardError();
        QCOMPARE(errors.count("Nerimo:"), 1);  // one message only
    }
};

QTEST_GUILESS_MAIN(WindowTest)
#include "tst_window.moc"
