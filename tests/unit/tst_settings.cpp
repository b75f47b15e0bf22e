#include <QtTest>
#include <functional>

#include "Fakes.h"
#include "Settings.h"
#include "StartupError.h"

using nerimo::State;
using nerimo::testing::FakeFileAccess;
using nerimo::testing::RecordingPanel;
using Outcome = nerimo::platform::FileRead::Outcome;

namespace {

struct Expected {
    QByteArray mode = "N";
    int span = 1;
    double start = 145.0;
    int grid = 0;
    int clear = 0;
    int com = 1;
    int color = 0;
    int pause = 0;
    QByteArray device;
};

Expected With(const std::function<void(Expected&)>& change) {
    Expected expected;
    change(expected);
    return expected;
}

State Load(const QByteArray& bytes, RecordingPanel& panel, Outcome outcome = Outcome::Read) {
    FakeFileAccess files;
    files.next = {outcome, bytes, QStringLiteral("Permission denied")};
    State state;
    state.ProgramName = QStringLiteral("Nerimo");
    nerimo::LoadSettings(state, QStringLiteral("/opt/nerimo"), files, panel);
    return state;
}

QByteArray Utf16(const char* text) {
    QByteArray bytes("\xff\xfe");
    for (const char* c = text; *c; ++c) {
        bytes.append(*c).append('\0');
    }
    return bytes;
}

}  // namespace

Q_DECLARE_METATYPE(Expected)

class SettingsTest : public QObject {
    Q_OBJECT

  private slots:
    void readsAndValidates_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Expected>("expected");

        QTest::newRow("empty file") << QByteArray() << Expected{};
        QTest::newRow("every key")
            << QByteArray(
                   "FM_AM=A\nSPAN=8\nMHZ=430.5\nGRID=1\nCLEAR_SCREEN=1\nCOM=3\nCOLOR=2\nPAUSE=5\n")
            << With([](Expected& e) { e = {"A", 8, 430.5, 1, 1, 3, 2, 5, {}}; });
        QTest::newRow("lower-case key")
            << QByteArray("mhz=145.5\n") << With([](Expected& e) { e.start = 145.5; });
        QTest::newRow("space before =") << QByteArray("MHZ = 150\n") << Expected{};
        QTest::newRow("AM with blanks")
            << QByteArray("FM_AM= A \n") << With([](Expected& e) { e.mode = "A"; });
        QTest::newRow("lower-case a is FM") << QByteArray("FM_AM=a\n") << Expected{};
        QTest::newRow("AM spelled out is FM") << QByteArray("FM_AM=AM\n") << Expected{};
        QTest::newRow("inner space")
            << QByteArray("MHZ=1 45.5\n") << With([](Expected& e) { e.start = 145.5; });
        QTest::newRow("MHZ=0") << QByteArray("MHZ=0\n") << Expected{};
        QTest::newRow("MHZ=-3") << QByteArray("MHZ=-3\n")
                                << With([](Expected& e) { e.start = 0.1; });
        QTest::newRow("MHZ=0.05") << QByteArray("MHZ=0.05\n")
                                  << With([](Expected& e) { e.start = 0.1; });
        QTest::newRow("MHZ=2100 span 1")
            << QByteArray("MHZ=2100\n") << With([](Expected& e) { e.start = 2035; });
        QTest::newRow("MHZ=2100 span 8") << QByteArray("MHZ=2100\nSPAN=8\n")
                                         << With([](Expected& e) { e.start = 2028, e.span = 8; });
        QTest::newRow("MHZ=2030 span 1")
            << QByteArray("MHZ=2030\n") << With([](Expected& e) { e.start = 2030; });
        QTest::newRow("MHZ=2030 span 8") << QByteArray("MHZ=2030\nSPAN=8\n")
                                         << With([](Expected& e) { e.start = 2028, e.span = 8; });
        QTest::newRow("comma decimal") << QByteArray("MHZ=145,5\n") << Expected{};
        QTest::newRow("SPAN=7.6") << QByteArray("SPAN=7.6\n")
                                  << With([](Expected& e) { e.span = 8; });
        QTest::newRow("SPAN=7.5") << QByteArray("SPAN=7.5\n")
                                  << With([](Expected& e) { e.span = 8; });
        QTest::newRow("SPAN=8.5") << QByteArray("SPAN=8.5\n")
                                  << With([](Expected& e) { e.span = 8; });
        QTest::newRow("SPAN=2") << QByteArray("SPAN=2\n") << Expected{};
        QTest::newRow("COLOR=2.5")
            << QByteArray("COLOR=2.5\n") << With([](Expected& e) { e.color = 2; });
        QTest::newRow("COLOR=3.5") << QByteArray("COLOR=3.5\n") << Expected{};
        QTest::newRow("COLOR=-1") << QByteArray("COLOR=-1\n") << Expected{};
        QTest::newRow("GRID=1.5") << QByteArray("GRID=1.5\n") << Expected{};
        QTest::newRow("PAUSE=99") << QByteArray("PAUSE=99\n")
                                  << With([](Expected& e) { e.pause = 99; });
        QTest::newRow("PAUSE=50") << QByteArray("PAUSE=50\n") << Expected{};
        QTest::newRow("PAUSE=-5") << QByteArray("PAUSE=-5\n")
                                  << With([](Expected& e) { e.pause = -5; });
        QTest::newRow("PAUSE=0.5") << QByteArray("PAUSE=0.5\n") << Expected{};
        QTest::newRow("COM=0") << QByteArray("COM=0\n") << Expected{};
        QTest::newRow("COM=-2") << QByteArray("COM=-2\n") << With([](Expected& e) { e.com = -2; });
        QTest::newRow("hex port") << QByteArray("COM=&H10\n")
                                  << With([](Expected& e) { e.com = 16; });
        QTest::newRow("later line wins")
            << QByteArray("COM=2\nCOM=5\n") << With([](Expected& e) { e.com = 5; });
        QTest::newRow("first occurrence in a line")
            << QByteArray("COM=2 COM=5\n") << With([](Expected& e) { e.com = 2; });
        QTest::newRow("last line without LF")
            << QByteArray("GRID=1\nCOLOR=3") << With([](Expected& e) { e.grid = 1, e.color = 3; });
        QTest::newRow("CR LF line ends") << QByteArray("SPAN=8\r\nGRID=1\r\n")
                                         << With([](Expected& e) { e.span = 8, e.grid = 1; });
        QTest::newRow("shared line runs on")
            << QByteArray("SPAN=8 MHZ=150\n")
            << With([](Expected& e) { e.span = 8, e.start = 150; });
        QTest::newRow("shared line, mode first")
            << QByteArray("FM_AM=A SPAN=8\n") << With([](Expected& e) { e.span = 8; });
        // CR alone ends no line: one line, its values running on into the next keys.
        QTest::newRow("CR-only line ends")
            << QByteArray("FM_AM=A\rGRID=1\r") << With([](Expected& e) { e.grid = 1; });
        QTest::newRow("tab stays in the value")
            << QByteArray("MHZ=\t150\n") << With([](Expected& e) { e.start = 150; });
        QTest::newRow("UTF-16 file") << Utf16("SPAN=8\r\nMHZ=150\r\n") << Expected{};
        QTest::newRow("unknown lines ignored")
            << QByteArray("[radio]\n# MHZ 150\nGRID=1\n") << With([](Expected& e) { e.grid = 1; });
        QTest::newRow("sharp s is not upper-cased")
            << QByteArray("\xdfMHZ=150\n") << With([](Expected& e) { e.start = 150; });
        QTest::newRow("long line") << QByteArray(100000, 'x') + "COLOR=1" + QByteArray(50000, ' ')
                                   << With([](Expected& e) { e.color = 1; });
        QTest::newRow("device without COM") << QByteArray("DEVICE=/dev/ttyUSB0\n")
                                            << With([](Expected& e) { e.device = "/dev/ttyUSB0"; });
        QTest::newRow("device keeps case, COM read too")
            << QByteArray("COM=4\ndevice=/dev/serial/by-id/usb-FTDI_Cable\n")
            << With([](Expected& e) { e.com = 4, e.device = "/dev/serial/by-id/usb-FTDI_Cable"; });
    }

    void readsAndValidates() {
        QFETCH(QByteArray, file);
        QFETCH(Expected, expected);
        RecordingPanel panel;
        const State state = Load(file, panel);
        QCOMPARE(state.ModeLetter, expected.mode);
        QCOMPARE(int(state.SpanMHz), expected.span);
        QCOMPARE(state.StartMHz, expected.start);
        QCOMPARE(int(state.GridOn), expected.grid);
        QCOMPARE(int(state.ClearAtStart), expected.clear);
        QCOMPARE(int(state.ComPort), expected.com);
        QCOMPARE(int(state.ColorIndex), expected.color);
        QCOMPARE(int(state.PauseSeconds), expected.pause);
        QCOMPARE(state.DevicePath, expected.device);
        QCOMPARE(panel.selectedMode, expected.mode == "A" ? 2 : 1);
        QCOMPARE(panel.selectedSpan, expected.span == 8 ? 4 : 3);
        QCOMPARE(int(panel.checks.value(1)), expected.clear);
        QCOMPARE(int(panel.checks.value(2)), expected.grid);
    }

    void selectsControlsInOrder() {
        RecordingPanel panel;
        Load("FM_AM=A\nSPAN=8\nGRID=1\n", panel);
        QCOMPARE(panel.calls, QStringList({"SelectOption 2", "SelectOption 4", "SetCheckValue 1 0",
                                           "SetCheckValue 2 1"}));
    }

    void garbageNeverCrashes() {
        QRandomGenerator random(20261206);
        for (int round = 0; round < 50; ++round) {
            QByteArray bytes(4096, '\0');
            for (char& c : bytes) {
                c = char(random.bounded(256));
            }
            RecordingPanel panel;
            try {
                const State state = Load(bytes, panel);
                QVERIFY(state.SpanMHz == 1 || state.SpanMHz == 8);
                QVERIFY(state.StartMHz >= 0.1 && state.StartMHz + state.SpanMHz <= 2036.0);
                QVERIFY(state.ColorIndex >= 0 && state.ColorIndex <= 3);
            } catch (const nerimo::StartupError&) {
                // A value too large for its key is a reported fault, not a crash.
            }
        }
    }

    void missingOrUncreatableFileGivesDefaults_data() {
        QTest::addColumn<int>("outcome");
        QTest::newRow("created") << int(Outcome::Created);
        QTest::newRow("folder read-only") << int(Outcome::NotCreated);
    }

    void missingOrUncreatableFileGivesDefaults() {
        QFETCH(int, outcome);
        RecordingPanel panel;
        const State state = Load({}, panel, Outcome(outcome));
        QCOMPARE(state.StartMHz, 145.0);
        QCOMPARE(int(state.ComPort), 1);
        QCOMPARE(panel.selectedSpan, 3);
    }

    void fatalFaultsNameTheirCause_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("named");
        QTest::newRow("COM=40000") << QByteArray("COM=40000\n") << int(Outcome::Read) << "COM=";
        QTest::newRow("PAUSE=-1E9") << QByteArray("PAUSE=-1E9\n") << int(Outcome::Read) << "PAUSE=";
        QTest::newRow("unreadable")
            << QByteArray() << int(Outcome::Unreadable) << "/opt/nerimo/Nerimo.ini";
    }

    void fatalFaultsNameTheirCause() {
        QFETCH(QByteArray, file);
        QFETCH(int, outcome);
        QFETCH(QString, named);
        RecordingPanel panel;
        try {
            Load(file, panel, Outcome(outcome));
            QFAIL("start-up was not abandoned");
        } catch (const nerimo::StartupError& error) {
            QVERIFY2(error.Message().contains(named), qPrintable(error.Message()));
        }
    }

    void pathIsBesideTheProgram() {
        FakeFileAccess files;
        RecordingPanel panel;
        State state;
        state.ProgramName = QStringLiteral("Nerimo");
        nerimo::LoadSettings(state, QStringLiteral("/opt/nerimo"), files, panel);
        QCOMPARE(files.pathsRead, QStringList{"/opt/nerimo/Nerimo.ini"});
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
