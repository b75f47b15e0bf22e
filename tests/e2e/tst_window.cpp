#include "Desktop.h"

using namespace nerimo::testing;

// The program as a user meets it: start, stop, pause, hold, click-to-tune, the options, a second
// copy, the close button and a missing device.
class WindowTest : public DesktopTest {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY(session_.isValid());
        QVERIFY(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty());
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
        const QPoint peak = StepPoint(8, 12);
        QCOMPARE(shot.pixelColor(peak), kGreen);
        QCOMPARE(shot.pixelColor(StepPoint(4, 0)), kGreen);
        QCOMPARE(shot.pixelColor(StepPoint(4, 12)), kGridGrey);
        QCOMPARE(shot.pixelColor(StepPoint(30, 0)), kGridGrey);  // not yet
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
        QCOMPARE(shot.pixelColor(StepPoint(4, 12)), kGridGrey);
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
        DiesWithTest(second);
        second.start(rig.Path("nerimo"), QStringList());
        CheckCleanEnd(second);
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
        QVERIFY(QTest::qWaitFor([&] { return Windows().isEmpty(); }, 1000));  // not after the pause
        CheckCleanEnd(rig.program);
        QTest::qWait(500);
        QCOMPARE(rig.Log().size(), 3);
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
        QCOMPARE(shot.pixelColor(StepPoint(3, 0)), kGreen);
        QCOMPARE(shot.pixelColor(kPlot + QPoint(44 + 8 * 3, LevelY(0) - 1)), kBlack);
        QVERIFY(CountColour(shot, kStartStopFace, kRed) > 200);
        ClickAt(rig, kStartStop);
        ClickAt(rig, kClose);
        QVERIFY(rig.program.waitForFinished(2000));
        errors += rig.program.readAllStandardError();
        QCOMPARE(errors.count("Nerimo:"), 1);  // one message only
    }
};

NERIMO_DESKTOP_TEST_MAIN(WindowTest)
#include "tst_window.moc"
