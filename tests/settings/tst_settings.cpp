#include <QtTest>
#include <clocale>

#include "BookmarkImport.h"
#include "BrokerAddress.h"
#include "ChannelList.h"
#include "CommandLine.h"
#include "FrequencyEntry.h"
#include "FrequencyMarks.h"
#include "LockoutsFile.h"
#include "NumberRule.h"
#include "RangeOption.h"
#include "SettingsCheck.h"
#include "SettingsFakes.h"
#include "SettingsFile.h"
#include "SettingsReader.h"
#include "SettingsSave.h"
#include "StartupError.h"

using nerimo::ReadNumber;
using nerimo::Settings;
using nerimo::testing::FakeFileAccess;

namespace {

// The settings as one line: mode, span, start, grid, clear, port, colour, pause[, device][, rig]
// [, activity level].
QString Summary(const Settings& s) {
    QStringList words = {s.mode == nerimo::Mode::Am ? QStringLiteral("A") : QStringLiteral("N")};
    for (const double value :
         {double(s.spanMHz), s.startMHz, double(s.grid), double(s.clearAtStart), double(s.comPort),
          double(s.colorIndex),
          double(s.pause.kind == nerimo::Pause::Kind::Hold ? 99 : s.pause.seconds)}) {
        words << QString::number(value);
    }
    if (s.rigModel != 0 || s.rigSpeed != 0) {
        words << QStringLiteral("rig %1 %2").arg(s.rigModel).arg(s.rigSpeed);
    }
    if (s.activityLevel) {
        words << QStringLiteral("heard at %1").arg(*s.activityLevel);
    }
    if (s.settleMs != nerimo::kDefaultSettleMs) {
        words << QStringLiteral("settle %1").arg(s.settleMs);
    }
    if (s.hangSeconds != nerimo::kDefaultHangSeconds ||
        s.priorityEverySeconds != nerimo::kDefaultPriorityEverySeconds) {
        words
            << QStringLiteral("hang %1 priority %2").arg(s.hangSeconds).arg(s.priorityEverySeconds);
    }
    return (words.join(' ') + ' ' + QString::fromLatin1(s.device)).trimmed();
}

// An import as one line: "format [where,malformed]: hz name/mode/group+group|... skip hz,hz", or
// "none".
QString Summary(const std::optional<nerimo::ImportedBookmarks>& imported) {
    if (!imported) {
        return QStringLiteral("none");
    }
    QStringList marks;
    for (const nerimo::ImportedChannel& entry : imported->entries) {
        marks << QStringLiteral("%1 %2/%3/%4")
                     .arg(entry.hertz)
                     .arg(entry.name, entry.mode, entry.groups.join('+'));
    }
    QStringList skipped;
    for (const long long hertz : imported->skipped) {
        skipped << QString::number(hertz);
    }
    return QStringLiteral("%1 [%2]: %3 skip %4")
        .arg(imported->format, imported->malformed.join(','), marks.join('|'), skipped.join(','));
}

}  // namespace

// The number rule, settings files read and checked, where they are looked for, and the command
// line.
class SettingsTest : public QObject {
    Q_OBJECT

    FakeFileAccess files_;

    Settings Load(const QByteArray& bytes) {
        files_ = FakeFileAccess{};
        files_.next = {nerimo::FileRead::Outcome::Read, bytes, {}};
        return nerimo::LoadSettings({"/opt/nerimo", {}}, files_);
    }

  private slots:
    // The C library on a comma-decimal locale, as Qt's start-up leaves it on such a system: the
    // number rule's "." must not follow it.
    void initTestCase() {
        QVERIFY2(std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr,
                 "the de_DE.UTF-8 locale is missing; scripts/install-deps.sh generates it");
    }

    void readsNumbers_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("expected");
        // clang-format off
        for (const auto& [text, expected] : QList<QPair<QByteArray, double>>{
                 {"145.5", 145.5}, {"+8", 8}, {"-.05", -0.05}, {"145,5", 145}, {"1.5E2", 150},
                 {"25d-1", 2.5}, {"7E+x", 7}, {"1\t4\t5", 145}, {"abc", 0}, {"-", 0}, {".", 0},
                 {"&hFf", 255}, {"&O78", 7}, {"&X1", 0}, {"1E-400", 0}, {"1E400", qInf()},
                 {"-" + QByteArray(400, '9'), -qInf()}, {QByteArray(400, '0') + "1", 1}}) {
            // clang-format on
            QTest::newRow(text.left(20).constData()) << text << expected;
        }
    }
    void readsNumbers() {
        QFETCH(QByteArray, text);
        QFETCH(double, expected);
        QCOMPARE(ReadNumber(text), expected);
    }

    void roundsHalfToEvenWithinSixteenBits_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");  // 99999: refused
        // clang-format off
        for (const auto& [value, expected] : QList<QPair<double, int>>{
                 {0.5, 0}, {1.5, 2}, {2.5, 2}, {7.5, 8}, {8.5, 8}, {-2.5, -2}, {32767.4, 32767},
                 {-32768.5, -32768}, {32767.5, 99999}, {-32769, 99999}, {qInf(), 99999}}) {
            // clang-format on
            QTest::addRow("%g", value) << value << expected;
        }
    }
    void roundsHalfToEvenWithinSixteenBits() {
        QFETCH(double, value);
        QFETCH(int, expected);
        const std::optional<int16_t> rounded = nerimo::RoundToInt16(value);
        QCOMPARE(rounded ? int(*rounded) : 99999, expected);
    }

    void readsAndValidates_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        const QList<QPair<QByteArray, const char*>> rows = {
            {"", "N 1 145 0 0 1 0 0"},
            {"FM_AM=A\nSPAN=8\nMHZ=430.5\nGRID=1\nCLEAR_SCREEN=1\nCOM=3\nCOLOR=2\nPAUSE=5\n",
             "A 8 430.5 1 1 3 2 5"},
            // Out of range, each key: the default.
            {"FM_AM=a\nSPAN=2\nMHZ=0\nGRID=1.5\nCLEAR_SCREEN=2\nCOM=0\nCOLOR=3.5\nPAUSE=50",
             "N 1 145 0 0 1 0 0"},
            {"FM_AM=AM\nSPAN=7.6\nMHZ=-3\nCOLOR=-1\nPAUSE=99\n", "N 8 0.1 0 0 1 0 99"},
            {"MHZ=2100\nCOM=-2\nPAUSE=-5\n", "N 1 2035 0 0 -2 0 0"},
            {"MHZ=2030\n", "N 1 2030 0 0 1 0 0"},
            {"MHZ=2030\nSPAN=8\n", "N 8 2028 0 0 1 0 0"},
            // Each range's ends: the last value kept and the first replaced.
            {"MHZ=0.1\n", "N 1 0.1 0 0 1 0 0"},
            {"MHZ=0.09\n", "N 1 0.1 0 0 1 0 0"},
            {"MHZ=2035\n", "N 1 2035 0 0 1 0 0"},
            {"MHZ=2035.01\n", "N 1 2035 0 0 1 0 0"},
            {"MHZ=2028\nSPAN=8\n", "N 8 2028 0 0 1 0 0"},
            {"MHZ=2028.01\nSPAN=8\n", "N 8 2028 0 0 1 0 0"},
            {"PAUSE=10\n", "N 1 145 0 0 1 0 10"},
            {"PAUSE=11\n", "N 1 145 0 0 1 0 0"},
            {"PAUSE=99\n", "N 1 145 0 0 1 0 99"},
            {"PAUSE=100\n", "N 1 145 0 0 1 0 0"},
            // Keys in any case, no space before "=", every space of the value removed.
            {"mhz=1 45.5\nFM_AM= A \nGRID = 1\n", "A 1 145.5 0 0 1 0 0"},
            {"COM=2\nCOM=5 COM=7\n", "N 1 145 0 0 5 0 0"},
            {"GRID=1\r\nCOLOR=3", "N 1 145 1 0 1 3 0"},
            {"SPAN=8 MHZ=150\n", "N 8 150 0 0 1 0 0"},
            {"FM_AM=A SPAN=8\n", "N 8 145 0 0 1 0 0"},
            // CR alone ends no line: one line, its values running on into the next keys.
            {"FM_AM=A\rGRID=1\r", "N 1 145 1 0 1 0 0"},
            {"[radio]\n# MHZ 150\n\xdfMHZ=150\n", "N 1 150 0 0 1 0 0"},
            {QByteArray("S\0P\0A\0N\0=\0008\0\n\0", 14), "N 1 145 0 0 1 0 0"},
            {QByteArray(100000, 'x') + "COLOR=1" + QByteArray(50000, ' '), "N 1 145 0 0 1 1 0"},
            {"COM=4\ndevice=/dev/serial/by-id/usb-FTDI\n",
             "N 1 145 0 0 4 0 0 /dev/serial/by-id/usb-FTDI"},
            // Hamlib: a model number of 32 bits, 0 and below the receiver's own protocol.
            {"RIG=40001.5\nRIG_SPEED=9600\n", "N 1 145 0 0 1 0 0 rig 40002 9600"},
            // The speeds of CAT radios, past 16 bits.
            {"RIG=1020\nRIG_SPEED=38400\n", "N 1 145 0 0 1 0 0 rig 1020 38400"},
            {"RIG=1020\nRIG_SPEED=57600\n", "N 1 145 0 0 1 0 0 rig 1020 57600"},
            {"RIG=1020\nRIG_SPEED=115200\n", "N 1 145 0 0 1 0 0 rig 1020 115200"},
            {"rig=-3\n", "N 1 145 0 0 1 0 0"},
            {"RIG=100000\n", "RIG= the value 100000, which is outside 1 to 99999"},
            {"RIG_SPEED=-1\n", "RIG_SPEED= the value -1, which is outside 0 to 4000000"},
            // The activity level: 1 to 16, else none (the band's floor and its margin).
            {"activity=4.5\n", "N 1 145 0 0 1 0 0 heard at 4"},
            {"ACTIVITY=1\n", "N 1 145 0 0 1 0 0 heard at 1"},
            {"ACTIVITY=16\nGRID=1\n", "N 1 145 1 0 1 0 0 heard at 16"},
            {"ACTIVITY=17\n", "N 1 145 0 0 1 0 0"},
            {"ACTIVITY=0\n", "N 1 145 0 0 1 0 0"},
            // The settling wait: 0 to 10000 ms, else 185.
            {"SETTLE=0\n", "N 1 145 0 0 1 0 0 settle 0"},
            {"SETTLE=10000\n", "N 1 145 0 0 1 0 0 settle 10000"},
            {"SETTLE=10001\n", "N 1 145 0 0 1 0 0"},
            {"SETTLE=-1\n", "N 1 145 0 0 1 0 0"},
            // A channel scan's hang, 0 to 30 s, and its priority looks, 1 to 60 s; else 2 s.
            {"HANG=0\nPRIORITY_EVERY=60\n", "N 1 145 0 0 1 0 0 hang 0 priority 60"},
            {"hang=30\npriority_every=1\n", "N 1 145 0 0 1 0 0 hang 30 priority 1"},
            {"HANG=31\nPRIORITY_EVERY=0\n", "N 1 145 0 0 1 0 0"},
            {"HANG=-1\nPRIORITY_EVERY=61\n", "N 1 145 0 0 1 0 0"},
        };
        for (const auto& [file, expected] : rows) {
            QTest::newRow(file.left(30).constData()) << file << QString::fromLatin1(expected);
        }
    }
    void readsAndValidates() {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        try {
            QCOMPARE(Summary(Load(file)), expected);
        } catch (const nerimo::StartupError& error) {  // the row expects this message
            QVERIFY2(error.Message().contains(expected), qPrintable(error.Message()));
            QVERIFY(
                error.Message().endsWith("Correct it in /opt/nerimo/Nerimo.ini and start the "
                                         "program again."));
        }
    }

    // ACTIVITY= as the check shows it: the level set, or the floor's rule when none is; a value
    // out of range is said to be read as the floor's rule.
    void checksTheActivityLevel_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("warnings");
        const QString floor = QStringLiteral("floor + 3 (the band's median + 3)");
        QTest::newRow("unset") << QByteArray("GRID=1\n") << floor << QStringList();
        QTest::newRow("a level") << QByteArray("ACTIVITY=1\n") << "1 (heard at level 1 and above)"
                                 << QStringList();
        QTest::newRow("out of range")
            << QByteArray("ACTIVITY=17\n") << floor
            << QStringList("line 1: ACTIVITY=17 was read as " + floor + '.');
    }
    void checksTheActivityLevel() {
        QFETCH(QByteArray, file);
        QFETCH(QString, value);
        QFETCH(QStringList, warnings);
        const nerimo::SettingsCheck check = nerimo::CheckSettings(file);
        const auto key = std::find_if(check.keys.begin(), check.keys.end(),
                                      [](const auto& key) { return key.key == "ACTIVITY="; });
        QVERIFY(key != check.keys.end());
        QCOMPARE(key->value, value);
        QStringList said;
        for (const nerimo::SettingsWarning& warning : check.warnings) {
            said << warning.text;
        }
        QCOMPARE(said, warnings);
    }

    // The command line: a survey's options read; help, or usage with status 2 for what does
    // not fit together.
    void readsTheCommandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");  // -1: the program runs
        QTest::addColumn<QString>("chosen");
        const auto row = [](const char* name, const QStringList& arguments, int status,
                            const QString& chosen = {}) {
            QTest::newRow(name) << arguments << status << chosen;
        };
        row("window", {}, -1, "window  0 ");
        row("window with a log", {"--log", "s.csv"}, -1, "window s.csv 0 ");
        row("survey", {"--headless", "--log", "s.csv", "--sweeps", "3", "--picture", "p.png"}, -1,
            "headless s.csv 3 p.png");
        row("help", {"--help"}, 0);
        row("unknown option", {"--fast"}, 2);
        row("missing value", {"--headless", "--log"}, 2);
        row("survey without a log", {"--headless"}, 2);
        row("no sweeps", {"--headless", "--log", "s.csv", "--sweeps", "0"}, 2);
        row("sweeps not a number", {"--headless", "--log", "s.csv", "--sweeps", "2x"}, 2);
        row("picture in the window", {"--picture", "p.png"}, 2);
        row("a stray word", {"s.csv"}, 2);
        row("settings in a missing folder", {"--settings", "/nonexistent/Nerimo.ini"}, 2);
        const QStringList survey = {"--headless", "--log", "s.csv"};
        row("range", survey + QStringList{"--range", "144M:148M:25k"}, -1, "headless s.csv 0 ");
        row("range in the window", {"--range", "144M:148M"}, 2);
        row("range with a picture", survey + QStringList{"--range", "1M:2M", "--picture", "p.png"},
            2);
        row("bad range", survey + QStringList{"--range", "148M:144M"}, 2);
        row("channels",
            survey + QStringList{"--channels", "b.csv", "--group", "Air", "--group", "Local",
                                 "--priority", "Tower"},
            -1, "headless s.csv 0  b.csv Air+Local Tower");
        row("group without channels", {"--group", "Air"}, 2);
        row("priority without channels", {"--priority", "Tower"}, 2);
        row("channels and a range", survey + QStringList{"--channels", "b.csv", "--range", "1M:2M"},
            2);
        row("settle", survey + QStringList{"--settle", "10000"}, -1, "headless s.csv 0 ");
        row("settle too long", survey + QStringList{"--settle", "10001"}, 2);
        row("broker", {"--mqtt", "mqtt://localhost"}, -1, "window  0 ");
        row("broker of another kind", {"--mqtt", "http://localhost"}, 2);
        row("broker port not a number", {"--mqtt", "mqtt://localhost:x"}, 2);
        row("topic without a broker", {"--mqtt-topic", "band"}, 2);
        row("wildcard in the topic", {"--mqtt", "mqtt://h", "--mqtt-topic", "a/+"}, 2);
        row("level in the sensor's name", {"--mqtt", "mqtt://h", "--sensor-id", "a/b"}, 2);
        row("the broker's own topics", {"--mqtt", "mqtt://h", "--mqtt-topic", "$SYS"}, 2);
        row("longest topic", {"--mqtt", "mqtt://h", "--mqtt-topic", QString(1000, 'n')}, -1,
            "window  0 ");
        row("topic too long", {"--mqtt", "mqtt://h", "--mqtt-topic", QString(1001, 'n')}, 2);
        row("user without a password", {"--mqtt", "mqtt://h", "--mqtt-user", "me"}, 2);
        row("watch", {"--watch", "mqtts://h", "--sensor", "s1", "--sensor", "s2"}, -1,
            "watch h:8883 s1+s2");
        row("watch with a topic", {"--watch", "mqtt://h", "--mqtt-topic", "band"}, -1,
            "watch h:1883 ");
        row("sensor without watch", {"--sensor", "s1"}, 2);
        row("watch and publish", {"--watch", "mqtt://h", "--mqtt", "mqtt://h"}, 2);
        row("watch as a sensor", {"--watch", "mqtt://h", "--sensor-id", "s1"}, 2);
        row("watch with a wildcard", {"--watch", "mqtt://h", "--sensor", "+"}, 2);
        row("watch a survey", {"--watch", "mqtt://h", "--headless", "--log", "s.csv"}, 2);
        row("watch and log", {"--watch", "mqtt://h", "--log", "s.csv"}, 2);
    }

    // --range as rtl_power takes it: the first frequency, the step and the count of steps, the
    // high end included when a whole number of steps away; or the reason.
    void readsRanges_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("plan");
        const QList<QPair<const char*, const char*>> rows = {
            {"144M:148M:25k", "144000000 25000 161"},
            {"145M:146M", "145000000 12500 81"},
            {"32.05M:32.1125M", "32050000 12500 6"},  // 32.05 x 1e6 falls just short in a double
            {"1.5G:1.5001G:12.5k", "1500000000 12500 9"},
            {"100000:200K:1k", "100000 1000 101"},
            {"145M:145.01M:3k", "145000000 3000 4"},
            {"145M:145M", "145000000 12500 1"},
            {" 145M : 146M ", "145000000 12500 81"},
            {"148M:144M", "HIGH is below LOW"},
            {"145M:146M:0", "at least 1 Hz"},
            {"145M", "not 145M."},
            {"145M:146M:0.4", "at least 1 Hz"},
            {"145M:146M:0.5", "145000000 1 1000001"},
            {"145M:146M:1k:2", "takes LOW:HIGH[:STEP]"},
            {"145X:146M", "takes LOW:HIGH[:STEP]"},
            {"-1M:146M", "takes LOW:HIGH[:STEP]"},
            {"0:2G:1", "more than a million steps"},
        };
        for (const auto& [text, plan] : rows) {
            QTest::newRow(text) << QString::fromLatin1(text) << QString::fromLatin1(plan);
        }
    }
    void readsRanges() {
        QFETCH(QString, text);
        QFETCH(QString, plan);
        QString error;
        const std::optional<nerimo::SweepPlan> read = nerimo::ParseRange(text, &error);
        QCOMPARE(read ? QStringLiteral("%1 %2 %3")
                            .arg(read->FirstHertz())
                            .arg(read->stepHertz)
                            .arg(read->Count())
                      : QString(),
                 read ? plan : QString());
        QVERIFY2(read || error.contains(plan), qPrintable(error));
    }

    // A frequency as typed for a lockout: in MHz, kHz or Hz, a number alone in MHz up to
    // 100000 and in Hz from there; or the reason.
    void readsATypedFrequency_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("read");  // Hz, or a piece of the reason (no digit first)
        const QList<QPair<const char*, const char*>> rows = {
            {"145.5", "145500000"},
            {"145.5M", "145500000"},
            {"145.5 MHz", "145500000"},
            {" 146.52 mhz ", "146520000"},
            {"145500k", "145500000"},
            {"145500 kHz", "145500000"},
            {"145500000", "145500000"},
            {"145500000 Hz", "145500000"},
            {".5", "500000"},
            {"99999", "99999000000"},
            {"100000", "100000"},
            {"145,5", "\"145,5\" is not a frequency: give it in MHz"},
            {"145.5 MHz FM", "is not a frequency"},
            {"-145.5", "is not a frequency"},
            {"1e3", "is not a frequency"},
            {"", "\"\" is not a frequency"},
            {"0", "outside 1 Hz to 100 GHz."},
            {"100000.001M", "is outside 1 Hz to 100 GHz."},
            {"99999999999999999999999999", "is outside 1 Hz to 100 GHz."},
        };
        for (const auto& [text, read] : rows) {
            QTest::newRow(text) << QString::fromLatin1(text) << QString::fromLatin1(read);
        }
    }
    void readsATypedFrequency() {
        QFETCH(QString, text);
        QFETCH(QString, read);
        QString error;
        const std::optional<long long> hertz = nerimo::ParseFrequency(text, &error);
        QCOMPARE(hertz ? QString::number(*hertz) : QString(), read[0].isDigit() ? read : QString());
        QVERIFY2(hertz || error.contains(read), qPrintable(error));
    }

    void readsTheCommandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, chosen);
        FakeFileAccess files;
        nerimo::CommandLine options;
        const std::optional<int> ended =
            nerimo::ParseCommandLine(QStringList{"nerimo"} + arguments, files, &options);
        QCOMPARE(ended.value_or(-1), status);
        if (!ended && options.watch) {
            QCOMPARE(QStringLiteral("watch %1:%2 %3")
                         .arg(options.broker->host)
                         .arg(options.broker->port)
                         .arg(options.sensors.join('+')),
                     chosen);
        } else if (!ended) {
            QCOMPARE(QStringLiteral("%1 %2 %3 %4")
                             .arg(options.headless ? "headless" : "window", options.logPath)
                             .arg(options.sweeps)
                             .arg(options.picturePath) +
                         (options.channelsPath.isEmpty()
                              ? QString()
                              : QStringLiteral(" %1 %2 %3")
                                    .arg(options.channelsPath, options.groups.join('+'),
                                         options.priority.join('+'))),
                     chosen);
        }
    }

    // The broker's address, and the credentials from a file that is the user's alone.
    void readsTheBroker_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QByteArray>("credentials");  // empty: none
        QTest::addColumn<int>("mode");                // the credentials file's, as QFile takes it
        QTest::addColumn<QString>("read");            // or the reason it is not
        QTest::newRow("plain") << "mqtt://broker.lan" << QByteArray() << 0 << "broker.lan 1883 0  ";
        QTest::newRow("TLS, IPv6") << "mqtts://[::1]" << QByteArray() << 0 << "::1 8883 1  ";
        QTest::newRow("own port") << "mqtt://h:1884/" << QByteArray() << 0 << "h 1884 0  ";
        QTest::newRow("user in the address") << "mqtt://me:s3cret@h" << QByteArray() << 0
                                             << "the credentials go in --mqtt-credentials";
        QTest::newRow("port 0") << "mqtt://h:0" << QByteArray() << 0 << "the port 1 to 65535";
        QTest::newRow("credentials")
            << "mqtt://h" << QByteArray("me:pa:ss\r\nmore\n") << 0x6000 << "h 1883 0 me pa:ss";
        QTest::newRow("credentials others read")
            << "mqtt://h" << QByteArray("me:pw\n") << 0x6040 << "may be read or written by others";
        QTest::newRow("credentials others write")
            << "mqtt://h" << QByteArray("me:pw\n") << 0x6002 << "may be read or written by others";
        QTest::newRow("credentials without a user")
            << "mqtt://h" << QByteArray(":pw\n") << 0x6000 << "does not start with a line";
    }
    void readsTheBroker() {
        QFETCH(QString, url);
        QFETCH(QByteArray, credentials);
        QFETCH(int, mode);
        QFETCH(QString, read);
        nerimo::BrokerOptions options;
        QString error;
        bool ok = nerimo::ParseBrokerUrl(url, &options, &error);
        if (ok && !credentials.isEmpty()) {
            FakeFileAccess files;
            files.byPath["/c"] = {
                nerimo::FileRead::Outcome::Read, credentials, {}, QFile::Permissions(mode)};
            ok = nerimo::ReadCredentials(files, "/c", &options, &error);
        }
        QVERIFY2(!error.contains("s3cret"), qPrintable(error));
        QCOMPARE(ok ? QStringLiteral("%1 %2 %3 %4 %5")
                          .arg(options.host)
                          .arg(options.port)
                          .arg(options.tls)
                          .arg(options.user, options.password)
                 : error.contains(read) ? read
                                        : error,
                 read);
    }

    // Where the file is looked for: beside a copy run from its own folder, or, where that
    // folder takes none, in the user's own folder; for an installed copy, in the user's own
    // folder alone; with --settings, that file alone.
    void looksForTheFile_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("folderTakesNone");
        QTest::addColumn<QStringList>("asked");
        const QString beside = QStringLiteral("/opt/nerimo/Nerimo.ini");
        const QString users = QStringLiteral("/home/ham/.config/nerimo/Nerimo.ini");
        QTest::newRow("beside") << QString() << false << false << QStringList{beside};
        QTest::newRow("folder takes none")
            << QString() << false << true << QStringList{beside, users};
        QTest::newRow("installed") << QString() << true << false << QStringList{users};
        QTest::newRow("--settings")
            << "/tmp/other.ini" << true << true << QStringList{"/tmp/other.ini"};
    }
    void looksForTheFile() {
        QFETCH(QString, file);
        QFETCH(bool, installed);
        QFETCH(bool, folderTakesNone);
        QFETCH(QStringList, asked);
        files_ = FakeFileAccess{};
        using Outcome = nerimo::FileRead::Outcome;
        if (folderTakesNone) {
            files_.byPath[QStringLiteral("/opt/nerimo/Nerimo.ini")] = {
                Outcome::NotCreated, {}, "Read-only file system"};
        }
        files_.byPath[asked.last()] = {Outcome::Read, "MHZ=150\n", {}};
        const Settings settings = nerimo::LoadSettings(
            {"/opt/nerimo", "/home/ham/.config/nerimo", file, {}, installed}, files_);
        QCOMPARE(files_.asked, asked);
        QCOMPARE(settings.startMHz, 150.0);
        QCOMPARE(settings.file, asked.last());
    }

    // Named frequencies from gqrx, SDR++ and CHIRP, told apart by their content; anything else
    // refused with the formats that are read.
    void importsBookmarks_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        const QByteArray chirpHeader =
            "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
            "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE\n";
        const auto row = [](const char* name, const QByteArray& file, const char* expected) {
            QTest::newRow(name) << file << QString::fromUtf8(expected);
        };
        row("gqrx with tags",
            "# Tag name          ;  color\n"
            "Repeaters           ; #c0ff00\n"
            "Untagged            ; #c0c0c0\n"
            "\n"
            "# Frequency ; Name                     ; Modulation          ;  Bandwidth; Tags\n"
            "  145500000 ; Calling channel          ; Narrow FM           ;      10000; Repeaters\n"
            "144800000.6 ; APRS Zürich ; WFM (stereo) ; 10000 ; Untagged, priority,\n"
            "118100000 ; Tower ; AM ; 10000 ; \n",
            "gqrx []: 145500000 Calling channel/NFM/Repeaters|144800001 APRS Zürich/WFM/"
            "Untagged+priority|118100000 Tower/AM/ skip ");
        row("gqrx malformed lines",
            "# Frequency ; Name ; Modulation ; Bandwidth ; Tags\n"
            "145500000 ; Four fields ; Narrow FM ; 10000\n"
            "abc ; Not a number ; Narrow FM ; 10000 ; \n"
            "0 ; Zero ; Narrow FM ; 10000 ; \n"
            "100000000001 ; Too high ; Narrow FM ; 10000 ; \n"
            "100000000000 ; Highest ; Raw I/Q ; 10000 ; \n\n",
            "gqrx [line 2,line 3,line 4,line 5]: 100000000000 Highest/RAW/ skip ");
        row("SDR++ two lists",
            R"({"selectedList": "General", "bookmarkDisplayMode": 1, "lists": {
                "General": {"showOnWaterfall": true, "bookmarks": {
                    "Calling": {"frequency": 145500000.0, "bandwidth": 12500.0, "mode": 0},
                    "Broken": {"frequency": "145.5", "bandwidth": 12500.0, "mode": 0}}},
                "Marine": {"showOnWaterfall": false, "bookmarks": {
                    "Ch 16": {"frequency": 156800000.0, "bandwidth": 12500.0, "mode": 4},
                    "Missing": {"bandwidth": 12500.0, "mode": 0},
                    "Zero": {"frequency": 0.0, "bandwidth": 12500.0, "mode": 0}}}}})",
            "SDR++ [\"Broken\",\"Missing\",\"Zero\"]: 145500000 Calling/NFM/General|156800000 "
            "Ch 16/USB/Marine skip ");
        row("SDR++ exported list with a BOM",
            "\xEF\xBB\xBF"
            R"({"bookmarks": {" Beacon ": {"frequency": 50005000.6, "bandwidth": 500.0, "mode": 7},
                              "Negative": {"frequency": -1.0, "bandwidth": 500.0, "mode": 7}}})",
            "SDR++ [\"Negative\"]: 50005001 Beacon/RAW/ skip ");
        row("CHIRP quoted, S and P",
            chirpHeader +
                "0,\"Simplex, \"\"calling\"\"\",146.520000,,0.600000,,88.5,88.5,023,NN,023,"
                "Tone->Tone,FM,5.00,,50W,\"a, b\",,,,\n"
                "1,WX1,162.550000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,NFM,5.00,S,50W,,,,,\n"
                "2,,145.500000,,0.600000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,P,50W,,,,,\n",
            "CHIRP []: 146520000 Simplex, \"calling\"/FM/|162550000 WX1/NFM/|145500000 /FM/ skip "
            "162550000");
        row("CHIRP bad frequencies",
            chirpHeader +
                "0,Bad,abc,,0.0,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,S,50W,,,,,\n"
                "1,Short\n"
                "\n"
                "2,Negative,-1.000000,,0.0,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,,,,,,\n"
                "3,Low,0.137500,,0.0,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,S,50W,,,,,\n",
            "CHIRP [line 2,line 3,line 5]: 137500 Low/FM/ skip 137500");
        row("CHIRP with a BOM and CR LF",
            "\xEF\xBB\xBFLocation,Name,Frequency,Skip\r\n0,Calling,145.5,S\r\n\r\n",
            "CHIRP []: 145500000 Calling// skip 145500000");
        row("empty", "", "none");
        row("plain text", "145.5 Calling\n# Frequency\n", "none");
        row("JSON without lists or bookmarks", R"({"selectedList": "General", "lists": []})",
            "none");
        row("CSV with another header", "Frequency,Name\n145.5,Calling\n", "none");
    }
    void importsBookmarks() {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QString error;
        const std::optional<nerimo::ImportedBookmarks> imported =
            nerimo::ImportBookmarks(file, &error);
        QCOMPARE(Summary(imported), expected);
        QCOMPARE(error.isEmpty(), imported.has_value());
        for (const char* format :
             {"gqrx's bookmarks.csv", "SDR++'s frequency manager JSON", "CHIRP's CSV export"}) {
            QCOMPARE(error.contains(QLatin1String(format)), !imported);
        }
    }

    // The channels to scan of a list: the groups asked (a gqrx tag, in any letter case; a
    // file without groups is one, named as the file is), FM and AM only, within reach, neither
    // locked out nor skipped, a frequency once with both names; what is left out said with its
    // count, and nothing to scan refused with the reason.
    void choosesChannels_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("groups");
        QTest::addColumn<QString>("steps");  // "hz mode name|...", or the refusal
        QTest::addColumn<QStringList>("notes");
        const QByteArray gqrx =
            "# Frequency ; Name ; Modulation ; Bandwidth ; Tags\n"
            "145500000 ; Calling ; Narrow FM ; 10000 ; Local\n"
            "145600000 ; R12 ; Narrow FM ; 10000 ; Repeaters, Local\n"
            "118100000 ; Tower ; AM ; 10000 ; Air\n"
            "14230000 ; SSTV ; USB ; 2700 ; HF\n"
            "7030000 ; QRP ; CW-U ; 500 ; HF\n"
            "145500000 ; Net ; WFM (mono) ; 10000 ; Local\n"
            "2400000000 ; Oven ; AM ; 10000 ; Local\n"
            "145700000 ; Locked ; Narrow FM ; 10000 ; Local\n"
            "145800000 ; ISS ; Narrow FM ; 10000 ; Space, Priority\n";
        const QString unheard = QStringLiteral(
            "2 of list.csv left out: the receiver hears FM and AM only (1 CW, 1 USB).");
        const QString beyond =
            QStringLiteral("1 of list.csv left out: outside the receiver's 0.1 to 2036.0 MHz.");
        const QString locked = QStringLiteral("1 of list.csv left out: locked out.");
        QTest::newRow("all") << gqrx << "list.csv" << QStringList()
                             << "145500000 N Calling / Net|145600000 N R12*|118100000 A "
                                "Tower|145800000 N ISS*"
                             << QStringList{unheard, beyond, locked};
        QTest::newRow("a tag") << gqrx << "list.csv" << QStringList{"local"}
                               << "145500000 N Calling / Net|145600000 N R12*"
                               << QStringList{beyond, locked};
        QTest::newRow("two tags") << gqrx << "list.csv" << QStringList{"Air", "Repeaters"}
                                  << "145600000 N R12*|118100000 A Tower" << QStringList();
        QTest::newRow("no such tag")
            << gqrx << "list.csv" << QStringList{"Marine"}
            << "list.csv has no channel in Marine; its groups are Local, Repeaters, Air, HF, "
               "Space, Priority."
            << QStringList();
        QTest::newRow("nothing to hear")
            << gqrx << "list.csv" << QStringList{"HF"}
            << "list.csv has no channel the receiver can scan: " + unheard << QStringList{unheard};
        const QByteArray chirp =
            "Location,Name,Frequency,Mode,Skip\n"
            "0,Simplex,146.52,FM,\n"
            "1,Weather,162.55,NFM,S\n"
            "2,Beacon,145.5,,\n";
        QTest::newRow("a CHIRP file is its own group")
            << chirp << "/home/ham/club.csv" << QStringList{"club"}
            << "146520000 N Simplex|145500000 - Beacon"
            << QStringList("1 of /home/ham/club.csv left out: locked out.");
    }
    // Through Hamlib a radio is set to each channel's own mode: WFM, USB, LSB and CW as
    // themselves; DSB and RAW still left out.
    void choosesChannelsForARadio() {
        const QByteArray sdrpp = R"({"lists":{"Mixed":{"showOnWaterfall":true,"bookmarks":{
            "Broadcast":{"frequency":98800000,"bandwidth":150000,"mode":1},
            "SSTV":{"frequency":14230000,"bandwidth":2700,"mode":4},
            "Net":{"frequency":3760000,"bandwidth":2700,"mode":6},
            "Beacon":{"frequency":10368100,"bandwidth":500,"mode":5},
            "Odd":{"frequency":7100000,"bandwidth":6000,"mode":3},
            "Tower":{"frequency":118100000,"bandwidth":8000,"mode":2}}}}})";
        const nerimo::ChannelChoice choice =
            nerimo::ChooseChannels(*nerimo::ImportBookmarks(sdrpp, nullptr), "sdrpp.json", {}, {},
                                   {}, {1, 100000000000, true});
        QStringList planned;
        for (const nerimo::PlanStep& step : choice.plan.steps) {
            planned << step.name + ' ' + nerimo::ModeName(*step.mode);
        }
        planned.sort();
        QCOMPARE(planned,
                 QStringList({"Beacon CW", "Broadcast WFM", "Net LSB", "SSTV USB", "Tower AM"}));
        QCOMPARE(choice.notes,
                 QStringList("1 of sdrpp.json left out: Nerimo sets a radio to FM, WFM, AM, USB, "
                             "LSB and CW only (1 DSB)."));
    }

    void choosesChannels() {
        QFETCH(QByteArray, file);
        QFETCH(QString, name);
        QFETCH(QStringList, groups);
        QFETCH(QString, steps);
        QFETCH(QStringList, notes);
        nerimo::Lockouts lockouts;
        lockouts.Add(145700000);
        const nerimo::ChannelChoice choice =
            nerimo::ChooseChannels(*nerimo::ImportBookmarks(file, nullptr), name, groups, {"r12"},
                                   lockouts, {100000, 2036000000});
        QStringList planned;
        for (const nerimo::PlanStep& step : choice.plan.steps) {
            planned << QStringLiteral("%1 %2 %3%4")
                           .arg(step.hertz)
                           .arg(step.mode ? QString(QChar(nerimo::ModeLetter(*step.mode))) : "-",
                                step.name, step.priority ? "*" : "");
        }
        QCOMPARE(choice.refusal.isEmpty() ? planned.join('|') : choice.refusal, steps);
        QCOMPARE(choice.notes, notes);
    }

    // Lockouts read line by line, comments after '#' skipped, a line that is no frequency named
    // by its number.
    void readsLockouts_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("problems");
        const auto skipped = [](int line, const char* text) {
            return QStringLiteral(
                       "line %1: \"%2\" is not a frequency in Hz; Nerimo skips it and "
                       "keeps it in the file.")
                .arg(line)
                .arg(QLatin1String(text));
        };
        QTest::newRow("header") << QByteArray("Frequency_Hz\n145500000\n162550000\n")
                                << "145500000,162550000" << QStringList();
        QTest::newRow("no header, blank lines") << QByteArray("\n145500000\n\n  162550000 \t\n\n")
                                                << "145500000,162550000" << QStringList();
        QTest::newRow("CR LF") << QByteArray("\r\nFrequency_Hz\r\n145500000\r\n") << "145500000"
                               << QStringList();
        QTest::newRow("comments") << QByteArray(
                                         "# the club's\nFrequency_Hz # header\n145200000 # my "
                                         "neighbour's PC\n#145300000\n")
                                  << "145200000" << QStringList();
        QTest::newRow("empty") << QByteArray() << "" << QStringList();
        QTest::newRow("malformed lines")
            << QByteArray(
                   "Frequency_Hz\n145500000\nabc\n\n145.5\n0\n100000000001\n"
                   "Frequency_Hz\n100000000000\n146.52M")
            << "145500000,100000000000"
            << QStringList{
                   skipped(3, "abc"),          skipped(5, "145.5"),        skipped(6, "0"),
                   skipped(7, "100000000001"), skipped(8, "Frequency_Hz"), skipped(10, "146.52M")};
    }
    void readsLockouts() {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QFETCH(QStringList, problems);
        const nerimo::ReadLockouts read = nerimo::ParseLockouts(file);
        QStringList hertz;
        for (const long long hz : read.hertz) {
            hertz << QString::number(hz);
        }
        QCOMPARE(hertz.join(','), expected);
        QCOMPARE(read.problems, problems);
    }

    // A lockout added to the file as it is, or the lines of a step removed from it: every other
    // byte of the user's file stays, and what is written reads back as meant.
    void mergesLockouts_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<long long>("added");    // 0: none
        QTest::addColumn<long long>("removed");  // the step whose lines go; 0: none
        QTest::addColumn<QByteArray>("written");
        const QByteArray mine =
            "Frequency_Hz\n# the club's\n145200000 # my neighbour's PC\n146.52M\n";
        QTest::newRow("new file") << QByteArray() << 145500000LL << 0LL
                                  << QByteArray("Frequency_Hz\n145500000\n");
        QTest::newRow("comments and unread lines kept")
            << mine << 145500000LL << 0LL << mine + "145500000\n";
        QTest::newRow("no last line end")
            << QByteArray("Frequency_Hz\n145200000") << 145500000LL << 0LL
            << QByteArray("Frequency_Hz\n145200000\n145500000\n");
        QTest::newRow("CR LF") << QByteArray("Frequency_Hz\r\n145200000\r\n") << 145500000LL << 0LL
                               << QByteArray("Frequency_Hz\r\n145200000\r\n145500000\r\n");
        QTest::newRow("there already, with a comment")
            << QByteArray("145500000 # net\n") << 145500000LL << 0LL
            << QByteArray("145500000 # net\n");
        QTest::newRow("only a comment") << QByteArray("# mine\n") << 145500000LL << 0LL
                                        << QByteArray("# mine\nFrequency_Hz\n145500000\n");
        QTest::newRow("a step's lines removed") << mine + "145500000 # net\n145506000\n145493749\n"
                                                << 0LL << 145500000LL << mine + "145493749\n";
    }
    void mergesLockouts() {
        QFETCH(QByteArray, file);
        QFETCH(long long, added);
        QFETCH(long long, removed);
        QFETCH(QByteArray, written);
        const QByteArray merged = added > 0
                                      ? nerimo::WithLockout(file, added)
                                      : nerimo::WithoutLockouts(file, [removed](long long hertz) {
                                            return nerimo::FallsOnStep(hertz, removed);
                                        });
        QCOMPARE(merged, written);
        const nerimo::ReadLockouts before = nerimo::ParseLockouts(file);
        const nerimo::ReadLockouts after = nerimo::ParseLockouts(merged);
        QCOMPARE(after.problems.size(), before.problems.size());
        QCOMPARE(std::count(after.hertz.begin(), after.hertz.end(), added), added > 0 ? 1 : 0);
    }
    // The receiver's settings merged into the user's file: only the values change, every other
    // byte stays, and what is written reads back, by the program's own rules, without a trap;
    // where a key cannot be changed alone, nothing is written and the line is named.
    void mergesSettings_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("written");  // empty: refused
        QTest::addColumn<QString>("refusal");
        const QByteArray mine =
            "# the shack's receiver\nmhz=145\n\n; on the mast\nSPAN=1\nGRID=1\n";
        QTest::newRow("comments, letter case, a key added")
            << mine
            << QByteArray(
                   "# the shack's receiver\nmhz=146.5\n\n; on the mast\nSPAN=8\nGRID=1\n"
                   "DEVICE=/dev/ttyUSB1\n")
            << QString();
        QTest::newRow("empty file")
            << QByteArray() << QByteArray("DEVICE=/dev/ttyUSB1\nMHZ=146.5\nSPAN=8\n") << QString();
        QTest::newRow("CR LF, no last line end")
            << QByteArray("MHZ=146.5\r\nCOLOR=2")
            << QByteArray("MHZ=146.5\r\nCOLOR=2\r\nDEVICE=/dev/ttyUSB1\r\nSPAN=8\r\n") << QString();
        QTest::newRow("all there already, on a shared line")
            << QByteArray("SPAN=8 MHZ=146.5\nMHZ=146.5\nDEVICE=/dev/ttyUSB1\n")
            << QByteArray("SPAN=8 MHZ=146.5\nMHZ=146.5\nDEVICE=/dev/ttyUSB1\n") << QString();
        QTest::newRow("a changed key shares its line")
            << QByteArray("SPAN=1 GRID=1\n") << QByteArray()
            << QStringLiteral("Line 1 holds 2 keys");
        QTest::newRow("set twice") << QByteArray("MHZ=145\nMHZ=150\n") << QByteArray()
                                   << QStringLiteral("MHZ= is set on line 1 and again on line 2");
        QTest::newRow("back to the band's floor")
            << QByteArray("ACTIVITY=5\nMHZ=146.5\nSPAN=8\nDEVICE=/dev/ttyUSB1\n")
            << QByteArray("ACTIVITY=0\nMHZ=146.5\nSPAN=8\nDEVICE=/dev/ttyUSB1\n") << QString();
        QTest::newRow("a line that looks like a comment")
            << QByteArray("#DEVICE=/dev/ttyS0\n") << QByteArray()
            << QStringLiteral("line 1 starts with '#'");
    }
    void mergesSettings() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, written);
        QFETCH(QString, refusal);
        const QList<nerimo::SettingValue> values = {{"DEVICE=", "/dev/ttyUSB1"},
                                                    {"RIG=", "0"},
                                                    {"MHZ=", "146.5"},
                                                    {"SPAN=", "8"},
                                                    {"ACTIVITY=", "0"}};
        const nerimo::SettingsMerge merge = nerimo::MergeSettings(file, values);
        QCOMPARE(merge.bytes, written);
        QVERIFY2(refusal.isEmpty() ? merge.refusal.isEmpty() : merge.refusal.contains(refusal),
                 qPrintable(merge.refusal));
        if (!written.isEmpty()) {
            QVERIFY(nerimo::CheckSettings(written).warnings.size() <=
                    nerimo::CheckSettings(file).warnings.size());
            const Settings read = nerimo::ReadSettings(written, {});
            QCOMPARE(read.device, QByteArray("/dev/ttyUSB1"));
            QCOMPARE(read.startMHz, 146.5);
            QCOMPARE(read.spanMHz, 8);
        }
    }

    // A value the file cannot keep as it is (the reader takes spaces out) is refused.
    void refusesAValueTheFileCannotKeep() {
        const nerimo::SettingsMerge merge =
            nerimo::MergeSettings("DEVICE=/dev/ttyUSB0\n", {{"DEVICE=", "/home/ham/my radio"}});
        QVERIFY(merge.bytes.isEmpty());
        QVERIFY2(merge.refusal.contains("holds a space"), qPrintable(merge.refusal));
    }

    // A write that fails (a full disk) is said, and the file stays as it was.
    void saysWhySettingsWereNotSaved() {
        const QString path = QStringLiteral("/home/ham/.config/nerimo/Nerimo.ini");
        const QByteArray before = "# mine\nMHZ=145\n";
        FakeFileAccess files;
        files.byPath[path] = {nerimo::FileRead::Outcome::Read, before, {}};
        files.refusal = QStringLiteral("No space left on device");
        QCOMPARE(nerimo::SaveSettings(files, path, {{"MHZ=", "430"}}), files.refusal);
        QCOMPARE(files.byPath[path].bytes, before);
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
