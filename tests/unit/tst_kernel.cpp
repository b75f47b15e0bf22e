#include <QtTest>
#include <clocale>

#include "Fakes.h"
#include "FrequencyAtX.h"
#include "SweepLog.h"
#include "WaitSeconds.h"

using nerimo::testing::AddRows;
using nerimo::testing::Kernel;

namespace {

constexpr QRgb kBlack = 0xff000000;
constexpr QRgb kGrey = 0xff808080;
constexpr QRgb kGreen = 0xff00ff00;

void Plot(Kernel& k, const QList<int>& levels) {
    for (int level : levels) {
        k.state.SignalLevel = int16_t(level);
        k.plot.PlotLevel();
    }
}

// The status and continue-button calls from the given one on.
QStringList PanelStates(const Kernel& k, qsizetype from) {
    return k.panel.calls.mid(from).filter(QRegularExpression("^Set(Status|Cont)"));
}

struct Span {
    const char* name;
    double start;
    int span;
};

struct Stop {
    const char* name;
    int pause;
    double stopAfter;  // seconds after the command with the signal
    double endsAfter;  // the run ends no sooner
    int span = 1;
    int newSpan = 0;  // chosen after the stop; 0 for none
};

struct Logged {
    const char* name;
    int span;
    int pause = 0;
    int stopAtStep = 0;  // the stop button when this step is tuned; 0 for none
    bool port = true;
    QByteArray row = {};  // its start, or nothing when no row is to be written
    bool silent = false;  // the receiver answers nothing but the signal
};

struct Reading {
    const char* name;
    bool ok;  // the strength read went through
    std::optional<int> decibels;
    int level;  // plotted
    nerimo::Reply reply;
};

struct RadioOpen {
    const char* name;
    int model;
    QByteArray device;
    nerimo::platform::RadioResult result;
    QString tried;    // the radio asked to open
    int attempts;     // in the first 5 s
    QString message;  // shown once, or none
};

struct Open {
    const char* name;
    int com;
    QByteArray device;
    QString portName;
    QString failure = {};  // the service's description; empty: it opens
    QString message = {};
    bool held = false;  // another program holds the port or its lock
};

}  // namespace

// The kernel on the fakes: the receiver link's wire text and decoding, the plot's pixels and
// their frequencies, and the sweep in virtual time.
class KernelTest : public QObject {
    Q_OBJECT

  private slots:
    // Qt and the C library both on a comma-decimal locale, as Qt's start-up leaves them on such a
    // system: the wire text must not follow it.
    void initTestCase() {
        QVERIFY2(std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr,
                 "the de_DE.UTF-8 locale is missing; scripts/install-deps.sh generates it");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    void tuneCommandIsFrequencyThenMode_data() {
        QTest::addColumn<double>("mhz");
        QTest::addColumn<QByteArray>("command");
        // clang-format off
        for (const auto& [mhz, command] : QList<QPair<double, QByteArray>>{
                 {145.125, "145.1250A"}, {5.5, "5.5000A"}, {0.1, "0.1000A"},
                 {1000, "1000.0000A"}, {2035.9875, "2035.9875A"}, {145.99999999999, "146.0000A"}}) {
            // clang-format on
            QTest::newRow(command.constData()) << mhz << command;
        }
    }
    void tuneCommandIsFrequencyThenMode() {
        QFETCH(double, mhz);
        QFETCH(QByteArray, command);
        Kernel k(145.0, 1);
        k.state.ModeLetter = "A";
        nerimo::FormatFreqText(k.state, mhz);
        QVERIFY(k.link.SendTuneCommand());
        QCOMPARE(k.port.written, QList<QByteArray>{command});
        QCOMPARE(k.state.FreqText, command.chopped(1));
    }

    // The last letter is the level; anything else that came is an answer at level 0; nothing at
    // all (-1) is no answer.
    void decodesTheLastLetter_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("replyText");
        QTest::addColumn<int>("level");
        // clang-format off
        for (const auto& [reply, text, level] : QList<std::tuple<QByteArray, QByteArray, int>>{
                 {"A", "A", 1}, {"P\r\n", "P", 16}, {"\r\nG\r\n", "G", 7}, {"\r\n", "", 0},
                 {"", "", -1}, {"KB", "B", 2}, {"b", "b", 0}, {"Q", "Q", 0}, {"\xc1", "\xc1", 0}}) {
            // clang-format on
            QTest::newRow(reply.toPercentEncoding().constData()) << reply << text << level;
        }
    }
    void decodesTheLastLetter() {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, replyText);
        QFETCH(int, level);
        Kernel k(145.0, 1);
        k.port.pending = reply;
        QCOMPARE(int(k.link.ReadLevel().value_or(-1)), level);
        QCOMPARE(k.state.ReplyText, replyText);
    }

    // The reads of a run's start throw pending replies away; a port that is gone answers nothing,
    // not the letter it read before.
    void repliesBeforeTheRunAndAfterThePortAreNone() {
        Kernel k(145.0, 1);
        k.port.pending = "M";
        k.link.StartRun();
        QCOMPARE(k.link.ReadLevel(), std::nullopt);
        k.port.pending = "F";
        QCOMPARE(k.link.ReadLevel(), std::optional<int16_t>(6));
        k.port.pending = "N";
        k.port.open = false;  // the adapter is pulled out
        k.port.died();
        QCOMPARE(k.link.ReadLevel(), std::nullopt);
    }

    void opensThePortAndReportsAFailure_data() {
        const QString missing = QStringLiteral("No such file or directory");
        const QString plug = QStringLiteral(
            "\r\nPlug the receiver in, or choose its port: nerimo --list-ports lists them; set "
            "DEVICE= in /home/ham/t.ini.");
        AddRows<Open>({
            {"DEVICE= wins", 3, "/dev/ttyUSB0", "/dev/ttyUSB0"},
            {"COM3 missing", 3, "", "/dev/ttyS2", missing,
             "COM3 (/dev/ttyS2)\r\n" + missing + plug},
            {"COM-2 missing", -2, "", "/dev/ttyS-3", missing,
             "COM-2 (/dev/ttyS-3)\r\n" + missing + plug},
            {"device missing", 1, "/dev/ttyUSB7", "/dev/ttyUSB7", missing,
             "/dev/ttyUSB7\r\n" + missing + plug},
            {"permission", 1, "", "/dev/ttyS0", "Permission denied",
             "COM1 (/dev/ttyS0)\r\nPermission denied\r\nTo use the port, your user must be in "
             "the group that owns the device (usually dialout)."},
            {"held", 1, "/dev/ttyUSB0", "/dev/ttyUSB0", "Permission error while locking the device",
             "/dev/ttyUSB0\r\nPermission error while locking the device\r\nAnother program is "
             "using the port (it holds the port or its lock file); Nerimo takes the port as soon "
             "as it is free.",
             true},
        });
    }
    void opensThePortAndReportsAFailure() {
        QFETCH(Open, row);
        Kernel k(145.0, 1);
        k.state.ComPort = int16_t(row.com);
        k.state.DevicePath = row.device;
        k.state.SettingsFile = QStringLiteral("/home/ham/t.ini");
        k.port.openResult = {row.failure.isEmpty(), row.failure,
                             row.failure.startsWith("Perm") && !row.held, row.held};
        std::optional<bool> opened;
        k.link.OpenPort([&](const nerimo::OpenOutcome& outcome) { opened = outcome.opened; });
        QCOMPARE(opened, std::optional<bool>(row.failure.isEmpty()));
        QCOMPARE(k.port.calls, QStringList({"name " + row.portName, "line", "rts/cts", "rts 1",
                                            "dtr 1", "open"}));
        QCOMPARE(k.messages.shown.join(""), row.message);
        QCOMPARE(k.link.SendTuneCommand(), row.failure.isEmpty());
    }

    // Each segment from the point before, in the trace colour; none for a colour out of range.
    void segmentsGoWhereTheLevelsSay_data() {
        QTest::addColumn<int>("span");
        QTest::addColumn<int>("colour");
        QTest::addColumn<QList<int>>("levels");
        QTest::addColumn<QList<QPoint>>("points");
        QTest::addColumn<QRgb>("seen");
        QTest::newRow("1 MHz: 0, 5, 16, cyan")
            << 1 << 1 << QList<int>{0, 5, 16} << QList<QPoint>{{44, 339}, {52, 234}, {60, 3}}
            << QRgb(0xff00ffff);
        QTest::newRow("8 MHz: 3, 4, white")
            << 8 << 3 << QList<int>{3, 4} << QList<QPoint>{{44, 276}, {45, 255}}
            << QRgb(0xffffffff);
        QTest::newRow("orange") << 1 << 2 << QList<int>{5} << QList<QPoint>{{44, 234}}
                                << QRgb(0xffff8c00);
        QTest::newRow("colour 4") << 1 << 4 << QList<int>{5} << QList<QPoint>{{44, 234}} << kBlack;
    }
    void segmentsGoWhereTheLevelsSay() {
        QFETCH(int, span);
        QFETCH(int, colour);
        QFETCH(QList<int>, levels);
        QFETCH(QList<QPoint>, points);
        QFETCH(QRgb, seen);
        Kernel k(145.0, span);
        k.state.ColorIndex = int16_t(colour);
        for (int i = 0; i < levels.size(); ++i) {
            Plot(k, {levels[i]});
            QCOMPARE(QPoint(k.state.PlotX, k.state.PlotY), points[i]);
            QCOMPARE(k.surface.PixelAt(points[i].x(), points[i].y()), seen);
        }
        QCOMPARE(k.surface.PixelAt(43, points[0].y()), kBlack);  // the first point starts it
    }

    // A whole sweep runs unbroken from x 44 to x 684, and every column of every point reads back
    // as the frequency of its own step; the columns beside the trace read nothing.
    void everyPointReadsBackAsItsFrequency_data() {
        QTest::addColumn<int>("span");
        QTest::addColumn<double>("start");
        QTest::newRow("1 MHz from 145") << 1 << 145.0;
        QTest::newRow("8 MHz from 145") << 8 << 145.0;
        QTest::newRow("1 MHz from 0.1") << 1 << 0.1;
        QTest::newRow("8 MHz from 1299.9875") << 8 << 1299.9875;
    }
    void everyPointReadsBackAsItsFrequency() {
        QFETCH(int, span);
        QFETCH(double, start);
        Kernel k(start, span);
        QVERIFY(!nerimo::FrequencyAtX(k.state, 43) && !nerimo::FrequencyAtX(k.state, -500));
        for (int step = 0; step <= span * 80; ++step) {
            Plot(k, {0});
            for (int x = k.state.PlotX; x < k.state.PlotX + k.state.PixelsPerStep; ++x) {
                const std::optional<double> f = nerimo::FrequencyAtX(k.state, x);
                QVERIFY2(f && qAbs(*f - (start + step * 0.0125)) < 1e-9,
                         qPrintable(QStringLiteral("column %1").arg(x)));
            }
        }
        QCOMPARE(k.state.PlotX, 684);
        QVERIFY(!nerimo::FrequencyAtX(k.state, 684 + k.state.PixelsPerStep));
        for (int x = 43; x <= 685; ++x) {
            QCOMPARE(k.surface.PixelAt(x, 339), x >= 44 && x <= 684 ? kGreen : kBlack);
        }
        k.state.PixelsPerStep = 0;  // no span yet: no column is on the trace
        QVERIFY(!nerimo::FrequencyAtX(k.state, 44));
    }

    // The grid's verticals where the span puts them, the whole-MHz ones lighter, from y 4 to 340;
    // the levels' rows from x 44 to 685, over them.
    void gridHasItsLinesAndColours_data() {
        QTest::addColumn<int>("span");
        QTest::addColumn<QList<int>>("greyXs");
        QTest::addColumn<QList<int>>("lightXs");
        QList<int> narrow, wide, whole;
        for (int x = 44; x <= 684; x += 8) {
            if ((x - 44) % 64 == 0) {
                narrow << x;
            }
            ((x - 44) % 80 == 0 ? whole : wide) << x;
        }
        QTest::newRow("1 MHz") << 1 << narrow << QList<int>();
        QTest::newRow("8 MHz") << 8 << wide << whole;
    }
    void gridHasItsLinesAndColours() {
        QFETCH(int, span);
        QFETCH(QList<int>, greyXs);
        QFETCH(QList<int>, lightXs);
        Kernel k(145.0, span);
        k.panel.checks[2] = 1;
        k.plot.PreparePlot();
        QList<int> grey, light;
        for (int x = 0; x < 720; ++x) {
            if (k.surface.PixelAt(x, 100) == kGrey) {
                grey << x;
            } else if (k.surface.PixelAt(x, 100) == 0xffc0c0c0) {
                light << x;
            }
        }
        QCOMPARE(grey, greyXs);
        QCOMPARE(light, lightXs);
        // clang-format off
        for (const auto& [x, y, colour] : QList<std::tuple<int, int, QRgb>>{
                 {108, 2, kBlack}, {108, 3, kGrey}, {108, 340, kGrey}, {108, 341, kBlack},
                 {43, 24, kBlack}, {685, 24, kGrey}, {686, 24, kBlack}, {685, 339, kGrey}}) {
            // clang-format on
            QVERIFY2(k.surface.PixelAt(x, y) == colour,
                     qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
        }
    }

    // Successive sweeps, each prepared with "Clear at start" and "Grid" as given, a trace drawn in
    // between: along the baseline, over a grid line (108, 100) and away from the grid (140, 100).
    void sweepsArePreparedAsTheBoxesSay_data() {
        QTest::addColumn<QList<QPoint>>("boxes");  // per sweep: clear, grid
        QTest::addColumn<QList<QRgb>>("after");    // (140, 100), (100, 339), (108, 100)
        QTest::addColumn<int>("gridDrawn");
        using Boxes = QList<QPoint>;
        using Pixels = QList<QRgb>;
        QTest::newRow("grid once") << Boxes{{0, 1}, {0, 1}} << Pixels{kGreen, kGrey, kGreen} << 1;
        QTest::newRow("no grid") << Boxes{{0, 0}, {0, 0}} << Pixels{kGreen, kBlack, kGreen} << 0;
        QTest::newRow("clear") << Boxes{{1, 1}, {1, 1}} << Pixels{kBlack, kGrey, kGrey} << 1;
        QTest::newRow("ticked again")
            << Boxes{{0, 1}, {0, 0}, {0, 1}} << Pixels{kGreen, kGrey, kGrey} << 1;
    }
    void sweepsArePreparedAsTheBoxesSay() {
        QFETCH(QList<QPoint>, boxes);
        QFETCH(QList<QRgb>, after);
        QFETCH(int, gridDrawn);
        Kernel k(145.0, 1);
        for (qsizetype i = 0; i < boxes.size(); ++i) {
            if (i > 0) {
                Plot(k, QList<int>(81, 0));
                k.state.StepCount = k.state.PrevX = k.state.PrevY = 0;
                k.surface.DrawLine(108, 100, 140, 100, kGreen);
            }
            k.panel.checks[1] = int16_t(boxes[i].x());
            k.panel.checks[2] = int16_t(boxes[i].y());
            k.plot.PreparePlot();
        }
        QCOMPARE((QList<QRgb>{k.surface.PixelAt(140, 100), k.surface.PixelAt(100, 339),
                              k.surface.PixelAt(108, 100)}),
                 after);
        QCOMPARE(int(k.state.GridDrawn), gridDrawn);
    }

    // Every step of the span, from the start to the end exactly, whatever the start; then the next
    // sweep from the start, its trace begun afresh, not joined to the signal at the end.
    void sweepsFromStartToEnd_data() {
        AddRows<Span>({{"100, 1 MHz", 100, 1},
                       {"145, 1 MHz", 145, 1},
                       {"0.1, 1 MHz", 0.1, 1},
                       {"0.4, 1 MHz", 0.4, 1},  // (end - start) / step falls just short of 80
                       {"2035, 1 MHz", 2035, 1},
                       {"100, 8 MHz", 100, 8},
                       {"145, 8 MHz", 145, 8},
                       {"0.1, 8 MHz", 0.1, 8},
                       {"0.2, 8 MHz", 0.2, 8},  // and of 640
                       {"2028, 8 MHz", 2028, 8}});
    }
    void sweepsFromStartToEnd() {
        QFETCH(Span, row);
        Kernel k(row.start, row.span);
        k.state.PixelsPerStep = 0;  // the run sets it from the span
        const int steps = row.span * 80 + 1;
        const QByteArray first = QByteArray::number(row.start, 'f', 4) + "N";
        const QByteArray last = QByteArray::number(row.start + row.span, 'f', 4) + "N";
        k.SignalAt(last, 'P');
        k.sweep.RunSweep();
        QVERIFY(k.RunUntilCommands(steps + 2));
        QCOMPARE(k.port.written.indexOf(last), steps - 1);
        QCOMPARE(k.port.written.indexOf(first, 1), steps);
        QCOMPARE(k.surface.PixelAt(684, 3), kGreen);  // the last point, at its column
        QCOMPARE(int(k.state.PixelsPerStep), row.span == 1 ? 8 : 1);
        QCOMPARE(k.panel.calls.value(0), "MHz " + first.chopped(1));
        QCOMPARE(k.surface.PixelAt(44, 339), kGreen);
        for (int x = 100; x < 600; ++x) {
            QCOMPARE(k.surface.PixelAt(x, 171), kBlack);
        }
    }

    // A run with no open port says so instead of "scan", and measures again from the step after
    // the port opens; it is tried again every 2 s, with no message after the first.
    void aReceiverThatComesBack() {
        Kernel k(145.0, 1);
        k.port.openResult.opened = false;
        k.link.OpenPort([](const nerimo::OpenOutcome&) {});
        k.sweep.RunSweep();
        QCOMPARE(PanelStates(k, 0), QStringList{"SetStatus #ff0000 no receiver"});
        k.retry.RunFor(3.9);
        k.port.openResult.opened = true;
        k.retry.RunFor(0.2);
        QCOMPARE(k.port.calls.count("open"), 3);  // at start-up, 2 s and 4 s later
        QVERIFY(k.RunUntilCommands(1, 1));
        QCOMPARE(PanelStates(k, 0).last(), "SetStatus #00ff00 scan");
        k.port.open = false;  // unplugged
        k.port.died();
        QVERIFY(k.scheduler.RunUntil([&] { return PanelStates(k, 0).size() == 3; }, 1));
        QCOMPARE(PanelStates(k, 0).last(), "SetStatus #ff0000 no receiver");
        k.retry.RunFor(2);
        QVERIFY(k.port.open);
        QCOMPARE(k.messages.shown.size(), 1);  // the failure at start-up only
    }

    void timedPauseOnASignal_data() {
        QTest::addColumn<int>("pause");
        QTest::newRow("1 s, the shortest") << 1;
        QTest::newRow("10 s, the longest") << 10;
    }
    void timedPauseOnASignal() {
        QFETCH(int, pause);
        Kernel k(145.0, 1, pause);
        k.SignalAt("145.0250N", 'E');
        k.sweep.RunSweep();
        QVERIFY(k.RunUntilCommands(3));
        const double third = k.scheduler.now;
        const qsizetype from = k.panel.calls.size();
        QVERIFY(k.RunUntilCommands(4));
        QVERIFY(k.scheduler.now - third >= pause + 0.185);
        QCOMPARE(PanelStates(k, from),
                 QStringList({"SetStatus #ff0000 pause", "SetStatus #00ff00 scan"}));
        QCOMPARE(int(k.state.StepCount), 3);  // plotted before the pause, once
    }

    // A hold re-reads without a new command until the signal goes or "continue" is taken.
    void holdEnds_data() {
        QTest::addColumn<int>("readsWithSignal");  // 0: for ever
        QTest::newRow("signal gone") << 3;
        QTest::newRow("continue") << 0;
    }
    void holdEnds() {
        QFETCH(int, readsWithSignal);
        Kernel k(145.0, 1, 99);
        int reads = 0;
        k.port.answer = [&](const QByteArray& last) {
            const bool signal =
                last == "145.0125N" && (++reads <= readsWithSignal || !readsWithSignal);
            return signal ? QByteArray("G") : QByteArray("\r\n");
        };
        k.sweep.RunSweep();
        QVERIFY(k.RunUntilCommands(2));
        const qsizetype from = k.panel.calls.size();
        k.scheduler.RunFor(readsWithSignal ? 0 : 5);
        QCOMPARE(k.port.written.size(), 2);  // held: no command goes out
        k.state.ContinueRequested = readsWithSignal ? 0 : 1;
        QVERIFY(k.RunUntilCommands(3, 4));
        QCOMPARE(k.port.written[2], QByteArray("145.0250N"));
        if (readsWithSignal) {
            QCOMPARE(reads, 4);  // three reads with the signal, then one without
        }
        QCOMPARE(int(k.state.ContinueRequested), 0);
        QCOMPARE(PanelStates(k, from),
                 QStringList({"SetStatus #ff0000 pause", "SetContinueOffered 1",
                              "SetStatus #00ff00 scan", "SetContinueOffered 0"}));
        QCOMPARE(int(k.state.StepCount), 2);  // the held step was plotted once
    }

    // A stop ends the run after the current step, its pause included, and nothing more is sent
    // or shown; also when the span changes while that step finishes.
    void stopEndsTheRunAfterItsStep_data() {
        AddRows<Stop>({
            {"in a hold", 99, 3.0, 3.185},
            {"1 s into a 10 s pause", 10, 1.2, 10.185},
            {"before the read of a signal", 5, 0.0, 5.185},
            {"in a pause, then 1 MHz chosen", 10, 1.2, 10.185, 8, 1},
            {"in a pause, then 8 MHz chosen", 10, 1.2, 10.185, 1, 8},
        });
    }
    void stopEndsTheRunAfterItsStep() {
        QFETCH(Stop, row);
        Kernel k(145.0, row.span, row.pause);
        k.SignalAt("145.0125N", 'P');
        k.sweep.RunSweep();
        QVERIFY(k.RunUntilCommands(2));
        const double sent = k.scheduler.now;
        k.scheduler.RunFor(row.stopAfter);
        k.state.StopRequested = 1;
        const qsizetype from = k.panel.calls.size();
        if (row.newSpan != 0) {
            k.state.EndMHz = k.state.StartMHz + row.newSpan;
        }
        QVERIFY(k.scheduler.RunUntil([&] { return !k.sweep.Running(); }, 20));
        QVERIFY(k.scheduler.now - sent >= row.endsAfter - 1e-9);
        QCOMPARE(k.port.written.size(), 2);
        QCOMPARE(PanelStates(k, from), QStringList());  // no "scan" or "pause" after the stop
        QCOMPARE(int(k.state.StepCount), 0);
        QVERIFY(!k.scheduler.task);
    }

    void startWhileAStoppedRunFinishesBeginsAfresh() {
        Kernel k(145.0, 1, 10);
        k.port.answer = [](const QByteArray&) { return QByteArray("P"); };
        k.sweep.RunSweep();
        QVERIFY(k.RunUntilCommands(3));
        k.scheduler.RunFor(1);
        k.state.StopRequested = 1;
        k.state.StopRequested = 0;  // the start button, while the old run waits out its pause
        k.sweep.RunSweep();
        QCOMPARE(k.port.written.value(3), QByteArray("145.0000N"));
        QVERIFY(k.scheduler.RunUntil([&] { return k.state.StepCount == 1; }, 1));
        QCOMPARE(int(k.state.PrevX), 44);  // the new trace begins with a dot at x 44
    }

    // The sweep log: a row per sweep, "date, time, Hz low, Hz high, 12500, 1, levels", the
    // levels as plotted, as many as the steps from low to high, each for the frequency of its
    // plot point; none while there is no receiver.
    void sweepLogRows_data() {
        AddRows<Logged>({
            {"1 MHz", 1, 0, 0, true, "2026-12-07, 10:20:30, 145000000, 146000000, 12500, 1, 0, 7"},
            {"8 MHz", 8, 0, 0, true, "2026-12-07, 10:20:30, 145000000, 153000000, 12500, 1, 0, 7"},
            {"stopped", 1, 0, 3, true, "2026-12-07, 10:20:30, 145000000, 145037500, 12500, 1, 0"},
            {"held", 1, 99, 0, true, "2026-12-07, 10:20:30, 145000000, 146000000, 12500, 1, 0, 7"},
            {"no receiver", 1, 0, 0, false},
            {"silent but for the signal", 1, 0, 0, true,
             "2026-12-07, 10:20:30, 145000000, 146000000, 12500, 1, 0, 7, 0", true},
        });
    }
    void sweepLogRows() {
        QFETCH(Logged, row);
        Kernel k(145.0, row.span, row.pause);
        k.port.open = row.port;
        int reads = 0;  // a signal at the second step, gone after three reads in a hold
        k.port.answer = [&](const QByteArray& last) {
            return last == "145.0125N" && ++reads <= 3 ? QByteArray("G")
                   : row.silent                        ? QByteArray()
                                                       : QByteArray("\r\n");
        };
        nerimo::testing::FakeAppendFile file;
        nerimo::SweepLog log(file, k.messages,
                             [] { return QDateTime(QDate(2026, 12, 7), QTime(10, 20, 30)); });
        QVERIFY(log.Start(QStringLiteral("sweeps.csv")));
        k.sweep.Listen(log);
        k.sweep.RunSweep();
        if (row.row.isEmpty()) {  // into the second sweep, and still nothing
            QVERIFY(k.scheduler.RunUntil(
                [&] { return k.panel.calls.filter("MHz 145.0000").size() == 2; }, 300));
            QVERIFY(file.written.isEmpty());
            return;
        }
        QVERIFY(k.scheduler.RunUntil(
            [&] {
                if (row.stopAtStep > 0 &&
                    k.panel.calls.filter("MHz ").size() == row.stopAtStep + 1) {
                    k.state.StopRequested = 1;
                }
                return !file.written.isEmpty();
            },
            300));
        QVERIFY(file.written.startsWith(row.row));
        const QList<QByteArray> fields = file.written.trimmed().split(',');
        const int levels = int(fields.size()) - 6;
        QCOMPARE(levels, (fields[3].toInt() - fields[2].toInt()) / 12500 + 1);
        for (int i = 0; i < levels; ++i) {  // the column of each level's point, read back
            const int x = 44 + i * k.state.PixelsPerStep;
            QCOMPARE(std::llround(*nerimo::FrequencyAtX(k.state, x) * 1e6),
                     fields[2].toLongLong() + i * 12500);
        }
        QCOMPARE(file.written.count('\n'), 1);
    }

    // dB relative to S9 onto the levels: 6 dB an S-unit from -48 dB (1) to S9 (9), 10 dB a
    // level above, at most 16.
    void levelsFromStrength_data() {
        QTest::addColumn<int>("decibels");
        QTest::addColumn<int>("level");
        // clang-format off
        for (const auto& [decibels, level] : QList<QPair<int, int>>{
                 {-49, 0}, {-48, 1}, {-43, 1}, {-42, 2}, {-1, 8}, {0, 9}, {9, 9}, {10, 10},
                 {59, 14}, {60, 15}, {69, 15}, {70, 16}, {200, 16}, {-1000, 0}}) {
            // clang-format on
            QTest::addRow("%d dB", decibels) << decibels << level;
        }
    }
    void levelsFromStrength() {
        QFETCH(int, decibels);
        QFETCH(int, level);
        QCOMPARE(int(nerimo::LevelFromStrength(decibels)), level);
    }

    // Through Hamlib: the mode set once a run, or when it changed; the frequency; the wait
    // counted from its acknowledgement; the strength. A call that fails closes the radio, which
    // is tried again 2 s later.
    void aHamlibRadioStepByStep() {
        Kernel k(145.0, 1);
        k.state.RigModel = 2;
        k.state.DevicePath = "radio.local";
        nerimo::testing::FakeRadio radio;
        radio.now = [&] { return k.scheduler.now; };
        radio.decibels = -12;
        nerimo::HamlibReceiver hamlib(k.state, radio, k.messages, k.retry);
        nerimo::Sweep sweep(k.state, hamlib, k.plot, k.panel, k.scheduler);
        hamlib.OpenPort([](const nerimo::OpenOutcome&) {});
        sweep.RunSweep();
        QVERIFY(k.scheduler.RunUntil([&] { return radio.calls.size() >= 6; }, 1));
        QCOMPARE(radio.calls,
                 QStringList({"open 2 radio.local:4532", "mode FM", "145000000 Hz at 0",
                              "strength at 0.185", "145012500 Hz at 0.185", "strength at 0.37"}));
        QCOMPARE(int(k.state.SignalLevel), 7);
        k.panel.selectedMode = 2;  // AM chosen for the next run
        sweep.RunSweep();
        QCOMPARE(radio.calls.filter("mode").last(), QStringLiteral("mode AM"));
        radio.result = {false, QStringLiteral("Communication timed out"), {}, false, false};
        k.scheduler.RunFor(0.2);
        QVERIFY(!hamlib.IsOpen());
        QCOMPARE(radio.calls.filter("close").size(), 1);
        radio.result.ok = true;
        k.retry.RunFor(2);
        QVERIFY(hamlib.IsOpen());
        QCOMPARE(k.messages.shown.size(), 0);
    }

    // A receiver that stops answering counts as gone after 8 steps in a row without an answer:
    // "no receiver" in red from the ninth step on, and "scan" again after its first answer.
    void silentReceiverIsNoReceiver() {
        Kernel k(145.0, 1);
        int reads = 0;
        k.port.answer = [&](const QByteArray&) {
            const int read = reads++;
            return read < 2 || read >= 10 ? QByteArray("\r\n") : QByteArray();
        };
        nerimo::testing::RecordingListener steps;
        k.sweep.Listen(steps);
        k.sweep.RunSweep();
        QVERIFY(k.RunUntilCommands(14));
        const QStringList calls = k.panel.calls.filter(QRegularExpression("^(MHz|SetStatus)"));
        QCOMPARE(calls.mid(9, 5),
                 QStringList({"MHz 145.1125", "SetStatus #ff0000 no receiver", "MHz 145.1250",
                              "SetStatus #00ff00 scan", "MHz 145.1375"}));
        QCOMPARE(steps.steps.value(1), qMakePair(0, nerimo::Reply::Answered));
        QCOMPARE(steps.steps.value(2), qMakePair(0, nerimo::Reply::Silent));
    }

    // What a strength read through Hamlib comes to: a number is a level; a reply with no number
    // is level 0 and no answer, the radio kept; a read that fails is level 0 whatever value it
    // left, and the radio is closed and tried again.
    void hamlibReadings_data() {
        AddRows<Reading>({
            {"-12 dB", true, -12, 7, nerimo::Reply::Answered},
            {"no number", true, std::nullopt, 0, nerimo::Reply::Silent},
            {"failed, 0 dB left", false, 0, 0, nerimo::Reply::NoReceiver},
        });
    }
    void hamlibReadings() {
        QFETCH(Reading, row);
        Kernel k(145.0, 1);
        k.state.RigModel = 1020;
        nerimo::testing::FakeRadio radio;
        radio.readResult.ok = row.ok;
        radio.decibels = row.decibels;
        nerimo::HamlibReceiver hamlib(k.state, radio, k.messages, k.retry);
        nerimo::Sweep sweep(k.state, hamlib, k.plot, k.panel, k.scheduler);
        nerimo::testing::RecordingListener steps;
        sweep.Listen(steps);
        hamlib.OpenPort([](const nerimo::OpenOutcome&) {});
        sweep.RunSweep();
        QVERIFY(k.scheduler.RunUntil([&] { return !steps.steps.isEmpty(); }, 1));
        QCOMPARE(steps.steps.first(), qMakePair(row.level, row.reply));
        QCOMPARE(k.surface.PixelAt(44, 339 - 21 * row.level), kGreen);
        QCOMPARE(hamlib.IsOpen(), row.ok);
        QCOMPARE(radio.calls.contains("close"), !row.ok);
    }

    // Answers that come back after their run has ended change nothing; closing the program
    // closes the radio, and an open that is answered after that opens nothing.
    void lateAnswersChangeNothing() {
        Kernel k(145.0, 1);
        k.state.RigModel = 1020;
        nerimo::testing::FakeRadio radio;
        radio.later = true;
        radio.decibels = 60;
        nerimo::HamlibReceiver hamlib(k.state, radio, k.messages, k.retry);
        nerimo::Sweep sweep(k.state, hamlib, k.plot, k.panel, k.scheduler);
        hamlib.OpenPort([](const nerimo::OpenOutcome&) {});
        radio.Answer();
        sweep.RunSweep();
        radio.Answer();  // the mode, then the frequency
        radio.Answer();
        k.scheduler.RunFor(0.2);
        QCOMPARE(radio.calls.last(), QStringLiteral("strength at 0"));
        sweep.End();
        const qsizetype asked = radio.calls.size();
        radio.Answer();
        k.scheduler.RunFor(5);
        QCOMPARE(radio.calls.size(), asked);
        QCOMPARE(k.state.StepCount, int16_t(0));
        QCOMPARE(k.surface.PixelAt(44, 339 - 21 * 15), kBlack);

        nerimo::HamlibReceiver closing(k.state, radio, k.messages, k.retry);
        closing.OpenPort([](const nerimo::OpenOutcome&) { QFAIL("an open after the close"); });
        closing.ClosePort();
        QCOMPARE(radio.calls.last(), QStringLiteral("close"));
        radio.Answer();
        QVERIFY(!closing.IsOpen());
    }

    // Where a Hamlib radio is asked for, and what a failed open comes to: one message at most,
    // then attempts every 2 s, quietly, unless the radio never can be swept.
    void hamlibOpens_data() {
        const nerimo::platform::RadioResult opens{true, {}, {}, false, false};
        const QString unknown =
            QStringLiteral("Hamlib has no radio model 99999 (rigctl -l lists them).");
        const QString nothing = QStringLiteral(
            "Nothing answers at localhost:4532. Is rigctld running there (rigctld -m MODEL -r "
            "DEVICE -t 4532)?");
        AddRows<RadioOpen>({
            {"rigctld, no DEVICE", 2, "", opens, "open 2 localhost:4532", 1, {}},
            {"rigctld's host", 2, "radio.local", opens, "open 2 radio.local:4532", 1, {}},
            {"rigctld's host and port",
             2,
             "radio.local:4533",
             opens,
             "open 2 radio.local:4533",
             1,
             {}},
            {"serial radio", 1020, "/dev/ttyUSB0", opens, "open 1020 /dev/ttyUSB0", 1, {}},
            {"unknown model",
             99999,
             "",
             {false, unknown, unknown, false, true},
             "open 99999 /dev/ttyS0",
             1,
             unknown},
            {"nothing answers",
             2,
             "",
             {false, nothing, nothing, false, false},
             "open 2 localhost:4532",
             3,
             nothing},
            {"silent radio",
             1020,
             "/dev/ttyUSB0",
             {false, QStringLiteral("Communication timed out"), {}, false, false},
             "open 1020 /dev/ttyUSB0",
             3,
             "/dev/ttyUSB0\r\nCommunication timed out\r\nPlug the receiver in, or choose its "
             "port: nerimo --list-ports lists them; set DEVICE= in the settings file."},
        });
    }
    void hamlibOpens() {
        QFETCH(RadioOpen, row);
        Kernel k(145.0, 1);
        k.state.RigModel = row.model;
        k.state.ComPort = 1;
        k.state.DevicePath = row.device;
        nerimo::testing::FakeRadio radio;
        radio.result = row.result;
        nerimo::HamlibReceiver hamlib(k.state, radio, k.messages, k.retry);
        std::optional<nerimo::OpenOutcome> outcome;
        hamlib.OpenPort([&](const nerimo::OpenOutcome& first) { outcome = first; });
        k.retry.RunFor(5);
        QCOMPARE(radio.calls, QStringList(row.attempts, row.tried));
        QCOMPARE(k.messages.shown,
                 row.message.isEmpty() ? QStringList() : QStringList{row.message});
        QVERIFY(outcome && outcome->opened == row.result.ok &&
                outcome->permanent == row.result.permanent);
    }

    // With no port the sweep runs at its pace, shows every frequency and plots level 0.
    void noPortStillSweepsAtLevelZero() {
        Kernel k(145.0, 1);
        k.port.open = false;
        k.sweep.RunSweep();
        QVERIFY(k.scheduler.RunUntil([&] { return k.state.StepCount == 81; }, 100));
        QVERIFY(k.scheduler.now >= 81 * 0.185);
        QVERIFY(k.port.written.isEmpty());
        QCOMPARE(k.surface.PixelAt(684, 339), kGreen);
        QCOMPARE(k.panel.calls.filter("MHz ").size(), 81);
        // A wait of 0 or less goes on at once, without a turn of the event loop.
        bool done = false;
        nerimo::WaitSeconds(k.scheduler, 0, [&] { done = true; });
        QVERIFY(done);
    }
};

QTEST_MAIN(KernelTest)
#include "tst_kernel.moc"
