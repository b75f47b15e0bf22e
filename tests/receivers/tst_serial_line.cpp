#include "BandModel.h"
#include "CommandParser.h"
#include "CoreFakes.h"
#include "QtScheduler.h"
#include "QtSerialPort.h"
#include "Rig.h"
#include "SerialReceiver.h"
#include "Sweep.h"

using nerimo::sim::BandModel;
using nerimo::testing::Rig;

// The simulated receiver: how it reads the line and its band model; and the link and the sweep
// over a real serial port to it, a pseudo-terminal, in real time on the program's own timer.
class SerialLineTest : public QObject {
    Q_OBJECT

    // A panel that stamps every tuning, which comes right after its write, on the monotonic
    // clock, in a real event loop until the thirteenth: QTest's waits sleep between their turns
    // and would hold the program's timer back.
    struct StampingPanel : nerimo::testing::RecordingPanel {
        QElapsedTimer clock;
        QList<double> tuned;  // seconds
        QEventLoop loop;
        StampingPanel() { clock.start(); }
        void SetTunedText(const QString&) override {
            tuned << clock.nsecsElapsed() / 1e9;
            if (tuned.size() == 13) {
                loop.quit();
            }
        }
    };

    // The serial receiver on the real port, and the sweep on the program's own timer.
    struct Line {
        nerimo::Settings settings;
        nerimo::testing::FakeMessageBox messages;
        nerimo::testing::VirtualScheduler retry;
        nerimo::testing::FakeSurface surface;
        nerimo::Plot plot{surface, 0};
        nerimo::platform::QtSerialPort serial;
        nerimo::platform::QtScheduler timer;
        StampingPanel stamps;
        nerimo::SerialReceiver receiver{settings, serial, messages, retry};
        nerimo::Lockouts lockouts;
        nerimo::testing::FixedClock clock;
        nerimo::Sweep sweep{settings, lockouts, receiver, plot, stamps, timer, clock};

        explicit Line(const QString& device) {
            settings.device = device.toLocal8Bit();
            receiver.OpenPort([](const nerimo::OpenOutcome&) {});
        }
    };

  private slots:
    void picksCommandsFromTheLine_data() {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QList<QByteArray>>("commands");
        using L = QList<QByteArray>;
        // clang-format off
        QTest::newRow("no terminator") << L{"145.1250N2035.9875A"} << L{"145.1250N", "2035.9875A"};
        QTest::newRow("split across reads") << L{"14", "5.12", "50", "N"} << L{"145.1250N"};
        QTest::newRow("resync at a digit") << L{"\r\n12.3X145.1250N"} << L{"145.1250N"};
        QTest::newRow("three decimals") << L{"145.125N"} << L{};
        QTest::newRow("five decimals") << L{"145.12500N"} << L{};
        QTest::newRow("lower-case mode") << L{"145.1250n"} << L{};
        QTest::newRow("other mode") << L{"145.1250U145.1250A"} << L{"145.1250A"};
        QTest::newRow("long whole part") << L{"99999999.0000N0.1000N"} << L{"999.0000N", "0.1000N"};
        // clang-format on
    }
    void picksCommandsFromTheLine() {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QList<QByteArray>, commands);
        nerimo::sim::CommandParser parser;
        QList<QByteArray> seen;
        for (const QByteArray& chunk : chunks) {
            for (const nerimo::sim::Command& command : parser.Feed(chunk)) {
                seen << command.text;
                QCOMPARE(command.mhz, command.text.chopped(1).toDouble());
                QCOMPARE(command.mode, command.text.back());
            }
        }
        QCOMPARE(seen, commands);
    }

    // A floor of pseudo-random noise that reaches its level and stays under it, a signal that
    // comes and goes, and a file with a bad line refused, naming it.
    void noiseFloorAndBadFiles() {
        QString error;
        const auto band = BandModel::Parse("noise 2\n146 1 16 2.5\n147 1 9 -2.5\n", &error);
        QSet<int> seen;
        for (int step = 0; step < 200; ++step) {
            seen << band->LevelAt(145.0 + step * 0.0125, 0.0);
        }
        QCOMPARE(seen, (QSet<int>{0, 1, 2, 16}));  // 147 MHz is off at the start
        // The signal at 146 MHz comes and goes; the one at 147 MHz the other way round.
        QVERIFY(band->LevelAt(146, 3.0) <= 2);
        QVERIFY(band->LevelAt(147, 0.0) <= 2);
        QCOMPARE(band->LevelAt(147, 3.0), 9);
        for (const char* text : {"145.5 25 17\n", "145.5 25\n", "145.5 0 5\n", "noise 20\n"}) {
            QVERIFY2(!BandModel::Parse(QByteArray("\n") + text, &error), text);
            QVERIFY(error.startsWith(QStringLiteral("line 2")));
        }
    }
    // A receiver that sends faster than the program reads: only the newest bytes are kept.
    void floodKeepsOnlyTheNewest() {
        Rig rig(QDir::tempPath());
        rig.StartReceiver("145.0 12.5 9\n", {"--flood", "2000000"});
        Line line(rig.Path("receiver"));
        QTest::qWait(1000);
        const std::optional<QByteArray> read = line.serial.ReadAll();
        QVERIFY(read);
        qInfo("%lld bytes kept from a second of flood", qlonglong(read->size()));
        QVERIFY(read->size() > 0 && read->size() < 256 * 1024);
    }

    // The first steps of a sweep at the pace of the program's own timer: no step shorter than
    // 0.185 s, and the signal on the plot.
    void realSweepKeepsItsPace() {
        Rig rig(QDir::tempPath());
        rig.StartReceiver("145.1 12.5 10\n");
        Line line(rig.Path("receiver"));
        line.sweep.RunSweep();
        QTimer::singleShot(10000, &line.stamps.loop, &QEventLoop::quit);
        line.stamps.loop.exec();
        QCOMPARE(line.stamps.tuned.size(), 13);
        line.sweep.RequestStop();
        QTRY_VERIFY_WITH_TIMEOUT(!line.sweep.Running(), 2000);
        QList<double> periods;
        for (qsizetype i = 1; i < line.stamps.tuned.size(); ++i) {
            periods << line.stamps.tuned[i] - line.stamps.tuned[i - 1];
        }
        std::sort(periods.begin(), periods.end());
        qInfo("shortest step: %.4f s", periods.first());
        QVERIFY2(periods.first() >= 0.185, "a step shorter than 0.185 s");
        QCOMPARE(line.surface.PixelAt(8 * 9 + 36, 339 - 21 * 10), qRgb(0, 255, 0));
    }
};

QTEST_GUILESS_MAIN(SerialLineTest)
#include "tst_serial_line.moc"
