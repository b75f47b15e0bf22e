#include <sys/resource.h>
#include <QtTest>

#include "Fakes.h"
#include "QtScheduler.h"
#include "QtSerialPort.h"
#include "ReceiverLink.h"
#include "WaitSeconds.h"

using nerimo::ReceiverLink;
using nerimo::State;
using nerimo::testing::FakeMessageBox;

// The link over a real pseudo-terminal, with the simulated receiver on the other end.
class LinkOverPtyTest : public QObject {
    Q_OBJECT

    // The program's side of the line, opened on a device.
    struct Line {
        State state;
        nerimo::platform::QtSerialPort port;
        nerimo::platform::QtScheduler scheduler;
        FakeMessageBox messages;
        ReceiverLink link{state, port, messages};

        explicit Line(const QString& device) {
            state.ModeLetter = "N";
            state.DevicePath = device.toLocal8Bit();
            link.OpenPort();
        }
    };

    QTemporaryDir dir_;
    QProcess simulator_;

    QString Path(const char* name) const { return dir_.filePath(QLatin1String(name)); }

    void StartSimulator(const QByteArray& band) {
        QFile file(Path("band.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(band);
        file.close();
        simulator_.start(QStringLiteral(NERIMO_SIMULATOR),
                         {QStringLiteral("--link"), Path("tty"), QStringLiteral("--band"),
                          Path("band.txt"), QStringLiteral("--log"), Path("log")});
        QVERIFY(simulator_.waitForReadyRead(10000));  // it prints the link once it is there
        QVERIFY(QFileInfo(Path("tty")).isSymLink());
    }

    // Waits on the program's own scheduler, with the event loop running.
    static qint64 WaitMs(nerimo::platform::Scheduler& scheduler, double seconds) {
        QElapsedTimer clock;
        clock.start();
        QEventLoop loop;
        nerimo::WaitSeconds(scheduler, seconds, [&loop] { loop.quit(); });
        loop.exec();
        return clock.elapsed();
    }

    static double ProcessorSeconds() {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }

  private slots:
    void cleanup() {
        simulator_.kill();
        simulator_.waitForFinished(5000);
    }

    void tunesAndReadsTheBandModel() {
        StartSimulator("145.125 12.5 11\n");
        Line line(Path("tty"));
        auto& [state, port, scheduler, messages, link] = line;
        QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.shown.join(' ')));
        link.StartRun();
        link.DiscardInput();

        const QList<QPair<double, int>> steps = {{145.125, 11}, {146.0, 0}, {145.125, 11}};
        for (const auto& [mhz, level] : steps) {
            link.FormatFreqText(mhz);
            QVERIFY(link.SendTuneCommand());
            QVERIFY(WaitMs(scheduler, 0.185) >= 185);
            link.ReadLevel();
            QCOMPARE(int(state.SignalLevel), level);
        }

        QFile log(Path("log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QList<QByteArray> commands;
        for (const QByteArray& line : log.readAll().split('\n')) {
            if (!line.isEmpty()) {
                commands << line.split(' ').value(1);
            }
        }
        QCOMPARE(commands, (QList<QByteArray>{"145.1250N", "146.0000N", "145.1250N"}));
    }

    void missingDeviceIsAnOrdinaryOpenFailure() {
        State state;
        state.DevicePath = Path("no-such-tty").toLocal8Bit();
        nerimo::platform::QtSerialPort port;
        FakeMessageBox messages;
        ReceiverLink link(state, port, messages);
        link.OpenPort();
        QCOMPARE(messages.shown.size(), 1);
        const QStringList lines = messages.shown[0].split(QStringLiteral("\r\n"));
        QCOMPARE(lines.value(0), Path("no-such-tty"));
        QVERIFY2(!lines.value(1).isEmpty(), qPrintable(messages.shown[0]));
        link.FormatFreqText(145.0);
        QVERIFY(!link.SendTuneCommand());
    }

    void receiverGoneMidExchangeFailsQuietly() {
        StartSimulator("145.0 12.5 9\n");
        Line line(Path("tty"));
        auto& [state, port, scheduler, messages, link] = line;
        link.StartRun();
        link.FormatFreqText(145.0);
        QVERIFY(link.SendTuneCommand());
        WaitMs(scheduler, 0.185);
        link.ReadLevel();
        QCOMPARE(int(state.SignalLevel), 9);

        simulator_.kill();  // the far side of the line goes away
        QVERIFY(simulator_.waitForFinished(5000));
        link.SendTuneCommand();
        WaitMs(scheduler, 0.3);

        // The first error closed the port: no error loop keeps the processor busy.
        const double before = ProcessorSeconds();
        WaitMs(scheduler, 1.0);
        QVERIFY2(ProcessorSeconds() - before < 0.3, "the dead port keeps the processor busy");

        QVERIFY(!link.SendTuneCommand());
        link.ReadLevel();
        QCOMPARE(int(state.SignalLevel), 0);  // not the 9 read before the line went
    }

    void schedulerNeverFiresEarly() {
        nerimo::platform::QtScheduler scheduler;
        for (const double seconds : {0.001, 0.0125, 0.185}) {
            QVERIFY(WaitMs(scheduler, seconds) >= qint64(seconds * 1000));
        }
        bool fired = false;
        scheduler.After(0.01, [&fired] { fired = true; });
        scheduler.Cancel();
        QTest::qWait(50);
        QVERIFY(!fired);
    }
};

QTEST_GUILESS_MAIN(LinkOverPtyTest)
#include "tst_link_pty.moc"
