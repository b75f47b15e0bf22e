#include <QtTest>

#include "ActivityTracker.h"
#include "ChannelBars.h"
#include "CoreFakes.h"
#include "FrequencyAtX.h"
#include "Plot.h"
#include "Report.h"
#include "Sweep.h"
#include "WaitSeconds.h"

using nerimo::Rgb;
using nerimo::testing::AddRows;

namespace {

constexpr Rgb kBlack = 0xff000000;
constexpr Rgb kGrey = 0xff808080;
constexpr Rgb kGreen = 0xff00ff00;

// The sweep as the window sets it up, on a plot of its own, with a receiver in memory that is
// open and answers level 0 everywhere, FM and the span chosen.
struct Core {
    nerimo::Settings settings;
    nerimo::testing::FakeReceiver receiver;
    nerimo::testing::RecordingPanel panel;
    nerimo::testing::VirtualScheduler scheduler;
    nerimo::testing::FakeSurface surface;
    nerimo::Plot plot{surface, 0};
    nerimo::Lockouts lockouts;
    nerimo::testing::FixedClock clock;
    nerimo::Sweep sweep{settings, lockouts, receiver, plot, panel, scheduler, clock};

    Core(double startMHz, int spanMHz, int pauseSeconds = 0) {
        settings.startMHz = startMHz;
        settings.spanMHz = spanMHz;
        settings.pause = nerimo::testing::PauseFor(pauseSeconds);
        panel.spanMHz = spanMHz;
        plot.SetSpan(spanMHz);
    }
    // A signal of the given level at one frequency only.
    void SignalAt(const QByteArray& command, int level) {
        receiver.answer = [command, level](const QByteArray& last) {
            return std::optional<int>(last == command ? level : 0);
        };
    }
    bool RunUntilCommands(qsizetype count, double limit = 1e6) {
        return scheduler.RunUntil([&] { return receiver.tuned.size() >= count; }, limit);
    }
    // The status and continue-button calls from the given one on.
    QStringList PanelStates(qsizetype from = 0) const {
        return panel.calls.mid(from).filter(QRegularExpression("^(status|continue)"));
    }
    void PlotLevels(const QList<int>& levels) {
        for (const int level : levels) {
            plot.PlotLevel(level);
        }
    }
};

struct Span {
    const char* name;
    double start;
    int span;
};

struct Holding {
    const char* name;
    QList<QList<int>> sweeps;  // the levels of each, from the first step
    QList<double> max;         // at the first two steps; -1: none
    QList<double> min;
    QList<double> average;
    bool clearAtStart = false;
    bool spanChange = false;  // after the first sweep
};

struct Heard {
    const char* name;
    QList<QByteArray> sweeps;  // the levels of the first steps, a digit each (hex)
    QStringList events;        // "S(tarted)|H(eard)|E(nded) MHz strongest sweeps [name]"
    int pause = 0;
    std::optional<int> activityLevel = {};  // none: the band's floor and the margin
    QList<int> locked = {};                 // steps locked out
    int holdReads = 1000;                   // a hold's reads of a signal before it drops
    QStringList pauses = {};                // the steps at which the status said "pause"
    int rest = 0;                           // the level of the steps after those given
};

struct HoldOff {
    const char* name;
    QList<nerimo::Hold> shown;  // from the first sweep
    bool clearAtStart;
    bool grid;
    int offSweep;  // turned off in this sweep (past the last: once the run has ended)
    int offStep;   // before this step is plotted
};

// A channel scan of four channels (A 145.5, B 118.1 in AM, C 145.6, D 145.7), signals on
// some of them for a while.
struct Scan {
    const char* name;
    int pause;
    std::optional<int> activityLevel;
    int hang;
    QList<std::tuple<char, double, double, int>> busy;  // channel, from, to (s), level
    QByteArray expected;  // the channels tuned, and when: "A 0.000|B 0.185|..."
    QByteArray priority = "";
    QByteArray lockedOut = "";
    double continueAt = -1;  // when "continue" is pressed; -1: never
    int priorityEvery = 2;
};

struct Stop {
    const char* name;
    int pause;
    double stopAfter;  // seconds after the command with the signal
    double endsAfter;  // the run ends no sooner
    int span = 1;
    int newSpan = 0;  // chosen after the stop; 0 for none
};

}  // namespace

// The core on its fakes: the plot's pixels and their frequencies, and the sweep in virtual time.
class CoreTest : public QObject {
    Q_OBJECT

  private slots:
    // The C library on a comma-decimal locale, as Qt's start-up leaves it on such a system: the
    // wire text must not follow it.
    void initTestCase() {
        QVERIFY2(nerimo::testing::UseCommaLocale(),
                 "the de_DE.UTF-8 locale is missing; scripts/install-deps.sh generates it");
    }

    // A message as one line of standard error: a first line that names a place runs on after
    // ": ", every other line ends as a sentence.
    void messagesAsOneLine_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("line");
        QTest::newRow("one sentence") << "The log is full."
                                      << "The log is full.";
        QTest::newRow("no stop") << "sweep 3: no receiver"
                                 << "sweep 3: no receiver.";
        QTest::newRow("a place, then why")
            << "/dev/ttyUSB0\r\nNo such file or directory\r\nPlug it in."
            << "/dev/ttyUSB0: No such file or directory. Plug it in.";
        QTest::newRow("a question") << "Nothing answers.\r\nIs it running?"
                                    << "Nothing answers. Is it running?";
        QTest::newRow("empty lines") << "Gone!\r\n\r\nBack."
                                     << "Gone! Back.";
    }
    void messagesAsOneLine() {
        QFETCH(QString, text);
        QFETCH(QString, line);
        QCOMPARE(nerimo::OneLine(text), line);
    }

    // The hold traces, step by step over the sweeps since they were last reset: the strongest, the
    // weakest and the mean level; reset with the plot's erase ("Clear at start" at a new sweep, a
    // span change), kept over sweeps drawn on top of each other.
    void holdTracesOverSweeps_data() {
        AddRows<Holding>({
            {"one sweep", {{3, 7}}, {3, 7}, {3, 7}, {3, 7}},
            {"two sweeps", {{3, 7}, {5, 1}}, {5, 7}, {3, 1}, {4, 4}},
            {"a mean between levels",
             {{0, 16}, {1, 0}, {1, 0}},
             {1, 16},
             {0, 0},
             {2 / 3.0, 16 / 3.0}},
            {"a sweep stopped short", {{3, 7}, {5}}, {5, 7}, {3, 7}, {4, 7}},
            {"cleared at each sweep", {{3, 7}, {5, 1}}, {5, 1}, {5, 1}, {5, 1}, true},
            {"span changed", {{3, 7}, {5}}, {5, -1}, {5, -1}, {5, -1}, false, true},
        });
    }
    void holdTracesOverSweeps() {
        QFETCH(Holding, row);
        nerimo::testing::FakeSurface surface;
        nerimo::Plot plot(surface, 0);
        for (qsizetype i = 0; i < row.sweeps.size(); ++i) {
            if (i == 1 && row.spanChange) {
                plot.Erase();
            }
            plot.PreparePlot(row.clearAtStart, false);
            for (const int level : row.sweeps[i]) {
                plot.PlotLevel(level);
            }
            plot.NewTrace();
        }
        for (int step = 0; step < 2; ++step) {
            for (const auto& [hold, expected] :
                 {std::pair{nerimo::Hold::Max, row.max}, std::pair{nerimo::Hold::Min, row.min},
                  std::pair{nerimo::Hold::Average, row.average}}) {
                const std::optional<double> value = plot.holds().Value(hold, step);
                QVERIFY2(
                    expected[step] < 0 ? !value : value && qAbs(*value - expected[step]) < 1e-9,
                    qPrintable(QStringLiteral("hold %1 at step %2: %3")
                                   .arg(int(hold))
                                   .arg(step)
                                   .arg(value.value_or(-1))));
            }
        }
    }

    // With a hold trace on, each step draws its segment first and the live trace over it: where
    // both pass, the live trace's colour; with every hold off, not a pixel differs from a plot
    // that has none.
    void holdTracesLieBeneath() {
        nerimo::testing::FakeSurface withHolds;
        nerimo::testing::FakeSurface without;
        nerimo::Plot held(withHolds, 0);
        nerimo::Plot plain(without, 0);
        held.ShowHold(nerimo::Hold::Max, true);
        held.ShowHold(nerimo::Hold::Min, true);
        held.ShowHold(nerimo::Hold::Average, true);
        for (const QList<int>& sweep : QList<QList<int>>{{16, 0, 9, 4}, {2, 12, 9, 4}}) {
            for (const int level : sweep) {
                held.PlotLevel(level);
                plain.PlotLevel(level);
            }
            held.NewTrace();
            plain.NewTrace();
        }
        QCOMPARE(withHolds.PixelAt(44, 339 - 21 * 16), Rgb(0xffff00ff));  // max hold over step 0
        QCOMPARE(withHolds.PixelAt(44, 339 - 21 * 9), Rgb(0xffffff00));   // the mean, 9
        QCOMPARE(withHolds.PixelAt(52, 339 - 21 * 0), Rgb(0xff0080ff));   // min hold at step 1
        // Every pixel of the last sweep's trace is there, on top of the holds.
        nerimo::testing::FakeSurface last;
        nerimo::Plot alone(last, 0);
        for (const int level : {2, 12, 9, 4}) {
            alone.PlotLevel(level);
        }
        for (int x = 0; x < 720; ++x) {
            for (int y = 0; y < 350; ++y) {
                QVERIFY2(last.PixelAt(x, y) != kGreen || withHolds.PixelAt(x, y) == kGreen,
                         qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
            }
        }
        // All three off: a sweep draws the very pixels of a plot that never had them.
        held.ShowHold(nerimo::Hold::Max, false);
        held.ShowHold(nerimo::Hold::Min, false);
        held.ShowHold(nerimo::Hold::Average, false);
        held.Erase();
        plain.Erase();
        for (const int level : {16, 0, 9, 4}) {
            held.PlotLevel(level);
            plain.PlotLevel(level);
        }
        QVERIFY(withHolds.pixels == without.pixels);
    }

    // A hold turned off takes its trace off the plot at once: the plot is then, and from then on,
    // pixel for pixel a plot that never had it, earlier sweeps' traces kept or not.
    void holdTurnedOffLeavesNoPixel_data() {
        using enum nerimo::Hold;
        AddRows<HoldOff>({
            {"cleared at each sweep, off mid-sweep", {Max}, true, true, 2, 2},
            {"sweeps kept, off mid-sweep", {Max}, false, false, 2, 2},
            {"sweeps kept over a grid, all three off", {Max, Min, Average}, false, true, 2, 3},
            {"sweeps kept, off before a sweep's first point", {Max, Min}, false, false, 2, 0},
            {"off once the run has ended", {Average}, false, true, 4, 0},
        });
    }
    void holdTurnedOffLeavesNoPixel() {
        QFETCH(HoldOff, row);
        nerimo::testing::FakeSurface withHolds;
        nerimo::testing::FakeSurface without;
        nerimo::Plot held(withHolds, 0);
        nerimo::Plot plain(without, 0);
        for (const nerimo::Hold hold : row.shown) {
            held.ShowHold(hold, true);
        }
        const auto turnOff = [&] {
            for (const nerimo::Hold hold : row.shown) {
                held.ShowHold(hold, false);
            }
            return withHolds.pixels == without.pixels;
        };
        const QList<QList<int>> sweeps = {
            {16, 0, 9, 4, 7}, {2, 12, 9, 4, 0}, {5, 0, 3, 16, 8}, {1, 1, 1, 1, 1}};
        for (int sweep = 0; sweep < sweeps.size(); ++sweep) {
            held.PreparePlot(row.clearAtStart, row.grid);
            plain.PreparePlot(row.clearAtStart, row.grid);
            for (int step = 0; step < sweeps[sweep].size(); ++step) {
                if (sweep == row.offSweep && step == row.offStep) {
                    QVERIFY2(turnOff(), "at once");
                }
                held.PlotLevel(sweeps[sweep][step]);
                plain.PlotLevel(sweeps[sweep][step]);
            }
            held.NewTrace();
            plain.NewTrace();
        }
        if (row.offSweep == sweeps.size()) {
            QVERIFY2(turnOff(), "at once");
        }
        QVERIFY2(withHolds.pixels == without.pixels, "after the sweeps");
    }

    // Of two holds, the one turned off goes; the other stays whole, and this sweep's trace so far
    // stays on top of it.
    void turningOneHoldOffKeepsTheOther() {
        nerimo::testing::FakeSurface surface;
        nerimo::Plot plot(surface, 0);
        plot.ShowHold(nerimo::Hold::Max, true);
        plot.ShowHold(nerimo::Hold::Min, true);
        for (const QList<int>& sweep : QList<QList<int>>{{2, 12, 9, 4, 7}, {10, 3, 5, 14, 1}}) {
            plot.PreparePlot(false, false);
            for (const int level : sweep) {
                plot.PlotLevel(level);
            }
            plot.NewTrace();
        }
        plot.PreparePlot(false, false);
        const QList<int> now = {6, 14, 3};  // up to the max hold at step 1, then across it
        for (const int level : now) {
            plot.PlotLevel(level);
        }
        plot.ShowHold(nerimo::Hold::Min, false);
        QVERIFY(std::ranges::count(surface.pixels, Rgb(0xff0080ff)) == 0);
        QCOMPARE(surface.PixelAt(44, 339 - 21 * 10), Rgb(0xffff00ff));  // max at step 0
        QCOMPARE(surface.PixelAt(68, 339 - 21 * 14), Rgb(0xffff00ff));  // and at step 3
        nerimo::testing::FakeSurface alone;
        nerimo::Plot trace(alone, 0);
        for (const int level : now) {
            trace.PlotLevel(level);
        }
        for (int y = 0; y < 350; ++y) {
            for (int x = 0; x < 720; ++x) {
                QVERIFY2(alone.PixelAt(x, y) != kGreen || surface.PixelAt(x, y) == kGreen,
                         qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
            }
        }
    }

    // The activities the sweeps make: a step heard (at or above the activity level, or else the
    // floor of the band plus 3) starts one, the next sweep that hears it carries it on, the first
    // that does not ends it; steps heard side by side are one signal, one activity at its
    // strongest step; a pause or a hold measures a step once; a step locked out never pauses,
    // holds or is heard. "Calling" names step 2 and "Net" step 5. A first sweep judges each step
    // by the steps before it, so a signal at its start waits for a quiet sweep ("") to set the
    // floor.
    void activitiesOverSweeps_data() {
        AddRows<Heard>({
            {"one sweep", {"03"}, {"S 145.0125 3 1", "E 145.0125 3 1"}},
            {"carried on, strongest kept",
             {"03", "05", "00"},
             {"S 145.0125 3 1", "H 145.0125 5 2", "E 145.0125 5 2"}},
            {"heard at 12, then at 7: 12 kept",
             {"0c", "07"},
             {"S 145.0125 12 1", "H 145.0125 12 2", "E 145.0125 12 2"}},
            {"a gap: two of them",
             {"03", "00", "03"},
             {"S 145.0125 3 1", "E 145.0125 3 1", "S 145.0125 3 1", "E 145.0125 3 1"}},
            {"below the activity level",
             {"03", "05", "02"},
             {"S 145.0125 5 1", "E 145.0125 5 1"},
             0,
             5},
            {"named", {"0030"}, {"S 145.0250 3 1 Calling", "E 145.0250 3 1 Calling"}},
            {"a pause between",
             {"03", "03"},
             {"S 145.0125 3 1", "H 145.0125 3 2", "E 145.0125 3 2"},
             2,
             {},
             {},
             1000,
             {"1", "1"}},
            {"a hold between",
             {"03", "03"},
             {"S 145.0125 3 1", "H 145.0125 3 2", "E 145.0125 3 2"},
             99,
             {},
             {},
             3,
             {"1", "1"}},
            {"locked out: no pause, no activity",
             {"0f03", "0f03"},
             {"S 145.0375 3 1", "H 145.0375 3 2", "E 145.0375 3 2"},
             2,
             {},
             {1},
             1000,
             {"3", "3"}},
            {"level 1 on a quiet band is no activity", {"01", "0101"}, {}},
            {.name = "level 1 heard where ACTIVITY=1 says so",
             .sweeps = {"01"},
             .events = {"S 145.0125 1 1", "E 145.0125 1 1"},
             .activityLevel = 1},
            {.name = "a pause at any level above 0, whatever the floor",
             .sweeps = {"01"},
             .events = {},
             .pause = 2,
             .pauses = {"1"}},
            {.name = "a band's floor at 4: heard from 7",
             .sweeps = {"4446", "4447"},
             .events = {"S 145.0375 7 1", "E 145.0375 7 1"},
             .rest = 4},
            {.name = "a carrier always there counts",
             .sweeps = {"49", "49", "49"},
             .events = {"S 145.0125 9 1", "H 145.0125 9 2", "H 145.0125 9 3", "E 145.0125 9 3"},
             .rest = 4},
            {.name = "ACTIVITY=8 over the floor's 7",
             .sweeps = {"", "4748"},
             .events = {"S 145.0375 8 1", "E 145.0375 8 1"},
             .activityLevel = 8,
             .rest = 4},
            {"the floor of the sweep before", {"00", "50"}, {"S 145.0000 5 1", "E 145.0000 5 1"}},
            {"a signal over steps is one, at its strongest",
             {"", "0575", "0686"},
             {"S 145.0250 7 1 Calling", "H 145.0250 8 2 Calling", "E 145.0250 8 2 Calling"}},
            {"named after a bookmark on its steps",
             {"", "0057"},
             {"S 145.0375 7 1 Calling", "E 145.0375 7 1 Calling"}},
            {"named after the bookmark on its steps nearest its strongest",
             {"", "003493"},
             {"S 145.0500 9 1 Net", "E 145.0500 9 1 Net"}},
            {"as strong on three steps: the middle one",
             {"", "0777"},
             {"S 145.0250 7 1 Calling", "E 145.0250 7 1 Calling"}},
            {"as strong on two steps: the lower",
             {"", "077"},
             {"S 145.0125 7 1 Calling", "E 145.0125 7 1 Calling"}},
            {"a signal that moves, still on its step",
             {"", "0570", "0057"},
             {"S 145.0250 7 1 Calling", "H 145.0250 7 2 Calling", "E 145.0250 7 2 Calling"}},
            {"two signals grown into one: the nearer carries on",
             {"", "70007", "33353"},
             {"S 145.0000 7 1", "S 145.0500 7 1", "H 145.0500 7 2", "E 145.0000 7 1",
              "E 145.0500 7 2"}},
            {"two as near: the lower carries on",
             {"", "70007", "33533"},
             {"S 145.0000 7 1", "S 145.0500 7 1", "H 145.0000 7 2", "E 145.0500 7 1",
              "E 145.0000 7 2"}},
            {.name = "a step locked out parts a signal",
             .sweeps = {"", "0777"},
             .events = {"S 145.0125 7 1", "S 145.0375 7 1", "E 145.0125 7 1", "E 145.0375 7 1"},
             .locked = {2}},
        });
    }
    // A lockout locks the step it falls on within half a step, below as above, as an imported
    // list gives it (145.0124 MHz for the step of 145.0125 MHz); the next step's half is not its.
    void lockoutsLockTheirStep_data() {
        QTest::addColumn<long long>("lockout");
        QTest::addColumn<bool>("locks");
        for (const auto& [hertz, locks] :
             std::initializer_list<std::pair<long long, bool>>{{145012400, true},
                                                               {145012500, true},
                                                               {145018749, true},
                                                               {145006250, true},
                                                               {145018750, false},
                                                               {145006249, false}}) {
            QTest::addRow("%lld", hertz) << hertz << locks;
        }
    }
    void lockoutsLockTheirStep() {
        QFETCH(long long, lockout);
        QFETCH(bool, locks);
        QCOMPARE(nerimo::Lockouts({lockout}).Locks(145012500), locks);
    }

    void activitiesOverSweeps() {
        QFETCH(Heard, row);
        Core core(145, 1, row.pause);
        for (const int step : row.locked) {
            core.lockouts.Add(145000000 + step * 12500);
        }
        const nerimo::Bookmarks bookmarks(
            {{145025000, QStringLiteral("Calling")}, {145062500, QStringLiteral("Net")}});
        nerimo::testing::FixedClock clock;
        nerimo::ActivityTracker tracker(row.activityLevel, core.lockouts, bookmarks, clock);
        nerimo::testing::RecordingActivities events;
        tracker.Listen(events);
        core.sweep.Listen(tracker);
        int reads = 0;
        QByteArray at;
        core.receiver.answer = [&](const QByteArray& last) {
            reads = last == at ? reads + 1 : 1;
            at = last;
            const auto sweep = core.receiver.tuned.count("145.0000N") - 1;
            const auto step = qsizetype(std::lround((last.chopped(1).toDouble() - 145) / 0.0125));
            const QByteArray levels = row.sweeps.value(sweep);
            if (step >= levels.size()) {
                return std::optional<int>(row.rest);
            }
            return std::optional<int>(
                reads <= row.holdReads ? QByteArray(1, levels[step]).toInt(nullptr, 16) : 0);
        };
        core.panel.spanMHz = 1;
        core.sweep.RunSweep();
        QVERIFY(core.scheduler.RunUntil(
            [&] { return core.receiver.tuned.count("145.0000N") > row.sweeps.size(); }, 1e5));
        core.sweep.End();
        QCOMPARE(events.seen, row.events);
        QStringList pauses;
        for (qsizetype i = 0; i < core.panel.calls.size(); ++i) {
            if (core.panel.calls[i] == "status pause") {
                pauses << QString::number(
                    std::lround((core.panel.calls.value(i - 1).mid(4).toDouble() - 145) / 0.0125));
            }
        }
        QCOMPARE(pauses, row.pauses);
    }

    // The scale strip: the ticks of the first and the last point; a grey tick under a step
    // locked out and a short yellow one under a named frequency, where the span has them; with no
    // lists, only the two ticks.
    void scaleMarksTheLists() {
        const nerimo::Lockouts lockouts({145100000, 146500000});
        const nerimo::Bookmarks bookmarks({{145206000, QStringLiteral("near a step")}});
        const auto column = [](const nerimo::testing::FakeSurface& scale, int x) {
            QString dots;
            for (int y = 0; y < 12; ++y) {
                const Rgb pixel = scale.PixelAt(x, y);
                dots += pixel == 0xffffffff   ? 'w'
                        : pixel == kGrey      ? 'g'
                        : pixel == 0xffffff00 ? 'y'
                        : pixel == kBlack     ? '.'
                                              : '?';
            }
            return dots;
        };
        nerimo::testing::FakeSurface narrow(720, 15);
        nerimo::DrawScale(narrow, 145000000, 1, lockouts, bookmarks);
        QCOMPARE(column(narrow, 44), QStringLiteral("wwwwwwwwwww."));
        QCOMPARE(column(narrow, 44 + 8 * 8), QStringLiteral("ggggggggggg."));   // 145.1 MHz
        QCOMPARE(column(narrow, 44 + 8 * 16), QStringLiteral("yyyy........"));  // 145.2 MHz
        QCOMPARE(column(narrow, 684), QStringLiteral("wwwwwwwwwww."));
        nerimo::testing::FakeSurface wide(720, 15);
        nerimo::DrawScale(wide, 145000000, 8, lockouts, bookmarks);
        QCOMPARE(column(wide, 44 + 120), QStringLiteral("ggggggggggg."));  // 146.5 MHz
        nerimo::testing::FakeSurface plain(720, 15);
        nerimo::testing::FakeSurface none(720, 15);
        nerimo::DrawScale(plain, 145000000, 1, {}, {});
        nerimo::DrawScale(none, 145000000, 1, nerimo::Lockouts({140000000}),
                          nerimo::Bookmarks({{150000000, QStringLiteral("beyond")}}));
        QVERIFY(plain.pixels == none.pixels);
        QCOMPARE(std::count(plain.pixels.begin(), plain.pixels.end(), 0xffffffff), 22);
    }

    // Each segment from the point before, in the trace colour; none for a colour out of range.
    void segmentsGoWhereTheLevelsSay_data() {
        QTest::addColumn<int>("span");
        QTest::addColumn<int>("colour");
        QTest::addColumn<QList<int>>("levels");
        QTest::addColumn<QList<QPoint>>("points");
        QTest::addColumn<Rgb>("seen");
        QTest::newRow("1 MHz: 0, 5, 16, cyan")
            << 1 << 1 << QList<int>{0, 5, 16} << QList<QPoint>{{44, 339}, {52, 234}, {60, 3}}
            << Rgb(0xff00ffff);
        QTest::newRow("8 MHz: 3, 4, white")
            << 8 << 3 << QList<int>{3, 4} << QList<QPoint>{{44, 276}, {45, 255}} << Rgb(0xffffffff);
        QTest::newRow("orange") << 1 << 2 << QList<int>{5} << QList<QPoint>{{44, 234}}
                                << Rgb(0xffff8c00);
        QTest::newRow("colour 4") << 1 << 4 << QList<int>{5} << QList<QPoint>{{44, 234}} << kBlack;
    }
    void segmentsGoWhereTheLevelsSay() {
        QFETCH(int, span);
        QFETCH(int, colour);
        QFETCH(QList<int>, levels);
        QFETCH(QList<QPoint>, points);
        QFETCH(Rgb, seen);
        nerimo::testing::FakeSurface surface;
        nerimo::Plot plot(surface, colour);
        plot.SetSpan(span);
        for (int i = 0; i < levels.size(); ++i) {
            plot.PlotLevel(levels[i]);
            QCOMPARE(plot.LastPoint(), points[i]);
            QCOMPARE(surface.PixelAt(points[i].x(), points[i].y()), seen);
        }
        QCOMPARE(surface.PixelAt(43, points[0].y()), kBlack);  // the first point starts it
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
        Core k(start, span);
        const int pixels = k.plot.PixelsPerStep();
        const auto at = [&](double x) {
            return nerimo::FrequencyAtX(x, start, start + span, pixels);
        };
        QVERIFY(!at(43) && !at(-500));
        for (int step = 0; step <= span * 80; ++step) {
            k.plot.PlotLevel(0);
            for (int x = k.plot.LastPoint().x(); x < k.plot.LastPoint().x() + pixels; ++x) {
                const std::optional<double> f = at(x);
                QVERIFY2(f && qAbs(*f - (start + step * 0.0125)) < 1e-9,
                         qPrintable(QStringLiteral("column %1").arg(x)));
            }
        }
        QCOMPARE(k.plot.LastPoint().x(), 684);
        QVERIFY(!at(684 + pixels));
        for (int x = 43; x <= 685; ++x) {
            QCOMPARE(k.surface.PixelAt(x, 339), x >= 44 && x <= 684 ? kGreen : kBlack);
        }
        // No span yet: no column is on the trace.
        QVERIFY(!nerimo::FrequencyAtX(44, start, start + span, 0));
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
        Core k(145.0, span);
        k.plot.PreparePlot(false, true);
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
        for (const auto& [x, y, colour] : QList<std::tuple<int, int, Rgb>>{
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
        QTest::addColumn<QList<Rgb>>("after");     // (140, 100), (100, 339), (108, 100)
        QTest::addColumn<bool>("gridDrawn");
        using Boxes = QList<QPoint>;
        using Pixels = QList<Rgb>;
        QTest::newRow("grid once")
            << Boxes{{0, 1}, {0, 1}} << Pixels{kGreen, kGrey, kGreen} << true;
        QTest::newRow("no grid") << Boxes{{0, 0}, {0, 0}} << Pixels{kGreen, kBlack, kGreen}
                                 << false;
        QTest::newRow("clear") << Boxes{{1, 1}, {1, 1}} << Pixels{kBlack, kGrey, kGrey} << true;
        QTest::newRow("ticked again")
            << Boxes{{0, 1}, {0, 0}, {0, 1}} << Pixels{kGreen, kGrey, kGrey} << true;
    }
    void sweepsArePreparedAsTheBoxesSay() {
        QFETCH(QList<QPoint>, boxes);
        QFETCH(QList<Rgb>, after);
        QFETCH(bool, gridDrawn);
        Core k(145.0, 1);
        for (qsizetype i = 0; i < boxes.size(); ++i) {
            if (i > 0) {
                k.PlotLevels(QList<int>(81, 0));
                k.plot.NewTrace();
                k.surface.DrawLine(108, 100, 140, 100, kGreen);
            }
            k.plot.PreparePlot(boxes[i].x() == 1, boxes[i].y() == 1);
        }
        QCOMPARE((QList<Rgb>{k.surface.PixelAt(140, 100), k.surface.PixelAt(100, 339),
                             k.surface.PixelAt(108, 100)}),
                 after);
        QCOMPARE(k.plot.GridDrawn(), gridDrawn);
    }

    // Every step of the span, from the start to the end exactly, whatever the start; then the next
    // sweep from the start, its trace begun afresh, not joined to the signal at the end.
    void sweepsFromStartToEnd_data() {
        AddRows<Span>({{"100, 1 MHz", 100, 1},
                       {"145, 1 MHz", 145, 1},
                       {"0.1, 1 MHz", 0.1, 1},
                       {"0.4, 1 MHz", 0.4, 1},  // (end - start) / step falls just short of 80
                       {"2035, 1 MHz", 2035, 1},
                       {"145.00006, 1 MHz: rounded to the wire's 100 Hz", 145.00006, 1},
                       {"100, 8 MHz", 100, 8},
                       {"145, 8 MHz", 145, 8},
                       {"0.1, 8 MHz", 0.1, 8},
                       {"0.2, 8 MHz", 0.2, 8},  // and of 640
                       {"2028, 8 MHz", 2028, 8}});
    }
    void sweepsFromStartToEnd() {
        QFETCH(Span, row);
        Core k(row.start, row.span);
        k.plot.SetSpan(1 + 8 - row.span);  // the run sets it from the span chosen
        const int steps = row.span * 80 + 1;
        const QByteArray first = QByteArray::number(row.start, 'f', 4) + "N";
        const QByteArray last = QByteArray::number(row.start + row.span, 'f', 4) + "N";
        k.SignalAt(last, 16);
        k.sweep.RunSweep();
        QVERIFY(k.RunUntilCommands(steps + 2));
        QCOMPARE(k.receiver.tuned.indexOf(last), steps - 1);
        QCOMPARE(k.receiver.tuned.indexOf(first, 1), steps);
        QCOMPARE(k.surface.PixelAt(684, 3), kGreen);  // the last point, at its column
        QCOMPARE(k.plot.PixelsPerStep(), row.span == 1 ? 8 : 1);
        QCOMPARE(k.panel.calls.value(0), "MHz " + first.chopped(1));
        QCOMPARE(k.surface.PixelAt(44, 339), kGreen);
        for (int x = 100; x < 600; ++x) {
            QCOMPARE(k.surface.PixelAt(x, 171), kBlack);
        }
    }

    // A list's channels in their own order, each in its own mode; a channel without one in the
    // run's.
    void channelsInTheirOrderAndModes() {
        Core k(145.0, 1);
        nerimo::SweepPlan plan{{{145500000, nerimo::Mode::Am, "Tower"},
                                {118100000, std::nullopt, "Approach"},
                                {145500000, nerimo::Mode::Fm, "Calling"}},
                               nerimo::kStepHz};
        k.sweep.UsePlan(plan);
        k.sweep.RunSweep();
        QVERIFY(k.RunUntilCommands(4));
        QCOMPARE(k.receiver.tuned.mid(0, 4),
                 QList<QByteArray>({"145.5000A", "118.1000N", "145.5000N", "145.5000A"}));
    }

    // A list stops at the activity level, holds HANG= cycles of 1 s after the signal dropped,
    // never tunes a lockout, and looks at its priority channels every PRIORITY_EVERY= seconds,
    // between the others and during a hold, a busy one taking over.
    void channelScanStopsAndResumes_data() {
        AddRows<Scan>({
            {"dwell at the activity level only",
             3,
             5,
             2,
             {{'B', 0, 99, 5}, {'D', 0, 99, 4}},
             "A 0.000|B 0.185|C 3.370|D 3.555|A 3.740"},
            {"the floor and its margin",
             3,
             std::nullopt,
             2,
             {{'B', 0, 99, 9}, {'D', 0, 99, 2}},
             "A 0.000|B 0.185|C 3.370|D 3.555|A 3.740|B 3.925|C 7.110"},
            {"hold, then 2 s of hang",
             99,
             5,
             2,
             {{'B', 0, 3, 7}},
             "A 0.000|B 0.185|C 6.295|D 6.480"},
            {"hold, no hang", 99, 5, 0, {{'B', 0, 3, 7}}, "A 0.000|B 0.185|C 3.925|D 4.110"},
            {"continue ends the hang",
             99,
             5,
             30,
             {{'B', 0, 1, 7}},
             "A 0.000|B 0.185|C 3.925|D 4.110",
             "",
             "",
             3.0},
            {"a lockout is never tuned", 0, 5, 2, {}, "A 0.000|C 0.185|D 0.370|A 0.555", "", "B"},
            {"priority looked at during a dwell",
             3,
             5,
             2,
             {{'B', 0, 99, 7}},
             "A 0.000|B 0.185|A 1.000|B 1.185|A 2.000|B 2.185|A 3.000|B 3.185|C 3.925|A 4.110|D "
             "4.295",
             "A",
             "",
             -1,
             1},
            {"priority takes over a hold",
             99,
             5,
             0,
             {{'B', 0, 99, 7}, {'C', 2, 5, 8}},
             "A 0.000|B 0.185|C 2.555|D 5.295",
             "C"},
            {"priority takes over a dwell",
             5,
             5,
             0,
             {{'B', 0, 99, 7}, {'C', 2, 6, 8}},
             "A 0.000|B 0.185|C 2.000|D 7.370",
             "C"},
        });
    }
    void channelScanStopsAndResumes() {
        QFETCH(Scan, row);
        Core k(145.0, 1, row.pause);
        k.settings.activityLevel = row.activityLevel;
        k.settings.hangSeconds = row.hang;
        k.settings.priorityEverySeconds = row.priorityEvery;
        const QList<std::pair<char, long long>> channels = {
            {'A', 145500000}, {'B', 118100000}, {'C', 145600000}, {'D', 145700000}};
        nerimo::SweepPlan plan{{}, nerimo::kStepHz, true};
        for (const auto& [name, hertz] : channels) {
            plan.steps.push_back({hertz,
                                  name == 'B' ? std::optional(nerimo::Mode::Am) : std::nullopt,
                                  QString(QChar(name)), row.priority.contains(name)});
            if (row.lockedOut.contains(name)) {
                k.lockouts.Add(hertz);
            }
        }
        k.receiver.now = &k.scheduler.now;
        k.receiver.answer = [&](const QByteArray& last) {
            const double hertz = last.chopped(1).toDouble() * 1e6;
            for (const auto& [name, from, to, level] : row.busy) {
                const auto channel = std::find_if(channels.begin(), channels.end(),
                                                  [&](const auto& c) { return c.first == name; });
                if (std::llround(hertz) == channel->second && k.scheduler.now >= from &&
                    k.scheduler.now < to) {
                    return std::optional<int>(level);
                }
            }
            return std::optional<int>(1);
        };
        k.sweep.UsePlan(plan);
        k.sweep.RunSweep();
        const qsizetype count = row.expected.count('|') + 1;
        if (row.continueAt >= 0) {
            k.scheduler.RunUntil([&] { return k.scheduler.now >= row.continueAt; }, 60);
            k.sweep.RequestContinue();
        }
        // Each channel as it was tuned, a hold's tuning again of the same channel left out.
        QList<QByteArray> tuned;
        const auto transcript = [&] {
            tuned.clear();
            for (qsizetype i = 0; i < k.receiver.tuned.size(); ++i) {
                if (i > 0 && k.receiver.tuned[i] == k.receiver.tuned[i - 1]) {
                    continue;
                }
                const auto channel =
                    std::find_if(channels.begin(), channels.end(), [&](const auto& c) {
                        return k.receiver.tuned[i].startsWith(nerimo::FreqText(c.second));
                    });
                tuned << QByteArray(1, channel->first) + ' ' +
                             QByteArray::number(k.receiver.tunedAt[i], 'f', 3);
            }
            return tuned.size() >= count;
        };
        QVERIFY(k.scheduler.RunUntil(transcript, 60));
        QCOMPARE(tuned.join('|'), row.expected);
    }

    // A list's bars, changed step by step over passes (levels up and down, the mark moving,
    // channels sharing a column when there are more than columns), stand as bars drawn at once
    // from the same levels would: no pixel left behind.
    void channelBarsDrawnAsTheyStand_data() {
        QTest::addColumn<int>("channels");
        QTest::newRow("3, wide bars") << 3;
        QTest::newRow("30") << 30;
        QTest::newRow("1000, shared columns") << 1000;
    }
    void channelBarsDrawnAsTheyStand() {
        QFETCH(int, channels);
        nerimo::SweepPlan plan{{}, nerimo::kStepHz, true};
        for (int channel = 0; channel < channels; ++channel) {
            plan.steps.push_back({118000000 + channel * 25000LL, std::nullopt, "C", false});
        }
        const nerimo::SweepStart start{plan, QDateTime(), nerimo::Mode::Fm};
        nerimo::testing::FakeSurface surface;
        nerimo::ChannelBars bars(surface, 0);
        std::vector<int> last(size_t(channels), -1);
        int measured = 0;
        for (int pass = 0; pass < 3; ++pass) {
            bars.SweepBegan(start);
            // The last pass cut short: its later channels keep the levels of the one before.
            for (int channel = 0; channel < (pass == 2 ? channels / 2 : channels); ++channel) {
                const int level = (channel * 7 + pass * 5) % 17;
                bars.Measured(plan.HertzAt(channel), level, nerimo::Reply::Answered);
                last[size_t(channel)] = level;
                measured = channel;
            }
        }
        nerimo::testing::FakeSurface fresh;
        nerimo::ChannelBars once(fresh, 0);
        once.SweepBegan(start);
        for (int channel = 0; channel < channels; ++channel) {
            if (channel != measured) {
                once.Measured(plan.HertzAt(channel), last[size_t(channel)],
                              nerimo::Reply::Answered);
            }
        }
        once.Measured(plan.HertzAt(measured), last[size_t(measured)], nerimo::Reply::Answered);
        for (int y = 0; y < nerimo::kPlotHeight; ++y) {
            for (int x = 0; x < nerimo::kPlotWidth; ++x) {
                QVERIFY2(surface.PixelAt(x, y) == fresh.PixelAt(x, y),
                         qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
            }
        }
        QCOMPARE(bars.Level(measured), std::optional<int>(last[size_t(measured)]));
        QCOMPARE(bars.ChannelAtX(nerimo::kLastPointX), channels - 1);
        // Each channel of a wide bar named all along its bar.
        for (int channel = 0; channel < channels && channels <= 641; ++channel) {
            const auto [from, to] =
                std::pair(nerimo::kFirstPointX + channel * 641 / channels,
                          nerimo::kFirstPointX + (channel + 1) * 641 / channels - 1);
            QCOMPARE(bars.ChannelAtX(from), channel);
            QCOMPARE(bars.ChannelAtX(to), channel);
        }
        QCOMPARE(bars.ChannelAtX(nerimo::kFirstPointX - 1), std::nullopt);
    }

    // While the receiver is not there, or answers nothing, the status says "no receiver" instead
    // of "scan", from the step after it went, and "scan" again from the step after it came back;
    // a run started again while it is away says so from its first step.
    void statusFollowsTheReceiver() {
        Core k(145.0, 1);
        k.sweep.RunSweep();
        QVERIFY(k.RunUntilCommands(2));
        k.receiver.answering = false;
        QVERIFY(k.RunUntilCommands(4));
        k.receiver.answering = true;
        QVERIFY(k.RunUntilCommands(6));
        const QStringList calls = k.panel.calls.filter(QRegularExpression("^(MHz|status)"));
        QCOMPARE(calls.mid(1, 6), QStringList({"MHz 145.0125", "status no receiver", "MHz 145.0250",
                                               "MHz 145.0375", "status scan", "MHz 145.0500"}));
        k.receiver.answering = false;
        QVERIFY(k.RunUntilCommands(8));
        k.sweep.RequestStop();
        QVERIFY(k.scheduler.RunUntil([&] { return !k.sweep.Running(); }, 20));
        const qsizetype from = k.panel.calls.size();
        k.sweep.RunSweep();
        QVERIFY(k.RunUntilCommands(10));
        QCOMPARE(k.PanelStates(from), QStringList({"status no receiver"}));
    }

    void timedPauseOnASignal_data() {
        QTest::addColumn<int>("pause");
        QTest::newRow("1 s, the shortest") << 1;
        QTest::newRow("10 s, the longest") << 10;
    }
    void timedPauseOnASignal() {
        QFETCH(int, pause);
        Core k(145.0, 1, pause);
        k.SignalAt("145.0250N", 5);
        k.sweep.RunSweep();
        QVERIFY(k.RunUntilCommands(3));
        const double third = k.scheduler.now;
        const qsizetype from = k.panel.calls.size();
        QVERIFY(k.RunUntilCommands(4));
        QVERIFY(k.scheduler.now - third >= pause + 0.185);
        QCOMPARE(k.PanelStates(from), QStringList({"status pause", "status scan"}));
        QCOMPARE(k.plot.StepCount(), 3);  // plotted before the pause, once
    }

    // A hold re-reads without a new command until the signal goes or "continue" is taken; the
    // next signal of the run is held again.
    void holdEnds_data() {
        QTest::addColumn<int>("readsWithSignal");  // 0: for ever
        QTest::newRow("signal gone") << 3;
        QTest::newRow("continue") << 0;
    }
    void holdEnds() {
        QFETCH(int, readsWithSignal);
        Core k(145.0, 1, 99);
        int reads = 0;
        k.receiver.answer = [&](const QByteArray& last) {
            const bool signal =
                last == "145.0125N" && (++reads <= readsWithSignal || !readsWithSignal);
            return std::optional<int>(signal || last == "145.0375N" ? 7 : 0);
        };
        k.sweep.RunSweep();
        QVERIFY(k.RunUntilCommands(2));
        const qsizetype from = k.panel.calls.size();
        k.scheduler.RunFor(readsWithSignal ? 0 : 5);
        QCOMPARE(k.receiver.tuned.size(), 2);  // held: no command goes out
        if (!readsWithSignal) {
            k.sweep.RequestContinue();
        }
        QVERIFY(k.RunUntilCommands(3, 4));
        QCOMPARE(k.receiver.tuned[2], QByteArray("145.0250N"));
        if (readsWithSignal) {
            QCOMPARE(reads, 4);  // three reads with the signal, then one without
        }
        QCOMPARE(k.PanelStates(from),
                 QStringList({"status pause", "continue offered", "status scan", "continue gone"}));
        QCOMPARE(k.plot.StepCount(), 2);  // the held step was plotted once
        QVERIFY(k.RunUntilCommands(4));
        k.scheduler.RunFor(5);
        QCOMPARE(k.receiver.tuned.size(), 4);
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
        Core k(145.0, row.span, row.pause);
        k.SignalAt("145.0125N", 16);
        k.sweep.RunSweep();
        QVERIFY(k.RunUntilCommands(2));
        const double sent = k.scheduler.now;
        k.scheduler.RunFor(row.stopAfter);
        k.sweep.RequestStop();
        const qsizetype from = k.panel.calls.size();
        if (row.newSpan != 0) {
            k.panel.spanMHz = row.newSpan;
            k.plot.SetSpan(row.newSpan);
        }
        QVERIFY(k.scheduler.RunUntil([&] { return !k.sweep.Running(); }, 20));
        QVERIFY(k.scheduler.now - sent >= row.endsAfter - 1e-9);
        QCOMPARE(k.receiver.tuned.size(), 2);
        QCOMPARE(k.PanelStates(from), QStringList());  // no "scan" or "pause" after the stop
        QCOMPARE(k.plot.StepCount(), 0);
        QVERIFY(!k.scheduler.task);
    }

    void startWhileAStoppedRunFinishesBeginsAfresh() {
        Core k(145.0, 1, 10);
        k.receiver.answer = [](const QByteArray&) { return std::optional<int>(16); };
        k.sweep.RunSweep();
        QVERIFY(k.RunUntilCommands(3));
        k.scheduler.RunFor(1);
        k.sweep.RequestStop();
        k.sweep.RunSweep();  // the start button, while the old run waits out its pause
        QCOMPARE(k.receiver.tuned.value(3), QByteArray("145.0000N"));
        QVERIFY(k.scheduler.RunUntil([&] { return k.plot.StepCount() == 1; }, 1));
        QCOMPARE(k.surface.PixelAt(43, 3), kBlack);  // the new trace begins with a dot at x 44
        QCOMPARE(k.surface.PixelAt(44, 3), kGreen);
    }

    // Answers that come back after their run has ended change nothing: nothing more is read,
    // plotted or sent.
    void lateAnswersChangeNothing() {
        Core k(145.0, 1);
        k.receiver.later = true;
        k.receiver.answer = [](const QByteArray&) { return std::optional<int>(15); };
        k.sweep.RunSweep();
        k.receiver.Answer();  // tuned: the wait, then the read
        k.scheduler.RunFor(0.2);
        QCOMPARE(k.receiver.answers.size(), 1);  // the read's answer, on its way
        k.sweep.End();
        k.receiver.Answer();
        k.scheduler.RunFor(5);
        QCOMPARE(k.receiver.tuned.size(), 1);
        QCOMPARE(k.plot.StepCount(), 0);
        QCOMPARE(k.surface.PixelAt(44, 339 - 21 * 15), kBlack);
    }

    // With no receiver the sweep runs at its pace, shows every frequency and plots level 0.
    void noReceiverStillSweepsAtLevelZero() {
        Core k(145.0, 1);
        k.receiver.open = false;
        nerimo::testing::RecordingListener steps;
        k.sweep.Listen(steps);
        k.sweep.RunSweep();
        QVERIFY(k.scheduler.RunUntil([&] { return k.plot.StepCount() == 81; }, 100));
        QVERIFY(k.scheduler.now >= 81 * 0.185);
        QVERIFY(k.receiver.tuned.isEmpty());
        QCOMPARE(k.surface.PixelAt(684, 339), kGreen);
        QCOMPARE(k.panel.calls.filter("MHz ").size(), 81);
        QCOMPARE(steps.steps.value(80), qMakePair(0, nerimo::Reply::NoReceiver));
        // Back for the next sweep, which counts its own steps: measured, and so logged.
        k.receiver.open = true;
        QVERIFY(k.scheduler.RunUntil([&] { return steps.sweeps.size() == 2; }, 100));
        QVERIFY(!steps.sweeps[0].Measured());
        QCOMPARE(steps.sweeps[1].steps, 81);
        QVERIFY(steps.sweeps[1].Measured());
        // A wait of 0 or less goes on at once, without a turn of the event loop.
        bool done = false;
        nerimo::WaitSeconds(k.scheduler, 0, [&] { done = true; });
        QVERIFY(done);
    }
};

QTEST_GUILESS_MAIN(CoreTest)
#include "tst_core.moc"
