#include <QtTest>
#include <algorithm>

#include "Fakes.h"
#include "Plot.h"
#include "QtScheduler.h"
#include "QtSerialPort.h"
#include "ReceiverLink.h"
#include "SurfaceWidget.h"
#include "Sweep.h"

using nerimo::State;

// One real 1 MHz sweep, in real time, over a pseudo-terminal to the simulated receiver.
// The real port, with the moment of every write taken on the monotonic clock in the program
// itself, so the pace is measured without the receiver's own wake-up delays.
class TimedPort : public nerimo::platform::SerialPort {
  public:
    nerimo::platform::QtSerialPort port;
    QElapsedTimer clock;
    QList<double> writes;  // seconds

    TimedPort() { clock.start(); }
    void SetPortName(const QString& name) override { port.SetPortName(name); }
    void SetLineSettings() override { port.SetLineSettings(); }
    void SetHardwareFlowControl() override { port.SetHardwareFlowControl(); }
    void SetRequestToSend(bool raised) override { port.SetRequestToSend(raised); }
    void SetDataTerminalReady(bool raised) override { port.SetDataTerminalReady(raised); }
    nerimo::platform::OpenResult Open() override { return port.Open(); }
    void Close() override { port.Close(); }
    bool Write(const QByteArray& bytes) override {
        writes << clock.nsecsElapsed() / 1e9;
        return port.Write(bytes);
    }
    std::optional<QByteArray> ReadAll() override { return port.ReadAll(); }
    void OnDied(std::function<void()> handler) override { port.OnDied(std::move(handler)); }
};

class SweepOverPtyTest : public QObject {
    Q_OBJECT

  private slots:
    void realSweepKeepsItsPace() {
        QTemporaryDir dir;
        QFile band(dir.filePath(QStringLiteral("band.txt")));
        QVERIFY(band.open(QIODevice::WriteOnly));
        band.write("145.5 12.5 10\n");
        band.close();
        const QString link = dir.filePath(QStringLiteral("tty"));
        const QString logPath = dir.filePath(QStringLiteral("log"));
        QProcess simulator;
        simulator.start(QStringLiteral(NERIMO_SIMULATOR),
                        {QStringLiteral("--link"), link, QStringLiteral("--band"), band.fileName(),
                         QStringLiteral("--log"), logPath});
        QVERIFY(simulator.waitForReadyRead(10000));

        State state;
        state.DevicePath = link.toLocal8Bit();
        state.StartMHz = 145.0;
        state.SpanMHz = 1;
        state.EndMHz = 146.0;
        state.PlotHeight = 350;
        state.BottomMargin = 11;
        state.LeftMargin = 36;
        TimedPort port;
        nerimo::platform::QtScheduler scheduler;
        nerimo::testing::FakeMessageBox messages;
        nerimo::testing::RecordingPanel panel;
        panel.selectedMode = 1;
        panel.selectedSpan = 3;
        nerimo::platform::SurfaceWidget surface(nullptr, qRgb(0, 0, 0));
        surface.SetPixelSize(720, 350);
        nerimo::ReceiverLink receiver(state, port, messages);
        nerimo::Plot plot(state, surface, panel);
        nerimo::Sweep sweep(state, receiver, plot, panel, scheduler);
        receiver.OpenPort();
        QVERIFY(messages.shown.isEmpty());

        sweep.RunSweep();
        QFile log(logPath);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QList<QByteArray> lines;
        // A real event loop while the sweep runs: QTest's waits sleep between their turns and
        // would hold the sweep's timers back.
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            lines += log.readAll().split('\n');
            lines.removeAll(QByteArray());
            if (lines.size() >= 82) {
                loop.quit();
            }
        });
        poll.start(50);
        QTimer::singleShot(40000, &loop, &QEventLoop::quit);
        loop.exec();
        QVERIFY(lines.size() >= 82);
        state.StopRequested = 1;
        QTRY_VERIFY_WITH_TIMEOUT(!sweep.Running(), 2000);

        QList<QByteArray> commands;
        for (const QByteArray& line : lines) {
            commands << line.split(' ').value(1);
        }
        QCOMPARE(commands.first(), QByteArray("145.0000N"));
        QCOMPARE(commands.value(80), QByteArray("146.0000N"));
        QCOMPARE(commands.value(81), QByteArray("145.0000N"));
        QList<double> periods;
        for (int i = 1; i < port.writes.size(); ++i) {
            periods << port.writes[i] - port.writes[i - 1];
        }
        std::sort(periods.begin(), periods.end());
        qInfo("step period over %lld steps: min %.4f s, median %.4f s, max %.4f s",
              qlonglong(periods.size()), periods.first(), periods[periods.size() / 2],
              periods.last());
        QVERIFY2(periods.first() >= 0.185, "a step shorter than 0.185 s");
        // The signal at 145.5 MHz, step 41, stands at level 10 on the plot.
        QCOMPARE(surface.PixelAt(8 * 41 + 36, 339 - 21 * 10), qRgb(0, 255, 0));
        simulator.kill();
        simulator.waitForFinished(5000);
    }
};

QTEST_MAIN(SweepOverPtyTest)
#include "tst_sweep_pty.moc"
