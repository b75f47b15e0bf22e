#include <QtTest>
#include <clocale>

#include "Fakes.h"
#include "ReceiverLink.h"
#include "WaitSeconds.h"

using nerimo::ReceiverLink;
using nerimo::State;
using nerimo::testing::FakeMessageBox;
using nerimo::testing::FakeSerialPort;
using nerimo::testing::VirtualScheduler;

class ReceiverLinkTest : public QObject {
    Q_OBJECT

    State state_;
    FakeSerialPort port_;
    FakeMessageBox messages_;

    std::unique_ptr<ReceiverLink> OpenLink() {
        auto link = std::make_unique<ReceiverLink>(state_, port_, messages_);
        link->OpenPort();
        return link;
    }

  private slots:
    // Everything here runs with both Qt and the C library on a comma-decimal locale, as Qt's
    // start-up leaves them on such a system: the wire text must not follow it.
    void initTestCase() {
        QVERIFY2(std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr,
                 "the de_DE.UTF-8 locale is missing; scripts/install-deps.sh generates it");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    void init() {
        state_ = State{};
        state_.ComPort = 1;
        state_.ModeLetter = "N";
        port_ = FakeSerialPort{};
        messages_ = FakeMessageBox{};
    }

    void frequencyTextAlwaysUsesAPoint_data() {
        QTest::addColumn<double>("mhz");
        QTest::addColumn<QByteArray>("text");
        double nearly146 = 145.0;
        for (int i = 0; i < 80; ++i) {
            nearly146 += 0.0125;
        }
        QTest::newRow("145.125") << 145.125 << QByteArray("145.1250");
        QTest::newRow("146") << 146.0 << QByteArray("146.0000");
        QTest::newRow("5.5") << 5.5 << QByteArray("5.5000");
        QTest::newRow("0.1") << 0.1 << QByteArray("0.1000");
        QTest::newRow("1000, no grouping") << 1000.0 << QByteArray("1000.0000");
        QTest::newRow("2035.9875") << 2035.9875 << QByteArray("2035.9875");
        QTest::newRow("a hair below 146") << nearly146 << QByteArray("146.0000");
    }

    void frequencyTextAlwaysUsesAPoint() {
        QFETCH(double, mhz);
        QFETCH(QByteArray, text);
        ReceiverLink link(state_, port_, messages_);
        link.FormatFreqText(mhz);
        QCOMPARE(state_.FreqText, text);
    }

    void tuneCommandIsFrequencyThenModeAndNothingElse() {
        auto link = OpenLink();
        state_.ModeLetter = "A";
        link->FormatFreqText(430.0125);
        QVERIFY(link->SendTuneCommand());
        QCOMPARE(port_.written, QList<QByteArray>{"430.0125A"});
    }

    void decodesTheLastLetter_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("replyText");
        QTest::addColumn<int>("level");
        QTest::newRow("B") << QByteArray("B") << QByteArray("B") << 2;
        QTest::newRow("A") << QByteArray("A") << QByteArray("A") << 1;
        QTest::newRow("P with CR LF") << QByteArray("P\r\n") << QByteArray("P") << 16;
        QTest::newRow("CR LF around") << QByteArray("\r\nG\r\n") << QByteArray("G") << 7;
        QTest::newRow("CR LF alone") << QByteArray("\r\n") << QByteArray() << 0;
        QTest::newRow("nothing") << QByteArray() << QByteArray() << 0;
        QTest::newRow("K then B") << QByteArray("KB") << QByteArray("B") << 2;
        QTest::newRow("echo then letter") << QByteArray("145.1250NC") << QByteArray("C") << 3;
        QTest::newRow("lower case") << QByteArray("b") << QByteArray("b") << 0;
        QTest::newRow("past P") << QByteArray("Q") << QByteArray("Q") << 0;
        QTest::newRow("digit") << QByteArray("7") << QByteArray("7") << 0;
        QTest::newRow("high byte") << QByteArray("\xc1") << QByteArray("\xc1") << 0;
    }

    void decodesTheLastLetter() {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, replyText);
        QFETCH(int, level);
        auto link = OpenLink();
        port_.pending = reply;
        state_.SignalLevel = 9;
        link->ReadLevel();
        QCOMPARE(state_.ReplyText, replyText);
        QCOMPARE(int(state_.SignalLevel), level);
    }

    void failedReadKeepsTheRunsRawText() {
        auto link = OpenLink();
        link->StartRun();
        port_.pending = "F";
        link->ReadLevel();
        QCOMPARE(int(state_.SignalLevel), 6);
        port_.open = false;  // reads fail from here on
        link->ReadLevel();
        QCOMPARE(int(state_.SignalLevel), 6);
        link->StartRun();
        link->ReadLevel();
        QCOMPARE(int(state_.SignalLevel), 0);
    }

    void discardInputThrowsPendingRepliesAway() {
        auto link = OpenLink();
        port_.pending = "M";
        link->DiscardInput();
        link->ReadLevel();
        QCOMPARE(int(state_.SignalLevel), 0);
    }

    void deadPortEmptiesTheRawText() {
        auto link = OpenLink();
        link->StartRun();
        port_.pending = "N";
        link->ReadLevel();
        QCOMPARE(int(state_.SignalLevel), 14);
        port_.Die();
        link->ReadLevel();
        QCOMPARE(int(state_.SignalLevel), 0);
        QVERIFY(!link->SendTuneCommand());
    }

    void opensWithTheLineSettingsInOrder_data() {
        QTest::addColumn<int>("com");
        QTest::addColumn<QByteArray>("device");
        QTest::addColumn<QString>("name");
        QTest::newRow("COM=1") << 1 << QByteArray() << "/dev/ttyS0";
        QTest::newRow("COM=3") << 3 << QByteArray() << "/dev/ttyS2";
        QTest::newRow("COM=-2") << -2 << QByteArray() << "/dev/ttyS-3";
        QTest::newRow("DEVICE= wins") << 3 << QByteArray("/dev/ttyUSB0") << "/dev/ttyUSB0";
    }

    void opensWithTheLineSettingsInOrder() {
        QFETCH(int, com);
        QFETCH(QByteArray, device);
        QFETCH(QString, name);
        state_.ComPort = int16_t(com);
        state_.DevicePath = device;
        OpenLink();
        QCOMPARE(port_.calls, QStringList({"name " + name, "line 4800,n,8,2", "flow rts/cts",
                                           "rts 1", "dtr 1", "open"}));
        QVERIFY(messages_.shown.isEmpty());
    }

    void openFailureShowsPortAndDescription_data() {
        QTest::addColumn<int>("com");
        QTest::addColumn<QByteArray>("device");
        QTest::addColumn<bool>("permission");
        QTest::addColumn<QString>("message");
        QTest::newRow("COM3") << 3 << QByteArray() << false << "COM3\r\nNo such file or directory";
        QTest::newRow("COM-2") << -2 << QByteArray() << false
                               << "COM-2\r\nNo such file or directory";
        QTest::newRow("device") << 1 << QByteArray("/dev/ttyUSB7") << false
                                << "/dev/ttyUSB7\r\nNo such file or directory";
        QTest::newRow("permission") << 1 << QByteArray() << true
                                    << "COM1\r\nPermission denied\r\nTo use the port, your user "
                                       "must be in the group that owns the device (usually "
                                       "dialout).";
    }

    void openFailureShowsPortAndDescription() {
        QFETCH(int, com);
        QFETCH(QByteArray, device);
        QFETCH(bool, permission);
        QFETCH(QString, message);
        state_.ComPort = int16_t(com);
        state_.DevicePath = device;
        port_.openResult = {false,
                            permission ? QStringLiteral("Permission denied")
                                       : QStringLiteral("No such file or directory"),
                            permission};
        auto link = OpenLink();
        QCOMPARE(messages_.shown, QStringList{message});
        // Closed for good: the sweep's writes and reads fail quietly.
        link->FormatFreqText(145.0);
        QVERIFY(!link->SendTuneCommand());
        link->ReadLevel();
        QCOMPARE(int(state_.SignalLevel), 0);
    }

    void waitNeverEndsEarly() {
        VirtualScheduler scheduler;
        bool done = false;
        nerimo::WaitSeconds(scheduler, 0.185, [&] { done = true; });
        scheduler.RunUntil(0.184);
        QVERIFY(!done);
        scheduler.RunUntil(0.185);
        QVERIFY(done);
    }

    void waitOfZeroGoesOnAtOnce_data() {
        QTest::addColumn<double>("seconds");
        QTest::newRow("0") << 0.0;
        QTest::newRow("negative") << -5.0;
    }

    void waitOfZeroGoesOnAtOnce() {
        QFETCH(double, seconds);
        VirtualScheduler scheduler;
        bool done = false;
        nerimo::WaitSeconds(scheduler, seconds, [&] { done = true; });
        QVERIFY(done);
        QVERIFY(!scheduler.task);  // nothing went through the event loop
    }
};

QTEST_GUILESS_MAIN(ReceiverLinkTest)
#include "tst_receiver_link.moc"
