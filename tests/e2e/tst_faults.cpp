#include <QElapsedTimer>
#include <QThread>

#include "Desktop.h"

using namespace nerimo::testing;

// The real program against receivers and adapters that misbehave: one unplugged mid-sweep, one
// that floods the line, one that says nothing, one that says only CR LF.
class FaultsTest : public DesktopTest {
    Q_OBJECT

    // How long the stop button takes to show on the panel as idle, in seconds.
    double StopTakesEffect(const Rig& rig) {
        ClickAt(rig, kStartStop);
        QElapsedTimer clock;
        clock.start();
        while (!StartShown(rig) && clock.elapsed() < 5000) {
            QThread::usleep(500);
        }
        return clock.nsecsElapsed() / 1e9;
    }

    // Processor share of one core over a while, in percent.
    static double ProcessorShare(const Rig& rig, double seconds) {
        const std::optional<double> before = rig.ProcessorSeconds();
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(int(seconds * 1000));
        const std::optional<double> after = rig.ProcessorSeconds();
        return before && after ? 100 * (*after - *before) / (clock.nsecsElapsed() / 1e9) : 100;
    }

    // The program ends by its close button, with no message and no sanitizer report.
    void CloseCleanly(Rig& rig) {
        ClickAt(rig, kClose);
        CheckCleanEnd(rig.program);
    }

  private slots:
    void initTestCase() { QVERIFY(session_.isValid()); }

    // The simulator answers the step with the signal, then closes its end at the next command.
    void adapterUnpluggedAfterASignal() {
        Rig rig;
        Start(rig, Settings(), "145.1 1 12\n", {QStringLiteral("--hangup-after"), "9"});
        ClickAt(rig, kStartStop);
        QVERIFY(WaitForCommand(rig, SweepCommand(8), 3000));
        QTest::qWait(3000);  // some ten steps on a dead line

        const QImage shot = Shot(rig);
        QCOMPARE(shot.pixelColor(StepPoint(8, 12)), kGreen);
        for (int step = 10; step <= 18; ++step) {
            QCOMPARE(shot.pixelColor(StepPoint(step, 0)), kGreen);  // level 0, not the last letter
            QVERIFY(shot.pixelColor(StepPoint(step, 12)) != kGreen);
        }
        QVERIFY(CountColour(shot, kStartStopFace, kRed) > 200);  // the sweep goes on
        QCOMPARE(rig.Log().size(), 10);  // nothing reached the receiver after the unplug
        const double share = ProcessorShare(rig, 2);
        qInfo("dead line: %.3f %% of a core", share);
        QVERIFY2(share < 5, qPrintable(QStringLiteral("%1 % of a core").arg(share)));

        QVERIFY(StopTakesEffect(rig) < 1);
        CloseCleanly(rig);
    }

    // 200 kB/s of random bytes for 30 s, each burst ending with the level of the tuned frequency.
    void floodingReceiver() {
        Rig rig;
        // Not cleared at the start of a sweep, so the whole first sweep stays to be looked at.
        Start(rig, Settings("CLEAR_SCREEN=0\n"), "145.1 1 12\n",
              {QStringLiteral("--flood"), "200000"});
        ClickAt(rig, kStartStop);
        QVERIFY(WaitForCommand(rig, SweepCommand(2), 3000));
        QTest::qWait(2000);
        const std::optional<double> early = rig.StatusKiB("VmRSS");
        QVERIFY(WaitForCommand(rig, SweepCommand(80), 20000));  // the first sweep is whole
        const QImage shot = Shot(rig);
        QCOMPARE(shot.pixelColor(StepPoint(8, 12)), kGreen);  // decoded from the last letter
        for (int step : {2, 3, 4, 5, 12, 40, 70}) {
            QCOMPARE(shot.pixelColor(StepPoint(step, 0)), kGreen);  // junk, then CR LF: level 0
        }
        QTest::qWait(13000);  // 30 s of flood in all
        const std::optional<double> late = rig.StatusKiB("VmRSS");
        QVERIFY(early && late);
        QVERIFY2(*late - *early < 10 * 1024,
                 qPrintable(QStringLiteral("%1 KiB, then %2 KiB").arg(*early).arg(*late)));

        const double stop = StopTakesEffect(rig);
        qInfo(
            "flood: resident memory %.0f KiB after 2 s, %.0f KiB after 27 s; stop shown in "
            "%.3f s",
            *early, *late, stop);
        QVERIFY2(stop < 0.1, qPrintable(QStringLiteral("the stop took %1 s").arg(stop)));
        CheckPace(rig.Log());
        CloseCleanly(rig);
    }

    void quietReceivers_data() {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("silent") << QStringList();
        QTest::newRow("only CR LF") << QStringList{QStringLiteral("--crlf-at-zero")};
    }
    void quietReceivers() {
        QFETCH(QStringList, options);
        Rig rig;
        Start(rig, Settings(), "# no signals\n", options);
        ClickAt(rig, kStartStop);
        QVERIFY(WaitForCommand(rig, SweepCommand(10), 4000));
        const QImage shot = Shot(rig);
        for (int step = 0; step <= 9; ++step) {
            QCOMPARE(shot.pixelColor(StepPoint(step, 0)), kGreen);
        }
        QVERIFY(StopTakesEffect(rig) < 1);
        CheckPace(rig.Log());
        CloseCleanly(rig);
    }
};

NERIMO_DESKTOP_TEST_MAIN(FaultsTest)
#include "tst_faults.moc"
