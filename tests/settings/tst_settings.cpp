#include <QtTest>
#include <clocale>

#include "CommandLine.h"
#include "NumberRule.h"
#include "SettingsFakes.h"
#include "SettingsFile.h"
#include "StartupError.h"

using nerimo::ReadNumber;
using nerimo::Settings;
using nerimo::testing::FakeFileAccess;

namespace {

// The settings as one line: mode, span, start, grid, clear, port, colour, pause[, device].
QString Summary(const Settings& s) {
    QStringList words = {s.mode == nerimo::Mode::Am ? QStringLiteral("A") : QStringLiteral("N")};
    for (const double value :
         {double(s.spanMHz), s.startMHz, double(s.grid), double(s.clearAtStart), double(s.comPort),
          double(s.colorIndex), double(s.pauseSeconds)}) {
        words << QString::number(value);
    }
    if (s.rigModel != 0 || s.rigSpeed != 0) {
        words << QStringLiteral("rig %1 %2").arg(s.rigModel).arg(s.rigSpeed);
    }
    return (words.join(' ') + ' ' + QString::fromLatin1(s.device)).trimmed();
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
            {"MHZ=2100\nCOM=-2\nPAUSE=-5\n", "N 1 2035 0 0 -2 0 -5"},
            {"MHZ=2030\n", "N 1 2030 0 0 1 0 0"},
            {"MHZ=2030\nSPAN=8\n", "N 8 2028 0 0 1 0 0"},
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
            {"rig=-3\n", "N 1 145 0 0 1 0 0"},
            {"RIG=100000\n", "RIG= the value 100000, which is outside 1 to 99999"},
            {"RIG_SPEED=-1\n", "RIG_SPEED= the value -1, which is outside 0 to 4000000"},
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
    }
    void readsTheCommandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, chosen);
        nerimo::CommandLine options;
        const std::optional<int> ended =
            nerimo::ParseCommandLine(QStringList{"nerimo"} + arguments, &options);
        QCOMPARE(ended.value_or(-1), status);
        if (!ended) {
            QCOMPARE(QStringLiteral("%1 %2 %3 %4")
                         .arg(options.headless ? "headless" : "window", options.logPath)
                         .arg(options.sweeps)
                         .arg(options.picturePath),
                     chosen);
        }
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
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
