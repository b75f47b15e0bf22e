#include <QtTest>

#include "CoreFakes.h"
#include "HamlibReceiver.h"
#include "ReceiverFakes.h"
#include "SerialReceiver.h"
#include "Sweep.h"

using nerimo::Rgb;
using nerimo::testing::AddRows;

namespace {

constexpr Rgb kBlack = 0xff000000;
constexpr Rgb kGreen = 0xff00ff00;

// A sweep of 1 MHz from 145 MHz on the fakes of the core, with the receiver of each kind on its
// device in memory: the receiver's own protocol on an open serial port, and a radio that Hamlib
// drives.
struct Receivers {
    nerimo::Settings settings;
    nerimo::testing::FakeSerialPort port;
    nerimo::testing::FakeRadio radio;
    nerimo::testing::FakeMessageBox messages;
    nerimo::testing::RecordingPanel panel;
    nerimo::testing::VirtualScheduler scheduler;
    nerimo::testing::VirtualScheduler retry;  // the receivers' own, on a clock of their own
    nerimo::testing::FakeSurface surface;
    nerimo::testing::RecordingListener steps;
    nerimo::Plot plot{surface, 0};
    nerimo::SerialReceiver serial{settings, port, messages, retry};
    nerimo::HamlibReceiver hamlib{settings, radio, messages, retry};
    nerimo::Lockouts lockouts;
    nerimo::testing::FixedClock clock;
    nerimo::Sweep serialSweep{settings, lockouts, serial, plot, panel, scheduler, clock};
    nerimo::Sweep hamlibSweep{settings, lockouts, hamlib, plot, panel, scheduler, clock};

    Receivers() {
        port.open = true;
        radio.now = [this] { return scheduler.now; };
        serialSweep.Listen(steps);
        hamlibSweep.Listen(steps);
    }
    bool RunUntilCommands(qsizetype count, double limit = 1e6) {
        return scheduler.RunUntil([&] { return port.written.size() >= count; }, limit);
    }
    QStringList PanelStates() const {
        return panel.calls.filter(QRegularExpression("^(status|continue)"));
    }
};

struct Open {
    const char* name;
    int com;
    QByteArray device;
    QString portName;
    QString failure = {};  // the service's description; empty: it opens
    QString message = {};
    bool held = false;  // another program holds the port or its lock
};

struct Reading {
    const char* name;
    bool ok;  // the strength read went through
    std::optional<int> decibels;
    int level;  // plotted
    nerimo::Reply reply;
};

struct RadioOpen {
    const char* name;
    int model;
    QByteArray device;
    nerimo::RadioResult result;
    QString tried;    // the radio asked to open
    int attempts;     // in the first 5 s
    QString message;  // shown once, or none
};

}  // namespace

// The receivers on their devices in memory: the receiver's own wire text and decoding, a port
// that goes and comes back, a receiver that falls silent, and a radio through Hamlib step by
// step, its readings and its opens.
class ReceiversTest : public QObject {
    Q_OBJECT

  private slots:
    // The C library on a comma-decimal locale, as Qt's start-up leaves it on such a system: the
    // wire text must not follow it.
    void initTestCase() {
        QVERIFY2(nerimo::testing::UseCommaLocale(),
                 "the de_DE.UTF-8 locale is missing; scripts/install-deps.sh generates it");
    }

    void tuneCommandIsFrequencyThenMode_data() {
        QTest::addColumn<double>("mhz");
        QTest::addColumn<QByteArray>("command");
        // clang-format off
        for (const auto& [mhz, command] : QList<QPair<double, QByteArray>>{
                 {145.125, "145.1250A"}, {5.5, "5.5000A"}, {0.1, "0.1000A"},
                 {1000, "1000.0000A"}, {2035.9875, "2035.9875A"}, {145.99999999999, "146.0000A"}}) {
            // clang-format on
            QTest::newRow(command.constData()) << mhz << command;
        }
    }
    void tuneCommandIsFrequencyThenMode() {
        QFETCH(double, mhz);
        QFETCH(QByteArray, command);
        Receivers k;
        QVERIFY(k.serial.SendTuneCommand(nerimo::Hertz(mhz), nerimo::Mode::Am));
        QCOMPARE(k.port.written, QList<QByteArray>{command});
    }

    // The last letter is the level; anything else that came is an answer at level 0; nothing at
    // all (-1) is no answer.
    void decodesTheLastLetter_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("replyText");
        QTest::addColumn<int>("level");
        // clang-format off
        for (const auto& [reply, text, level] : QList<std::tuple<QByteArray, QByteArray, int>>{
                 {"A", "A", 1}, {"P\r\n", "P", 16}, {"\r\nG\r\n", "G", 7}, {"\r\n", "", 0},
                 {"", "", -1}, {"KB", "B", 2}, {"b", "b", 0}, {"Q", "Q", 0}, {"\xc1", "\xc1", 0}}) {
            // clang-format on
            QTest::newRow(reply.toPercentEncoding().constData()) << reply << text << level;
        }
    }
    void decodesTheLastLetter() {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, replyText);
        QFETCH(int, level);
        Receivers k;
        k.port.pending = reply;
        QCOMPARE(k.serial.ReadReply().value_or(-1), level);
        QCOMPARE(k.serial.ReplyText(), replyText);
    }

    // The reads of a run's start throw pending replies away; a port that is gone answers nothing,
    // not the letter it read before.
    void repliesBeforeTheRunAndAfterThePortAreNone() {
        Receivers k;
        k.port.pending = "M";
        k.serial.StartRun();
        QCOMPARE(k.serial.ReadReply(), std::nullopt);
        k.port.pending = "F";
        QCOMPARE(k.serial.ReadReply(), std::optional<int>(6));
        k.port.pending = "N";
        k.port.open = false;  // the adapter is pulled out
        k.port.died();
        QCOMPARE(k.serial.ReadReply(), std::nullopt);
    }

    void opensThePortAndReportsAFailure_data() {
        const QString missing = QStringLiteral("No such file or directory");
        const QString plug = QStringLiteral(
            "\r\nPlug the receiver in, or choose its port: nerimo --list-ports lists them; set "
            "DEVICE= in /home/ham/t.ini.");
        AddRows<Open>({
            {"DEVICE= wins", 3, "/dev/ttyUSB0", "/dev/ttyUSB0"},
            {"COM3 missing", 3, "", "/dev/ttyS2", missing,
             "COM3 (/dev/ttyS2)\r\n" + missing + plug},
            {"COM-2 missing", -2, "", "/dev/ttyS-3", missing,
             "COM-2 (/dev/ttyS-3)\r\n" + missing + plug},
            {"device missing", 1, "/dev/ttyUSB7", "/dev/ttyUSB7", missing,
             "/dev/ttyUSB7\r\n" + missing + plug},
            {"--device missing", 1, "--/dev/ttyUSB7", "/dev/ttyUSB7", missing,
             "/dev/ttyUSB7\r\n" + missing +
                 "\r\nPlug the receiver in, or choose its port: nerimo --list-ports lists "
                 "them; give it with --device."},
            {"permission", 1, "", "/dev/ttyS0", "Permission denied",
             "COM1 (/dev/ttyS0)\r\nPermission denied\r\nTo use the port, your user must be in "
             "the group that owns the device (usually dialout)."},
            {"held", 1, "/dev/ttyUSB0", "/dev/ttyUSB0", "Permission error while locking the device",
             "/dev/ttyUSB0\r\nPermission error while locking the device\r\nAnother program is "
             "using the port (it holds the port or its lock file); Nerimo takes the port as soon "
             "as it is free.",
             true},
        });
    }
    void opensThePortAndReportsAFailure() {
        QFETCH(Open, row);
        Receivers k;
        k.settings.comPort = row.com;
        // "--" before it: the command line named it.
        k.settings.deviceGiven = row.device.startsWith("--");
        k.settings.device = row.device.mid(k.settings.deviceGiven ? 2 : 0);
        k.settings.file = QStringLiteral("/home/ham/t.ini");
        k.port.openResult = {row.failure.isEmpty(), row.failure,
                             row.failure.startsWith("Perm") && !row.held, row.held};
        std::optional<bool> opened;
        k.serial.OpenPort([&](const nerimo::OpenOutcome& outcome) { opened = outcome.opened; });
        QCOMPARE(opened, std::optional<bool>(row.failure.isEmpty()));
        QCOMPARE(k.port.calls, QStringList({"name " + row.portName, "line", "rts/cts", "rts 1",
                                            "dtr 1", "open"}));
        QCOMPARE(k.messages.shown.join(""), row.message);
        QCOMPARE(k.serial.SendTuneCommand(145000000, nerimo::Mode::Fm), row.failure.isEmpty());
    }

    // A run with no open port says so instead of "scan", and measures again from the step after
    // the port opens; it is tried again every 2 s, with no message after the first.
    void aReceiverThatComesBack() {
        Receivers k;
        k.port.openResult.opened = false;
        k.serial.OpenPort([](const nerimo::OpenOutcome&) {});
        k.serialSweep.RunSweep();
        QCOMPARE(k.PanelStates(), QStringList{"status no receiver"});
        k.retry.RunFor(3.9);
        k.port.openResult.opened = true;
        k.retry.RunFor(0.2);
        QCOMPARE(k.port.calls.count("open"), 3);  // at start-up, 2 s and 4 s later
        QVERIFY(k.RunUntilCommands(1, 1));
        QCOMPARE(k.PanelStates().last(), "status scan");
        k.port.open = false;  // unplugged
        k.port.died();
        QVERIFY(k.scheduler.RunUntil([&] { return k.PanelStates().size() == 3; }, 1));
        QCOMPARE(k.PanelStates().last(), "status no receiver");
        k.retry.RunFor(2);
        QVERIFY(k.port.open);
        QCOMPARE(k.messages.shown.size(), 1);  // the failure at start-up only
    }

    // A receiver that stops answering counts as gone after 8 steps in a row without an answer:
    // "no receiver" in red from the ninth step on, and "scan" again after its first answer.
    void silentReceiverIsNoReceiver() {
        Receivers k;
        int reads = 0;
        k.port.answer = [&](const QByteArray&) {
            const int read = reads++;
            return read < 2 || read >= 10 ? QByteArray("\r\n") : QByteArray();
        };
        k.serialSweep.RunSweep();
        QVERIFY(k.RunUntilCommands(14));
        const QStringList calls = k.panel.calls.filter(QRegularExpression("^(MHz|status)"));
        QCOMPARE(calls.mid(9, 5), QStringList({"MHz 145.1125", "status no receiver", "MHz 145.1250",
                                               "status scan", "MHz 145.1375"}));
        QCOMPARE(k.steps.steps.value(1), qMakePair(0, nerimo::Reply::Answered));
        QCOMPARE(k.steps.steps.value(2), qMakePair(0, nerimo::Reply::Silent));
    }

    // dB relative to S9 onto the levels: 6 dB an S-unit from -48 dB (1) to S9 (9), 10 dB a
    // level above, at most 16.
    void levelsFromStrength_data() {
        QTest::addColumn<int>("decibels");
        QTest::addColumn<int>("level");
        // clang-format off
        for (const auto& [decibels, level] : QList<QPair<int, int>>{
                 {-49, 0}, {-48, 1}, {-43, 1}, {-42, 2}, {-1, 8}, {0, 9}, {9, 9}, {10, 10},
                 {59, 14}, {60, 15}, {69, 15}, {70, 16}, {200, 16}, {-1000, 0}}) {
            // clang-format on
            QTest::addRow("%d dB", decibels) << decibels << level;
        }
    }
    void levelsFromStrength() {
        QFETCH(int, decibels);
        QFETCH(int, level);
        QCOMPARE(nerimo::LevelFromStrength(decibels), level);
    }

    // Through Hamlib: the mode set once a run, or when it changed; the frequency, to the 100 Hz;
    // the wait counted from its acknowledgement; the strength. A call that fails closes the
    // radio, which is tried again 2 s later.
    void aHamlibRadioStepByStep() {
        Receivers k;
        k.settings.rigModel = 2;
        k.settings.device = "radio.local";
        k.settings.startMHz = 145.00001;
        k.radio.decibels = -12;
        k.hamlib.OpenPort([](const nerimo::OpenOutcome&) {});
        k.hamlibSweep.RunSweep();
        QVERIFY(k.scheduler.RunUntil([&] { return k.radio.calls.size() >= 6; }, 1));
        QCOMPARE(k.radio.calls,
                 QStringList({"open 2 radio.local:4532", "mode FM", "145000000 Hz at 0",
                              "strength at 0.185", "145012500 Hz at 0.185", "strength at 0.37"}));
        QCOMPARE(k.steps.steps.value(0).first, 7);
        k.panel.mode = nerimo::Mode::Am;  // AM chosen for the next run
        k.hamlibSweep.RunSweep();
        QCOMPARE(k.radio.calls.filter("mode").last(), QStringLiteral("mode AM"));
        k.radio.result = {false, QStringLiteral("Communication timed out"), {}, false, false};
        k.scheduler.RunFor(0.2);
        QVERIFY(!k.hamlib.IsOpen());
        QCOMPARE(k.radio.calls.filter("close").size(), 1);
        k.radio.result.ok = true;
        k.retry.RunFor(2);
        QVERIFY(k.hamlib.IsOpen());
        QCOMPARE(k.messages.shown.size(), 0);
    }

    // A list's channels through Hamlib: the mode set before the frequency when it changes, and
    // only then; a mode the radio refuses is said once and its channels are tuned no more, the
    // radio kept open.
    void hamlibChannelsInTheirModes() {
        Receivers k;
        k.settings.rigModel = 1020;
        k.radio.refused = nerimo::Mode::Cw;
        k.hamlib.OpenPort([](const nerimo::OpenOutcome&) {});
        nerimo::SweepPlan plan{{{145500000, nerimo::Mode::Fm, "A"},
                                {145600000, nerimo::Mode::Fm, "B"},
                                {14230000, nerimo::Mode::Usb, "C"},
                                {7030000, nerimo::Mode::Cw, "D"},
                                {98800000, nerimo::Mode::WideFm, "E"}},
                               nerimo::kStepHz,
                               true};
        k.hamlibSweep.UsePlan(plan);
        k.hamlibSweep.RunSweep();
        QVERIFY(
            k.scheduler.RunUntil([&] { return k.radio.calls.filter(" Hz at").size() >= 6; }, 10));
        QStringList sent;
        for (const QString& call : k.radio.calls.mid(1)) {
            if (!call.startsWith("strength")) {
                sent << call.section(' ', 0, 1);
            }
        }
        QCOMPARE(sent.mid(0, 11),
                 QStringList({"mode FM", "145500000 Hz", "145600000 Hz", "mode USB", "14230000 Hz",
                              "mode CW", "mode WFM", "98800000 Hz", "mode FM", "145500000 Hz",
                              "145600000 Hz"}));
        QCOMPARE(k.messages.notified,
                 QStringList("The radio at /dev/ttyS0 cannot be set to CW (Invalid parameter); the "
                             "channels in CW are left out."));
        QVERIFY(k.hamlib.IsOpen());
        QCOMPARE(k.steps.steps.size(), 5);  // A, B, C and E, then A: D never measured
    }

    // A survey's own steps reach a Hamlib radio to the hertz, SETTLE= apart.
    void hamlibTakesAPlanToTheHertz() {
        Receivers k;
        k.settings.rigModel = 1020;
        k.settings.settleMs = 20;
        k.hamlib.OpenPort([](const nerimo::OpenOutcome&) {});
        k.hamlibSweep.UsePlan(nerimo::BandPlan(145000001, 7, 3));
        k.hamlibSweep.RunSweep();
        QVERIFY(
            k.scheduler.RunUntil([&] { return k.radio.calls.filter(" Hz at").size() >= 3; }, 1));
        QCOMPARE(
            k.radio.calls.filter(" Hz at"),
            QStringList({"145000001 Hz at 0", "145000008 Hz at 0.02", "145000015 Hz at 0.04"}));
    }

    // What a strength read through Hamlib comes to: a number is a level; a reply with no number
    // is level 0 and no answer, the radio kept; a read that fails is level 0 whatever value it
    // left, and the radio is closed and tried again.
    void hamlibReadings_data() {
        AddRows<Reading>({
            {"-12 dB", true, -12, 7, nerimo::Reply::Answered},
            {"no number", true, std::nullopt, 0, nerimo::Reply::Silent},
            {"failed, 0 dB left", false, 0, 0, nerimo::Reply::NoReceiver},
        });
    }
    void hamlibReadings() {
        QFETCH(Reading, row);
        Receivers k;
        k.settings.rigModel = 1020;
        k.radio.readResult.ok = row.ok;
        k.radio.decibels = row.decibels;
        k.hamlib.OpenPort([](const nerimo::OpenOutcome&) {});
        k.hamlibSweep.RunSweep();
        QVERIFY(k.scheduler.RunUntil([&] { return !k.steps.steps.isEmpty(); }, 1));
        QCOMPARE(k.steps.steps.first(), qMakePair(row.level, row.reply));
        QCOMPARE(k.surface.PixelAt(44, 339 - 21 * row.level), kGreen);
        QCOMPARE(k.hamlib.IsOpen(), row.ok);
        QCOMPARE(k.radio.calls.contains("close"), !row.ok);
    }

    // Answers that come back from the radio after their run has ended change nothing; closing
    // the program closes the radio, and an open that is answered after that opens nothing.
    void lateAnswersChangeNothing() {
        Receivers k;
        k.settings.rigModel = 1020;
        k.radio.later = true;
        k.radio.decibels = 60;
        k.hamlib.OpenPort([](const nerimo::OpenOutcome&) {});
        k.radio.Answer();
        k.hamlibSweep.RunSweep();
        k.radio.Answer();  // the mode, then the frequency
        k.radio.Answer();
        k.scheduler.RunFor(0.2);
        QCOMPARE(k.radio.calls.last(), QStringLiteral("strength at 0.185"));
        k.hamlibSweep.End();
        const qsizetype asked = k.radio.calls.size();
        k.radio.Answer();
        k.scheduler.RunFor(5);
        QCOMPARE(k.radio.calls.size(), asked);
        QVERIFY(k.steps.steps.isEmpty());
        QCOMPARE(k.surface.PixelAt(44, 339 - 21 * 15), kBlack);

        nerimo::HamlibReceiver closing(k.settings, k.radio, k.messages, k.retry);
        closing.OpenPort([](const nerimo::OpenOutcome&) { QFAIL("an open after the close"); });
        closing.ClosePort();
        QCOMPARE(k.radio.calls.last(), QStringLiteral("close"));
        k.radio.Answer();
        QVERIFY(!closing.IsOpen());
    }

    // Where a Hamlib radio is asked for, and what a failed open comes to: one message at most,
    // then attempts every 2 s, quietly, unless the radio never can be swept.
    void hamlibOpens_data() {
        const nerimo::RadioResult opens{true, {}, {}, false, false};
        const QString unknown =
            QStringLiteral("Hamlib has no radio model 99999 (rigctl -l lists them).");
        const QString nothing = QStringLiteral(
            "Nothing answers at localhost:4532. Is rigctld running there (rigctld -m MODEL -r "
            "DEVICE -t 4532)?");
        // clang-format off
        AddRows<RadioOpen>({
            {"rigctld, no DEVICE", 2, "", opens, "open 2 localhost:4532", 1, {}},
            {"rigctld's host", 2, "radio.local", opens, "open 2 radio.local:4532", 1, {}},
            {"rigctld's host and port", 2, "radio.local:4533", opens, "open 2 radio.local:4533",
             1, {}},
            {"serial radio", 1020, "/dev/ttyUSB0", opens, "open 1020 /dev/ttyUSB0", 1, {}},
            {"unknown model", 99999, "", {false, unknown, unknown, false, true},
             "open 99999 /dev/ttyS0", 1, unknown},
            {"nothing answers", 2, "", {false, nothing, nothing, false, false},
             "open 2 localhost:4532", 3, nothing},
            {"silent radio", 1020, "/dev/ttyUSB0",
             {false, QStringLiteral("Communication timed out"), {}, false, false},
             "open 1020 /dev/ttyUSB0", 3,
             "/dev/ttyUSB0\r\nCommunication timed out\r\nPlug the receiver in, or choose its "
             "port: nerimo --list-ports lists them; set DEVICE= in the settings file."},
        });
        // clang-format on
    }
    void hamlibOpens() {
        QFETCH(RadioOpen, row);
        Receivers k;
        k.settings.rigModel = row.model;
        k.settings.device = row.device;
        k.radio.result = row.result;
        std::optional<nerimo::OpenOutcome> outcome;
        k.hamlib.OpenPort([&](const nerimo::OpenOutcome& first) { outcome = first; });
        k.retry.RunFor(5);
        QCOMPARE(k.radio.calls, QStringList(row.attempts, row.tried));
        QCOMPARE(k.messages.shown,
                 row.message.isEmpty() ? QStringList() : QStringList{row.message});
        QVERIFY(outcome && outcome->opened == row.result.ok &&
                outcome->permanent == row.result.permanent);
    }
};

QTEST_GUILESS_MAIN(ReceiversTest)
#include "tst_receivers.moc"
