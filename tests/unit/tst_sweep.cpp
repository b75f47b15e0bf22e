#include <QtTest>

#include "Fakes.h"
#include "Plot.h"
#include "ReceiverLink.h"
#include "SurfaceWidget.h"
#include "Sweep.h"

using nerimo::State;
using nerimo::testing::FakeMessageBox;
using nerimo::testing::FakeSerialPort;
using nerimo::testing::RecordingPanel;
using nerimo::testing::VirtualScheduler;

// The sweep in virtual time, against a receiver in memory.
class SweepTest : public QObject {
    Q_OBJECT

    State state_;
    FakeSerialPort port_;
    FakeMessageBox messages_;
    RecordingPanel panel_;
    VirtualScheduler scheduler_;
    std::unique_ptr<nerimo::platform::SurfaceWidget> surface_;
    std::unique_ptr<nerimo::ReceiverLink> link_;
    std::unique_ptr<nerimo::Plot> plot_;
    std::unique_ptr<nerimo::Sweep> sweep_;
    QList<double> sentAt_;  // virtual time of every command

    void Setup(double start, int span, int pause = 0) {
        state_ = State{};
        state_.ModeLetter = "N";
        state_.StartMHz = start;
        state_.SpanMHz = int16_t(span);
        state_.EndMHz = start + span;
        state_.PauseSeconds = int16_t(pause);
        state_.PlotHeight = 350;
        state_.BottomMargin = 11;
        state_.LeftMargin = 36;
        port_ = FakeSerialPort{};
        port_.open = true;
        panel_ = RecordingPanel{};
        panel_.selectedMode = 1;
        panel_.selectedSpan = span == 1 ? 3 : 4;
        scheduler_ = VirtualScheduler{};
        sentAt_.clear();
        surface_ = std::make_unique<nerimo::platform::SurfaceWidget>(nullptr, qRgb(0, 0, 0));
        surface_->SetPixelSize(720, 350);
        link_ = std::make_unique<nerimo::ReceiverLink>(state_, port_, messages_);
        plot_ = std::make_unique<nerimo::Plot>(state_, *surface_, panel_);
        sweep_ = std::make_unique<nerimo::Sweep>(state_, *link_, *plot_, panel_, scheduler_);
    }

    // A receiver with a signal of the given letter at one frequency only.
    void SignalAt(const QByteArray& command, char letter) {
        port_.answer = [command, letter](const QByteArray& last) {
            return last == command ? QByteArray(1, letter) : QByteArray();
        };
    }

    // The stop button, as far as the sweep sees it.
    void Stop() {
        state_.StopRequested = 1;
        panel_.ClearStatus();
        panel_.SetContinueOffered(false);
    }

    bool RunUntilCommands(int count, double limit = 100000) {
        return scheduler_.RunUntil([&] { return port_.written.size() >= count; }, limit);
    }

    QStringList StatusCallsSince(int from) const {
        QStringList calls;
        for (int i = from; i < panel_.calls.size(); ++i) {
            if (panel_.calls[i].startsWith(QStringLiteral("SetStatus")) ||
                panel_.calls[i].startsWith(QStringLiteral("SetContinue"))) {
                calls << panel_.calls[i];
            }
        }
        return calls;
    }

  private slots:
    void sweepsFromStartToEnd_data() {
        QTest::addColumn<double>("start");
        QTest::addColumn<int>("span");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QByteArray>("last");
        QTest::newRow("145, 1 MHz") << 145.0 << 1 << 81 << QByteArray("146.0000N");
        QTest::newRow("100, 1 MHz") << 100.0 << 1 << 80 << QByteArray("100.9875N");
        QTest::newRow("145, 8 MHz") << 145.0 << 8 << 641 << QByteArray("153.0000N");
        QTest::newRow("100, 8 MHz") << 100.0 << 8 << 640 << QByteArray("107.9875N");
    }

    void sweepsFromStartToEnd() {
        QFETCH(double, start);
        QFETCH(int, span);
        QFETCH(int, steps);
        QFETCH(QByteArray, last);
        Setup(start, span);
        sweep_->RunSweep();
        QVERIFY(RunUntilCommands(steps + 1));
        QCOMPARE(port_.written[steps - 1], last);
        // The next sweep starts at once, from the start again, its trace afresh.
        QCOMPARE(port_.written[steps], QByteArray::number(start, 'f', 4) + "N");
        QCOMPARE(port_.written[1], QByteArray::number(start + 0.0125, 'f', 4) + "N");
        QCOMPARE(int(state_.PixelsPerStep), span == 1 ? 8 : 1);
        QCOMPARE(panel_.calls.filter(QStringLiteral("SetTunedText")).value(0),
                 QStringLiteral("SetTunedText MHz ") + QString::number(start, 'f', 4));
    }

    void everyStepWaitsForTheReceiver() {
        Setup(145.0, 1);
        port_.answer = [](const QByteArray&) { return QByteArray("C"); };
        QList<double> times;
        sweep_->RunSweep();
        for (int i = 1; i <= 5; ++i) {
            QVERIFY(RunUntilCommands(i));
            times << scheduler_.now;
        }
        for (int i = 1; i < times.size(); ++i) {
            QVERIFY(times[i] - times[i - 1] >= 0.185 - 1e-9);
        }
        QCOMPARE(int(state_.SignalLevel), 3);
    }

    void timedPauseOnASignal() {
        Setup(145.0, 1, 5);
        SignalAt("145.0250N", 'E');
        sweep_->RunSweep();
        QVERIFY(RunUntilCommands(3));
        const double third = scheduler_.now;
        const int callsBefore = panel_.calls.size();
        QVERIFY(RunUntilCommands(4));
        QVERIFY(scheduler_.now - third >= 5.185);
        QCOMPARE(StatusCallsSince(callsBefore),
                 QStringList({"SetStatus #ff0000 pause", "SetStatus #00ff00 scan"}));
        QCOMPARE(int(state_.StepCount), 3);  // plotted before the pause, once
    }

    void holdEndsWhenTheSignalGoes() {
        Setup(145.0, 1, 99);
        int reads = 0;
        port_.answer = [&reads](const QByteArray& last) {
            return last == "145.0125N" && ++reads <= 3 ? QByteArray("G") : QByteArray();
        };
        sweep_->RunSweep();
        QVERIFY(RunUntilCommands(2));
        const int callsBefore = panel_.calls.size();
        QVERIFY(RunUntilCommands(3));
        QCOMPARE(port_.written.value(2), QByteArray("145.0250N"));  // not sent again in the hold
        QCOMPARE(reads, 4);  // three reads with the signal, the fourth without
        QCOMPARE(StatusCallsSince(callsBefore),
                 QStringList({"SetStatus #ff0000 pause", "SetContinueOffered 1",
                              "SetStatus #00ff00 scan", "SetContinueOffered 0"}));
        QCOMPARE(int(state_.StepCount), 2);  // the held step was plotted once
    }

    void holdEndsWithContinue() {
        Setup(145.0, 1, 99);
        SignalAt("145.0125N", 'G');
        sweep_->RunSweep();
        QVERIFY(RunUntilCommands(2));
        scheduler_.RunUntil(scheduler_.now + 5);
        QCOMPARE(port_.written.size(), 2);  // still holding
        state_.ContinueRequested = 1;
        QVERIFY(RunUntilCommands(3, 1.5));  // taken at the end of the current cycle
        QCOMPARE(int(state_.ContinueRequested), 0);
        QCOMPARE(panel_.calls.filter(QStringLiteral("SetContinueOffered")).last(),
                 QStringLiteral("SetContinueOffered 0"));
    }

    void holdEndsWithStop() {
        Setup(145.0, 1, 99);
        SignalAt("145.0125N", 'G');
        sweep_->RunSweep();
        QVERIFY(RunUntilCommands(2));
        scheduler_.RunUntil(scheduler_.now + 3);
        const int callsBefore = panel_.calls.size();
        Stop();
        QVERIFY(scheduler_.RunUntil([&] { return !sweep_->Running(); }, 2.0));
        QCOMPARE(port_.written.size(), 2);
        QCOMPARE(StatusCallsSince(callsBefore + 2), QStringList{});  // no "scan" after the stop
        QCOMPARE(int(state_.StepCount), 0);
    }

    void stopDuringATimedPauseEndsTheRunAfterIt() {
        Setup(145.0, 1, 10);
        SignalAt("145.0125N", 'P');
        sweep_->RunSweep();
        QVERIFY(RunUntilCommands(2));
        scheduler_.RunUntil(scheduler_.now + 1.2);  // 1 s into the pause
        const double stoppedAt = scheduler_.now;
        const int callsBefore = panel_.calls.size();
        Stop();
        QVERIFY(scheduler_.RunUntil([&] { return !sweep_->Running(); }, 20.0));
        QVERIFY(scheduler_.now - stoppedAt >= 8.9);
        QCOMPARE(port_.written.size(), 2);
        QCOMPARE(StatusCallsSince(callsBefore + 2), QStringList{});
    }

    // A stop before the read of a step with a signal: the status stays as the stop left it.
    void stopBeforeTheReadLeavesNoRedPause() {
        Setup(145.0, 1, 5);
        SignalAt("145.0125N", 'P');
        sweep_->RunSweep();
        QVERIFY(RunUntilCommands(2));
        const int callsBefore = panel_.calls.size();
        Stop();
        QVERIFY(scheduler_.RunUntil([&] { return !sweep_->Running(); }, 20.0));
        QCOMPARE(StatusCallsSince(callsBefore + 2), QStringList{});
        QCOMPARE(port_.written.size(), 2);
    }

    void startWhileAStoppedRunFinishesBeginsAfresh() {
        Setup(145.0, 1, 10);
        port_.answer = [](const QByteArray&) { return QByteArray("P"); };
        sweep_->RunSweep();
        QVERIFY(RunUntilCommands(3));
        scheduler_.RunUntil(scheduler_.now + 1);
        Stop();
        state_.StopRequested = 0;  // the start button, while the old run waits out its pause
        sweep_->RunSweep();
        QCOMPARE(int(state_.StepCount), 0);
        QCOMPARE(int(state_.PrevX), 0);
        QCOMPARE(port_.written.value(3), QByteArray("145.0000N"));
        QVERIFY(scheduler_.RunUntil([&] { return state_.StepCount == 1; }, 1.0));
        QCOMPARE(int(state_.PrevX), 44);  // the new trace begins with a dot at x 44
        QCOMPARE(int(state_.PlotX), 44);
    }

    void noPortStillSweepsAtLevelZero() {
        Setup(145.0, 1);
        port_.open = false;
        sweep_->RunSweep();
        QVERIFY(scheduler_.RunUntil([&] { return state_.StepCount == 81; }, 100));
        QVERIFY(scheduler_.now >= 81 * 0.185);
        QVERIFY(port_.written.isEmpty());
        QCOMPARE(surface_->PixelAt(684, 339), qRgb(0, 255, 0));
        QCOMPARE(panel_.calls.filter(QStringLiteral("SetTunedText")).size(), 81);
    }
};

QTEST_MAIN(SweepTest)
#include "tst_sweep.moc"
