#include <QtTest>

#include "BandModel.h"
#include "CommandParser.h"

using nerimo::sim::BandModel;
using nerimo::sim::CommandParser;

class ReceiverSimTest : public QObject {
    Q_OBJECT

  private slots:
    void picksCommandsFromTheLine_data() {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QList<QByteArray>>("commands");
        using L = QList<QByteArray>;
        QTest::newRow("one") << L{"145.1250N"} << L{"145.1250N"};
        QTest::newRow("no terminator between")
            << L{"145.1250N145.1375A"} << L{"145.1250N", "145.1375A"};
        QTest::newRow("split across reads") << L{"14", "5.12", "50", "N"} << L{"145.1250N"};
        QTest::newRow("garbage before") << L{"\r\nxx?145.1250N"} << L{"145.1250N"};
        QTest::newRow("resync at a digit") << L{"12.3X145.1250N"} << L{"145.1250N"};
        QTest::newRow("three decimals") << L{"145.125N"} << L{};
        QTest::newRow("five decimals") << L{"145.12500N"} << L{};
        QTest::newRow("lower-case mode") << L{"145.1250n"} << L{};
        QTest::newRow("other mode") << L{"145.1250U145.1250A"} << L{"145.1250A"};
        QTest::newRow("no point") << L{"1451250N"} << L{};
        QTest::newRow("binary") << L{QByteArray("\x00\xff\x80.N", 5)} << L{};
        QTest::newRow("long whole part resyncs")
            << L{"99999999.0000N0.1000N"} << L{"999.0000N", "0.1000N"};
    }

    void picksCommandsFromTheLine() {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QList<QByteArray>, commands);
        CommandParser parser;
        QList<QByteArray> seen;
        for (const QByteArray& chunk : chunks) {
            for (const auto& command : parser.Feed(chunk)) {
                seen << command.text;
            }
        }
        QCOMPARE(seen, commands);
    }

    void commandCarriesFrequencyAndMode() {
        CommandParser parser;
        const auto commands = parser.Feed("2035.9875A");
        QCOMPARE(commands.size(), 1);
        QCOMPARE(commands[0].mhz, 2035.9875);
        QCOMPARE(commands[0].mode, 'A');
    }

    void bandModelLevels_data() {
        QTest::addColumn<double>("mhz");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("level");
        QTest::newRow("centre") << 145.5 << 0.0 << 12;
        QTest::newRow("one step off") << 145.5125 << 0.0 << 8;
        QTest::newRow("outside") << 145.55 << 0.0 << 0;
        QTest::newRow("coming and going, on") << 146.0 << 1.0 << 16;
        QTest::newRow("coming and going, off") << 146.0 << 3.0 << 0;
        QTest::newRow("on again") << 146.0 << 5.5 << 16;
    }

    void bandModelLevels() {
        QFETCH(double, mhz);
        QFETCH(double, seconds);
        QFETCH(int, level);
        QString error;
        const auto band = BandModel::Parse("# test band\n145.5 25 12\n146.0 12.5 16 2.5\n", &error);
        QVERIFY2(band, qPrintable(error));
        QCOMPARE(band->LevelAt(mhz, seconds), level);
    }

    void noiseFloorStaysUnderItsLevel() {
        QString error;
        const auto band = BandModel::Parse("noise 2\n", &error);
        QVERIFY(band);
        QSet<int> seen;
        for (int step = 0; step < 200; ++step) {
            seen << band->LevelAt(145.0 + step * 0.0125, 0.0);
        }
        QCOMPARE(seen, (QSet<int>{0, 1, 2}));
    }

    void badBandFilesAreRefused_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("peak 17") << QByteArray("145.5 25 17\n");
        QTest::newRow("two words") << QByteArray("145.5 25\n");
        QTest::newRow("width 0") << QByteArray("145.5 0 5\n");
        QTest::newRow("not a number") << QByteArray("abc 25 5\n");
        QTest::newRow("noise 20") << QByteArray("noise 20\n");
    }

    void badBandFilesAreRefused() {
        QFETCH(QByteArray, text);
        QString error;
        QVERIFY(!BandModel::Parse(text, &error));
        QVERIFY(error.startsWith(QStringLiteral("line 1")));
    }

    void demoBandHasSignalsInTheDemoSpan() {
        const BandModel demo = BandModel::Demo();
        int stepsWithSignal = 0;
        for (int step = 0; step <= 80; ++step) {
            stepsWithSignal += demo.LevelAt(145.0 + step * 0.0125, 0.0) > 3 ? 1 : 0;
        }
        QVERIFY(stepsWithSignal >= 3);
    }
};

QTEST_GUILESS_MAIN(ReceiverSimTest)
#include "tst_receiver_sim.moc"
