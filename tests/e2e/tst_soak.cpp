#include "Desktop.h"

using namespace nerimo::testing;

// A long run for the sanitizer build: 2,000 steps and more of 8 MHz sweeps on the simulated
// receiver, then a close by the close button, so the leak check runs on a normal exit.
class SoakTest : public DesktopTest {
    Q_OBJECT

    static constexpr int kStepsPerSweep = 641;
    static constexpr int kSteps = 2000;

  private slots:
    void initTestCase() { QVERIFY(session_.isValid()); }

    void thousandsOfStepsLeaveMemoryFlat() {
        Rig rig;
        // A few dwells of a second a sweep, one signal coming and going.
        Start(rig, Settings("SPAN=8\nPAUSE=1\n"), "145.3 25 9 6\n150.2 12.5 14\n");
        ClickAt(rig, kStartStop);
        QVERIFY(QTest::qWaitFor([&] { return rig.Log().size() > kStepsPerSweep; }, 300000));
        const std::optional<double> afterFirstSweep = rig.StatusKiB("VmRSS");
        QVERIFY(QTest::qWaitFor([&] { return rig.Log().size() >= kSteps; }, 900000));
        const std::optional<double> atTheEnd = rig.StatusKiB("VmRSS");
        const std::optional<double> peak = rig.StatusKiB("VmHWM");
        QVERIFY(afterFirstSweep && atTheEnd && peak);
        qInfo(
            "resident memory: %.0f KiB after the first sweep, %.0f KiB after %lld steps, "
            "peak %.0f KiB",
            *afterFirstSweep, *atTheEnd, qlonglong(rig.Log().size()), *peak);
        QVERIFY2(*atTheEnd - *afterFirstSweep < 4 * 1024, "resident memory grew");

        const QList<Command> log = rig.Log();
        for (qsizetype i = 0; i < log.size(); ++i) {
            QCOMPARE(log[i].text, SweepCommand(int(i % kStepsPerSweep)));
        }

        ClickAt(rig, kClose);
        CheckCleanEnd(rig.program);
    }
};

NERIMO_DESKTOP_TEST_MAIN(SoakTest)
#include "tst_soak.moc"
