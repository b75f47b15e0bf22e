#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>

#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>

#include "Rig.h"
#include "SensorRig.h"
#include "TestBroker.h"

using namespace nerimo::testing;

// The real program as a user meets it, each case one start of it (two for the single copy).
class DesktopTest : public QObject {
    Q_OBJECT

    QTemporaryDir session_;  // shared by the copies: their lock lives here

  private slots:
    void initTestCase() {
        QVERIFY(QFile::setPermissions(session_.path(), QFile::Permissions(0x7777)));
    }

    // A sweep with a pause on its signal, seen on the screen, also while unmapped; a second copy;
    // a stop; click-to-tune with AM and 8 MHz chosen; a sweep of the new span; the close button in
    // its pause.
    void sweepStopTuneAndSweepAgain() {
        DesktopRig rig(session_.path());
        rig.Start("PAUSE=3", "145.1 1 12\n");
        QCOMPARE(Count(rig.Shot(), kStatus, kGreen, true), 0);
        // The line as the program set it: 4800 baud, 8 data bits, no parity, 2 stop bits, RTS/CTS.
        const int fd = ::open(rig.Path("receiver").toLocal8Bit().constData(), O_RDONLY | O_NOCTTY);
        termios line{};
        QVERIFY(fd >= 0 && ::tcgetattr(fd, &line) == 0 && ::close(fd) == 0);
        QCOMPARE(::cfgetospeed(&line), speed_t(B4800));
        QCOMPARE(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS),
                 tcflag_t(CS8 | CSTOPB | CRTSCTS));

        rig.ClickAt(kStartStop);
        QVERIFY(rig.WaitForCommand(SweepCommand(1), 2000));
        // Hidden, as a desktop hides a minimised window, while the signal is swept.
        const QString window = Windows().value(0);
        Xdotool({"windowunmap", "--sync", window});
        QVERIFY(rig.WaitForCommand(SweepCommand(12), 8000));
        Xdotool({"windowmap", "--sync", window});
        QImage shot;
        QVERIFY(QTest::qWaitFor(
            [&] { return (shot = rig.Shot()).pixelColor(StepPoint(8, 12)) == kGreen; }, 2000));
        QVERIFY(Count(shot, kStartStopFace, kRed) > 200);  // the stop button
        QVERIFY(Count(shot, kStatus, kGreen, true) > 10);  // "scan"
        QCOMPARE(shot.pixelColor(StepPoint(8, 12)), kGreen);
        QCOMPARE(shot.pixelColor(StepPoint(4, 0)), kGreen);
        QCOMPARE(shot.pixelColor(StepPoint(4, 12)), kGridGrey);
        QCOMPARE(shot.pixelColor(StepPoint(30, 0)), kGridGrey);  // not yet
        QCOMPARE(shot.pixelColor(StepPoint(4, 12) + QPoint(3, 3)), kBlack);

        // A second copy on the same receiver ends at once and brings the first to the top, out
        // from under another program's window; the first keeps its port and its sweep. A second
        // survey ends too, with status 3, no receiver, for the script that started it. Both have
        // temporary folders of their own, as a service with a private /tmp has.
        QProcess cover;
        cover.start(
            "display",
            {"-geometry", QStringLiteral("+%1+%2").arg(rig.origin.x()).arg(rig.origin.y()), "-size",
             QStringLiteral("%1x%2")
                 .arg(nerimo::kWindowSize.width())
                 .arg(nerimo::kWindowSize.height()),
             "xc:blue"});
        QVERIFY(
            QTest::qWaitFor([&] { return Count(rig.Shot(), kStatus, Qt::blue) > 1000; }, 10000));
        const QTemporaryDir privateTmp;
        QFile::setPermissions(privateTmp.path(), QFile::Permissions(0x7777));
        DesktopRig second(session_.path());
        second.StartProgram(std::nullopt, false, {"--device", rig.Path("receiver")});
        second.CheckCleanEnd();
        QVERIFY(QTest::qWaitFor([&] { return Count(rig.Shot(), kStatus, Qt::blue) == 0; }, 2000));
        cover.kill();
        cover.waitForFinished();
        QVERIFY(second.Errors().contains(
            "Nerimo: Nerimo is already running on this receiver; this copy ends."));
        Rig survey(privateTmp.path());
        survey.StartProgram("DEVICE=" + rig.Path("receiver").toLocal8Bit(), false,
                            {"--headless", "--log", survey.Path("log")});
        QVERIFY(survey.Ended(10000));
        QCOMPARE(survey.program.exitCode(), 3);
        QVERIFY2(
            survey.Errors().contains("Nerimo: Nerimo is already running on " +
                                     rig.Path("receiver").toLocal8Bit() + "; this survey ends."),
            survey.Errors().constData());
        QVERIFY(!QFile::exists(survey.Path("log")));
        QCOMPARE(Windows().size(), 1);
        QVERIFY(rig.WaitForCommand(SweepCommand(int(rig.Log().size()) + 1), 2000));
        // A copy on another receiver of the same machine is a copy of its own: it opens its
        // window and sweeps beside the first, which sweeps on.
        {
            DesktopRig other(session_.path());
            other.Start({}, "145.5 12.5 14\n");
            QCOMPARE(Windows().size(), 2);
            other.ClickAt(kStartStop);
            QVERIFY(other.WaitForCommand(SweepCommand(2), 5000));
            QVERIFY(rig.WaitForCommand(SweepCommand(int(rig.Log().size()) + 1), 2000));
        }
        QVERIFY(QTest::qWaitFor([] { return Windows().size() == 1; }, 5000));

        rig.ClickAt(kStartStop);
        // The panel idle at once, and the finishing step's segment drawn: the last command sent.
        const qsizetype sent = rig.Log().size();
        QVERIFY(QTest::qWaitFor(
            [&] {
                shot = rig.Shot();
                return Count(shot, kStartStopFace, kGreen) > 200 &&
                       shot.pixelColor(StepPoint(int(sent) - 1, 0)) == kGreen;
            },
            2000));
        QCOMPARE(Count(shot, kStatus, kGreen, true) + Count(shot, kStatus, kRed, true), 0);
        QCOMPARE(rig.Log().size(), sent);
        for (qsizetype i = 0; i < sent; ++i) {
            QCOMPARE(rig.Log()[i], SweepCommand(int(i)));
        }

        // AM and 8 MHz chosen: the read-out and a click follow them at once.
        rig.ClickAt({296, 80});
        rig.ClickAt({472, 80});
        rig.PointAt(kPlot + QPoint(40, 100));
        rig.PointAt(kPlot + QPoint(45, 100));
        QVERIFY(QTest::qWaitFor(
            [&] {
                return Count(rig.Shot(), {352, 504, 145, 25}, kGreen, true) > 10;
            },
            2000));
        rig.ClickAt(kPlot + QPoint(45, 100));
        QVERIFY(rig.WaitForCommand("145.0125A", 2000));
        QCOMPARE(rig.Log().size(), sent + 1);  // nothing after the finishing step but the click

        // The next run sweeps 8 MHz in AM, one pixel per step; " X" in its pause ends it at once.
        rig.ClickAt(kStartStop);
        QVERIFY(rig.WaitForCommand(SweepCommand(8, 'A'), 3000));
        QVERIFY(QTest::qWaitFor([&] { return Count(shot = rig.Shot(), kStatus, kRed, true) > 10; },
                                2000));                       // "pause"
        QCOMPARE(shot.pixelColor(StepPoint(1, 12)), kGreen);  // step 8 of 8 MHz, 1 pixel a step
        QCOMPARE(shot.pixelColor(StepPoint(8, 12)), kGridGrey);
        rig.ClickAt(kClose);
        QVERIFY(QTest::qWaitFor([&] { return Windows().isEmpty(); }, 1000));  // not after it
        rig.CheckCleanEnd();
        QCOMPARE(rig.Log().last(), SweepCommand(8, 'A'));
    }

    // A device missing at start-up: its message comes before the window, the run says "no
    // receiver", and once the device is there the sweep measures.
    void missingDeviceThatAppears() {
        DesktopRig rig(session_.path());
        rig.StartProgram("GRID=1\nDEVICE=" + rig.Path("receiver").toLocal8Bit());
        QVERIFY(QTest::qWaitFor([&] { return Windows().size() == 1; }, 10000));
        QVERIFY(QTest::qWaitFor([&] { return rig.Errors().contains("No such file"); }, 5000));
        QVERIFY(!rig.StartShown());  // the message stands alone
        QVERIFY(rig.Errors().contains(("Nerimo: " + rig.Path("receiver")).toLocal8Bit()));
        const QStringList box = Windows();
        QVERIFY(!box.isEmpty());
        Xdotool({"windowfocus", "--sync", box.first()});
        Xdotool({"key", "Return"});
        QVERIFY(QTest::qWaitFor([&] { return rig.StartShown(); }, 10000));
        // The receiver panel over the plot says the same, and stays.
        const QRect panel(kPlot + QPoint(320, 15), QSize(380, 40));
        QVERIFY(Count(rig.Shot(), panel, nerimo::kPanelGrey) > 5000);
        rig.Shot().save(QStringLiteral(NERIMO_BUILD_DIR "/receiver-panel.png"));
        rig.ClickAt(kStartStop);
        QVERIFY(QTest::qWaitFor([&] { return Count(rig.Shot(), kStatus, kRed, true) > 10; },
                                2000));  // "no receiver"
        QVERIFY(Count(rig.Shot(), panel, nerimo::kPanelGrey) > 5000);

        rig.StartReceiver("145.5 2000 9\n");  // a signal over the whole span
        QVERIFY(QTest::qWaitFor([&] { return rig.Log().size() >= 3; }, 4000));
        const QImage shot = rig.Shot();
        QVERIFY(Count(shot, kStatus, kGreen, true) > 10);  // "scan"
        QVERIFY(Count(shot, QRect(kPlot + QPoint(44, 3), QSize(641, 300)), kGreen) > 0);
        QCOMPARE(Count(shot, panel, nerimo::kPanelGrey), 0);  // the panel gone with the trouble
        rig.ClickAt(kClose);
        rig.CheckCleanEnd();
        QVERIFY(rig.Errors().contains(" is back."));
        QCOMPARE(rig.Errors().count("No such file"), 1);  // one message only
    }

    // The window, ended by SIGTERM in its pause, ends at once as " X" does, and lets the port
    // go. A survey started while another program holds the port (its lock file, as a terminal
    // program takes it) is told so, gets the port at its next try once it is free, and sweeps;
    // SIGHUP ends that one too.
    void endedBySignalFreesThePort() {
        DesktopRig rig(session_.path());
        rig.Start("PAUSE=3", "145.1 1 12\n");
        rig.ClickAt(kStartStop);
        QVERIFY(rig.WaitForCommand(SweepCommand(8), 5000));
        QVERIFY(QTest::qWaitFor([&] { return Count(rig.Shot(), kStatus, kRed, true) > 10; },
                                2000));  // in its pause
        rig.program.terminate();
        rig.CheckCleanEnd(1000);
        const qsizetype sent = rig.Log().size();

        QLockFile heldElsewhere(QStringLiteral("/var/lock/LCK..") +
                                QString(rig.Path("receiver")).replace('/', '_'));
        QVERIFY(heldElsewhere.tryLock(0));
        QTemporaryDir otherSession;
        Rig other(otherSession.path());
        other.StartProgram(std::nullopt, false,
                           {"--headless", "--wait-for-receiver", "--log", other.Path("sweeps.csv"),
                            "--device", rig.Path("receiver")});
        QVERIFY2(
            QTest::qWaitFor(
                [&] { return other.Errors().contains("Another program is using the port"); }, 5000),
            other.Errors().constData());
        heldElsewhere.unlock();
        // Two commands: the first step has been read, and the survey measured.
        QVERIFY(QTest::qWaitFor([&] { return rig.Log().size() > sent + 1; }, 5000));
        // Its standard error is read on a later turn of the event loop than the receiver's log.
        QVERIFY(QTest::qWaitFor([&] { return other.Errors().contains(" is back."); }, 1000));
        ::kill(other.program.processId(), SIGHUP);
        other.CheckCleanEnd(3000);
    }

    // 200 kB/s of random bytes, each burst ending with the level of the tuned frequency; the
    // adapter unplugged at the command after the twelfth answer and plugged in again 1 s later.
    void floodingReceiverUnpluggedAndBack() {
        DesktopRig rig(session_.path());
        rig.Start("CLEAR_SCREEN=0", "145.1 1 12\n145.375 1 12\n",
                  {"--flood", "200000", "--hangup-after", "12", "--replug-after", "1"});
        QTest::qWait(1000);  // the line fills while nobody reads it
        rig.ClickAt(kStartStop);
        QVERIFY(rig.WaitForCommand(SweepCommand(12), 4000));
        // Gone: "no receiver", and the step after it plotted at level 0.
        QImage shot;
        QVERIFY(QTest::qWaitFor(
            [&] {
                shot = rig.Shot();
                return Count(shot, kStatus, kRed, true) > 10 &&
                       shot.pixelColor(StepPoint(13, 0)) == kGreen;
            },
            2000));
        QCOMPARE(shot.pixelColor(StepPoint(8, 12)), kGreen);  // decoded from the last letter
        for (int step : {2, 3, 4, 5, 13}) {
            QCOMPARE(shot.pixelColor(StepPoint(step, 0)), kGreen);  // junk, CR LF: level 0
        }
        QVERIFY(Count(shot, kStatus, kRed, true) > 10);  // "no receiver"
        // The dead port was closed at its first error: no error loop keeps the processor busy.
        const std::optional<double> before = ProcessorSeconds(rig.program.processId());
        QTest::qWait(1000);  // the processor it takes, over a second
        QVERIFY(*ProcessorSeconds(rig.program.processId()) - *before < 0.3);

        // Back: the signal further on is measured again, and the status says "scan".
        QVERIFY(rig.WaitForCommand(SweepCommand(31), 5000));
        // The step is repainted inside the next step's wait, just after that command.
        QVERIFY(QTest::qWaitFor(
            [&] { return (shot = rig.Shot()).pixelColor(StepPoint(30, 12)) == kGreen; }, 2000));
        QVERIFY(Count(shot, kStatus, kGreen, true) > 10);
        rig.ClickAt(kStartStop);
        QVERIFY(QTest::qWaitFor([&] { return rig.StartShown(); }, 1000));
        rig.ClickAt(kClose);
        rig.CheckCleanEnd();
    }

    // Through Hamlib's rigctl model (RIG=2) to the band served as rigctld would: the strength
    // read once at the open, then a whole sweep, each step the frequency set, then, after the
    // wait, the strength read; a log that cannot be written stops with a message that does not
    // hold the sweep up; the server killed and started again; then a server that stops
    // answering.
    void aRadioOverRigctld() {
        DesktopRig rig(session_.path());
        const QByteArray port = rig.StartRigctld("145.5 12.5 14\n");
        rig.StartProgram("GRID=1\nRIG=2\nDEVICE=127.0.0.1:" + port, false, {"--log", "/dev/full"});
        QVERIFY(QTest::qWaitFor([&] { return rig.StartShown(); }, 10000));
        rig.ClickAt(kStartStop);
        // A whole sweep takes some 15 s; a busy machine can stretch Hamlib's steps by half.
        QVERIFY(QTest::qWaitFor([&] { return rig.Log().count("145.0000N") == 2; }, 60000));
        QVERIFY(QTest::qWaitFor([&] { return rig.Log().size() > 2 * 83 + 1; }, 2000));
        QVERIFY(rig.Errors().contains("/dev/full cannot be written (No space left on device)"));
        QCOMPARE(rig.Shot().pixelColor(StepPoint(40, 14)), kGreen);
        QFile file(rig.Path("log"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.value(0).split(' ').value(1), QByteArray("STRENGTH"));
        for (int step = 0; step <= 80; ++step) {
            const QList<QByteArray> tuned = lines.value(2 * step + 1).split(' ');
            const QList<QByteArray> read = lines.value(2 * step + 2).split(' ');
            QCOMPARE(tuned.value(1), SweepCommand(step));
            QCOMPARE(read.value(1), QByteArray("STRENGTH"));
            QVERIFY(read.value(0).toDouble() - tuned.value(0).toDouble() > 0.15);
        }

        // The server killed: level 0 and "no receiver", and one line; started again: measured.
        rig.receiver.kill();
        QVERIFY(rig.receiver.waitForFinished());
        QVERIFY(QTest::qWaitFor([&] { return Count(rig.Shot(), kStatus, kRed, true) > 10; },
                                2000));  // "no receiver"
        QVERIFY(QTest::qWaitFor([&] { return rig.Errors().contains(" is gone ("); }, 1000));
        QCOMPARE(rig.Errors().count(" is gone ("), 1);
        rig.StartRigctld("145.5 12.5 14\n", port);
        // The server logs the read before the program has its answer and says so.
        QVERIFY(QTest::qWaitFor([&] { return rig.Errors().contains(" is back."); }, 4000));
        QVERIFY(rig.Log().contains("STRENGTH"));

        // A server that stops answering holds nothing up: stop and " X" act within 1 s.
        ::kill(rig.receiver.processId(), SIGSTOP);
        QTest::qWait(700);  // a call to it is under way, and waits
        rig.ClickAt(kStartStop);
        QVERIFY(QTest::qWaitFor([&] { return rig.StartShown(); }, 1000));
        rig.ClickAt(kClose);
        QVERIFY(QTest::qWaitFor([&] { return Windows().isEmpty(); }, 1000));
        rig.CheckCleanEnd();
        ::kill(rig.receiver.processId(), SIGCONT);
        QVERIFY(!rig.Errors().contains("No such"));
    }

    // SIGTERM while Hamlib's worker is held by a radio that does not answer ends the program
    // within 1.5 s, and the next copy starts at once, not told that one is already running: a
    // rigctld address that takes no connection (its listen queue full, so a connect hangs), and
    // a serial radio whose open waits out every time-out (an Icom on a line with no radio).
    void closesWhateverTheRadioDoes_data() {
        QTest::addColumn<bool>("rigctld");
        QTest::newRow("rigctld whose queue is full") << true;
        QTest::newRow("serial radio that answers nothing") << false;
    }
    void closesWhateverTheRadioDoes() {
        QFETCH(bool, rigctld);
        const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        auto* place = reinterpret_cast<sockaddr*>(&address);
        QVERIFY(::bind(server, place, size) == 0 && ::listen(server, 0) == 0 &&
                ::getsockname(server, place, &size) == 0);
        std::vector<int> queued;
        for (int i = 0; i < 3; ++i) {
            queued.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
            ::connect(queued.back(), place, size);
        }
        DesktopRig rig(session_.path());
        QByteArray settings =
            "RIG=2\nDEVICE=127.0.0.1:" + QByteArray::number(ntohs(address.sin_port));
        if (!rigctld) {
            rig.StartReceiver("145.5 12.5 9\n");
            settings = "RIG=3073\nDEVICE=" + rig.Path("receiver").toLocal8Bit();
        }
        rig.StartProgram(settings);
        QVERIFY(QTest::qWaitFor([&] { return !Windows().isEmpty(); }, 10000));
        QElapsedTimer closing;
        closing.start();
        rig.program.terminate();
        QVERIFY(rig.Ended(1500));
        qInfo("gone %lld ms after SIGTERM", closing.elapsed());
        rig.CheckCleanEnd();
        Rig next(session_.path(), "offscreen");
        next.StartProgram(settings);
        QVERIFY(!next.Ended(2000));
        QVERIFY(!next.Errors().contains("already running"));
        for (const int fd : queued) {
            ::close(fd);
        }
        ::close(server);
    }

    // A log whose two hops of one sweep lie 8 GHz apart at a step of 1 Hz, read into the history
    // at the start: refused with its line and why, the window up, and ended by SIGTERM at once.
    void aLogThatAsksForTooMuch() {
        DesktopRig rig(session_.path());
        rig.Write("hops.csv",
                  "2026-12-07, 10:20:30, 100000000, 100000001, 1, 1, -40, -41\n"
                  "2026-12-07, 10:20:30, 8100000000, 8100000001, 1, 1, -40, -41\n");
        rig.StartReceiver("145.5 12.5 9\n");
        rig.StartProgram("DEVICE=" + rig.Path("receiver").toLocal8Bit(), false,
                         {"--log", rig.Path("hops.csv")});
        QVERIFY(QTest::qWaitFor([&] { return !Windows().isEmpty(); }, 10000));
        QVERIFY(QTest::qWaitFor(
            [&] {
                return rig.Errors().contains(
                    "hops.csv cannot be read: line 2: its sweep, from 100,000,000 Hz on at a step "
                    "of 1 Hz, would be more than 1,000,000 columns");
            },
            5000));
        QElapsedTimer ending;
        ending.start();
        rig.program.terminate();
        QVERIFY(rig.Ended(1000));
        qInfo("gone %lld ms after SIGTERM", ending.elapsed());
        rig.CheckCleanEnd();
    }

    // Hamlib's own dummy radio served by the real rigctld: the program sweeps it, and its
    // frequency, read back by rigctl, follows the steps.
    void theDummyRadioOfRigctld() {
        QTcpServer probe;  // a free port
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const QString port = QString::number(probe.serverPort());
        probe.close();
        DesktopRig rig(session_.path());
        rig.receiver.start("rigctld", {"-m", "1", "-T", "127.0.0.1", "-t", port});
        QVERIFY(rig.receiver.waitForStarted());
        QVERIFY(QTest::qWaitFor(
            [&] {
                QTcpSocket socket;
                socket.connectToHost(QHostAddress::LocalHost, port.toUShort());
                return socket.waitForConnected(100);
            },
            5000));
        rig.StartProgram("RIG=2\nDEVICE=127.0.0.1:" + port.toLatin1());
        QVERIFY(QTest::qWaitFor([&] { return rig.StartShown(); }, 10000));
        rig.ClickAt(kStartStop);
        // The radio's frequency as rigctl reads it back: within the span, and moving up it.
        const auto tuned = [&] {
            QProcess rigctl;
            rigctl.start("rigctl", {"-m", "2", "-r", "127.0.0.1:" + port, "f"});
            rigctl.waitForFinished(5000);
            return rigctl.readAllStandardOutput().trimmed().toDouble();
        };
        double first = 0;
        QVERIFY(QTest::qWaitFor([&] { return (first = tuned()) > 145e6; }, 5000));
        QVERIFY2(first <= 146e6, qPrintable(QString::number(first)));
        double later = 0;
        QVERIFY(QTest::qWaitFor([&] { return (later = tuned()) > first; }, 5000));
        QVERIFY2(later <= 146e6, qPrintable(QString::number(later)));
        rig.ClickAt(kClose);
        rig.CheckCleanEnd();
        QVERIFY2(!rig.Errors().contains("receiver at"), rig.Errors().constData());
    }

    // A named step's read-out, at the pointer, whole: the frequency and a long name drawn in the
    // scale strip's free width, far beyond where a label of the frequency's width would cut it.
    void readoutNamesTheStepWhole() {
        DesktopRig rig(session_.path());
        rig.StartReceiver("145.1 1 12\n");
        rig.Write("bookmarks.csv",
                  "# Frequency ; Name ; Modulation ; Bandwidth ; Tags\n"
                  "145300000 ; Repeater R6, Hilltop ; Narrow FM ; 10000 ; \n");
        rig.StartProgram("MHZ=145\nSPAN=1\nDEVICE=" + rig.Path("receiver").toLocal8Bit(), false,
                         {"--bookmarks", rig.Path("bookmarks.csv")});
        QVERIFY(QTest::qWaitFor([&] { return rig.StartShown(); }, 10000));
        const QPoint step = StepPoint(24, 8);  // 145.3000 MHz
        rig.PointAt(step - QPoint(20, 0));
        rig.PointAt(step);
        const QRect readout = nerimo::kReadoutPlace;
        QImage shot;
        const auto inkIn = [&](int from, int to) {
            return Count(shot, QRect(from, readout.top(), to - from, readout.height()), kGreen,
                         true);
        };
        // Ink from the frequency's start to the name's end, beyond both ends of a label of the
        // frequency's width.
        QVERIFY(QTest::qWaitFor(
            [&] {
                shot = rig.Shot();
                return inkIn(497, readout.right()) > 10;
            },
            2000));
        QVERIFY(inkIn(readout.left(), 352) > 10);
        rig.ClickAt(kClose);
        rig.CheckCleanEnd();
    }

    // "Receiver…" from the keyboard (Shift+F10, then its letter): another port and start typed
    // in, "Save as start-up settings" (Alt+V). The run goes on there at once, and the user's file
    // has the new values in their lines and every other byte as it was, which --check-settings
    // then reads without a warning.
    void savesTheStartUpSettings() {
        DesktopRig rig(session_.path());
        rig.Start("# the club's receiver, on the mast\r\nCOLOR=1  ; green\r\n", "145.1 1 12\n");
        QVERIFY(QFile::link(rig.Path("receiver"), rig.Path("other")));
        Xdotool({"windowfocus", "--sync", Windows().value(0)});
        Xdotool({"key", "shift+F10"});
        QVERIFY(QTest::qWaitFor([] { return Windows().size() == 2; }, 5000));  // the menu
        Xdotool({"key", "v"});
        QVERIFY(QTest::qWaitFor(
            [] {
                return !Xdotool({"search", "--onlyvisible", "--name", "^Receiver$"}).isEmpty();
            },
            5000));
        for (const QString& keys : {QStringLiteral("alt+p"), QStringLiteral("ctrl+a")}) {
            Xdotool({"key", keys});
        }
        Xdotool({"type", rig.Path("other")});
        Xdotool({"key", "alt+s"});
        Xdotool({"key", "ctrl+a"});
        Xdotool({"type", "146.5"});
        Xdotool({"key", "alt+v"});
        QByteArray written;
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         QFile file(rig.Path("Nerimo.ini"));
                         return file.open(QIODevice::ReadOnly) &&
                                (written = file.readAll()).contains("146.5");
                     },
                     5000),
                 written.constData());
        QCOMPARE(written,
                 "MHZ=146.5\nSPAN=1\nGRID=1\nCLEAR_SCREEN=1\n# the club's receiver, on "
                 "the mast\r\nCOLOR=1  ; green\r\n\nDEVICE=" +
                     rig.Path("other").toLocal8Bit());
        rig.ClickAt(kStartStop);
        QVERIFY(rig.WaitForCommand("146.5000N", 4000));
        QProcess check;
        check.start(rig.Path("nerimo"), {"--check-settings", "--settings", rig.Path("Nerimo.ini")});
        QVERIFY(check.waitForFinished(10000));
        const QByteArray report = check.readAllStandardOutput();
        QVERIFY2(check.exitCode() == 0 && report.contains("No warnings."), report.constData());
        QVERIFY(report.contains("146.5"));
        rig.ClickAt(kClose);
        rig.CheckCleanEnd();
    }

    // Started from a folder of its own, as another user: a settings file that cannot be read, or
    // a value outside 16 bits, ends start-up with a message and status 1; a folder where the file
    // cannot be created (an installed copy) takes it from the user's own folder, creating both.
    // And a killed copy leaves no lock behind.
    void settingsFileFaults_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<int>("folderMode");  // as QFile takes them
        QTest::addColumn<int>("fileMode");    // -1: no file
        QTest::addColumn<QString>("message");
        QTest::newRow("unreadable") << QByteArray("SPAN=8\n") << 0x7755 << 0
                                    << "Nerimo.ini cannot be read: Permission denied";
        QTest::newRow("outside 16 bits") << "COM=" + QByteArray(1000000, '9') << 0x7755 << 0x6644
                                         << "COM= the value " + QString(40, '9') + "..., which";
        QTest::newRow("read-only folder") << QByteArray() << 0x5555 << -1 << QString();
    }
    void settingsFileFaults() {
        QFETCH(QByteArray, settings);
        QFETCH(int, folderMode);
        QFETCH(int, fileMode);
        QFETCH(QString, message);
        Rig rig(session_.path(), "offscreen");
        if (fileMode >= 0) {
            rig.Write("Nerimo.ini", settings);
            QFile::setPermissions(rig.Path("Nerimo.ini"), QFile::Permissions(fileMode));
        }
        QFile::setPermissions(rig.dir.path(), QFile::Permissions(folderMode));
        const QString userFolder = session_.filePath(QStringLiteral("config"));
        QProcessEnvironment env = rig.program.processEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), userFolder);
        rig.program.setProcessEnvironment(env);
        // As another user where the permissions are what is tried.
        rig.StartProgram(std::nullopt, fileMode != 0x6644);
        if (fileMode >= 0) {
            QVERIFY(
                QTest::qWaitFor([&] { return rig.Errors().contains(message.toLatin1()); }, 10000));
            QVERIFY(rig.Ended(1000));
            QCOMPARE(rig.program.exitCode(), 1);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(userFolder + "/nerimo/Nerimo.ini"), 10000);
            QVERIFY(!rig.Ended(500));
            QVERIFY(!rig.Errors().contains("could not be created"));
            rig.program.kill();  // SIGKILL: its lock stays behind, and must not stop the next copy
            QVERIFY(rig.Ended(5000));
            Rig next(session_.path(), "offscreen");
            next.StartProgram(std::nullopt);
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(next.Path("Nerimo.ini")), 10000);
        }
    }

    // A window on another desk watching a sensor through a real broker: the sensor online in its
    // title and its last sweep drawn; killed, offline at once (its will); the broker restarted,
    // the window says it is away and is back by itself; ended by SIGTERM, status 0.
    void watchesARemoteSensor() {
        TestBroker broker;
        QVERIFY(broker.Start());
        const QString url = "mqtt://127.0.0.1:" + broker.port;
        SensorRig sensor({"--mqtt", url});
        Rig watcher(session_.path());
        watcher.StartProgram(std::nullopt, false, {"--watch", url});
        const QString name = "Nerimo: 1 sensor at 127.0.0.1:" + broker.port + ", %1 online%2";
        const auto title = [] {
            return QString::fromUtf8(Xdotool({"search", "--name", "^Nerimo: ", "getwindowname"}))
                .trimmed();
        };
        QTRY_COMPARE_WITH_TIMEOUT(title(), name.arg(1).arg(QString()), 15000);
        const QStringList place =
            QString::fromLatin1(
                Xdotool({"search", "--name", "^Nerimo: ", "getwindowgeometry", "--shell"}))
                .split('\n');
        const auto field = [&](const char* key) {
            return place.filter(QLatin1String(key) + '=').value(0).section('=', 1).toInt();
        };
        const QRect window(field("X"), field("Y"), field("WIDTH"), field("HEIGHT"));
        QTRY_VERIFY_WITH_TIMEOUT(
            Count(QGuiApplication::primaryScreen()
                      ->grabWindow(0, window.x(), window.y(), window.width(), window.height())
                      .toImage(),
                  QRect(0, window.height() / 2, window.width(), window.height() / 2),
                  Qt::green) > 50,
            10000);

        sensor.program.kill();
        QTRY_COMPARE_WITH_TIMEOUT(title(), name.arg(0).arg(QString()), 5000);
        broker.Stop();
        QTRY_COMPARE_WITH_TIMEOUT(title(), name.arg(0).arg(" (the broker is away)"), 5000);
        QVERIFY(broker.Start());
        QTRY_COMPARE_WITH_TIMEOUT(title(), name.arg(0).arg(QString()), 10000);
        watcher.program.terminate();
        QVERIFY(watcher.Ended(5000));
        QCOMPARE(watcher.program.exitCode(), 0);
    }

    // What a screen reader finds on the accessibility bus (a D-Bus session of the test's own, read
    // with pyatspi): every control that takes the focus named and described, the plot's summary;
    // and the status said in words as it changes: scan, the pause with its frequency and level,
    // and no receiver once the adapter is unplugged.
    void screenReaderHearsTheWindow() {
        QProcess bus;
        bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        QVERIFY(bus.waitForReadyRead(5000));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromLatin1(bus.readLine().trimmed()));
        env.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        DesktopRig rig(session_.path());
        QProcessEnvironment programEnv = rig.program.processEnvironment();
        for (const char* key : {"DBUS_SESSION_BUS_ADDRESS", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON"}) {
            programEnv.insert(QLatin1String(key), env.value(QLatin1String(key)));
        }
        rig.program.setProcessEnvironment(programEnv);
        rig.Start("PAUSE=1\n", "145.1 1 12\n", {"--hangup-after", "20"});
        const QString reader = QStringLiteral(NERIMO_SOURCE_DIR "/tests/program/atspi.py");
        QProcess tree;
        tree.setProcessEnvironment(env);
        tree.start(reader, {"tree", "nerimo"});
        QVERIFY(tree.waitForFinished(20000));
        const QStringList objects =
            QString::fromUtf8(tree.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        int focusable = 0;
        for (const QString& object : objects) {
            const QStringList fields = object.trimmed().split('|');
            if (fields.value(3) == "1") {
                ++focusable;
                QVERIFY2(!fields[0].isEmpty() && !fields[1].isEmpty() && !fields[2].isEmpty(),
                         qPrintable(object));
            }
        }
        QVERIFY2(focusable >= 12, qPrintable(objects.join('\n')));
        QVERIFY(objects
                    .filter(QRegularExpression("^ *canvas\\|Plot\\|The levels from 145.0000 MHz to "
                                               "146.0000 MHz\\."))
                    .size() == 1);
        QVERIFY(objects.filter(QRegularExpression("^ *push button\\|Close\\|")).size() == 1);

        QProcess names;
        names.setProcessEnvironment(env);
        names.start(reader, {"names", "nerimo", "12"});
        QVERIFY(names.waitForReadyRead(10000));  // listening
        rig.ClickAt(kStartStop);
        QVERIFY(names.waitForFinished(20000));
        const QString heard = QString::fromUtf8(names.readAllStandardOutput());
        qInfo("heard on the bus:\n%s", qPrintable(heard.split('\n').filter("Status").join('\n')));
        for (const char* said :
             {"label|Status: scan", "label|Status: pause at 145.1000 MHz, level 12",
              "label|Status: no receiver"}) {
            QVERIFY2(heard.contains(QLatin1String(said)), qPrintable(heard));
        }
        bus.kill();
        bus.waitForFinished();
    }

    // A session by the keys alone, as X delivers them (Tab round the controls, Space, the
    // plot's cursor keys, Enter, Ctrl+H, L, Ctrl+Q), and the same by the mouse: the same bytes
    // on the wire after the sweep's steps, the same lockout, a clean end.
    void keyboardSessionInX() {
        QByteArray tails[2];
        QByteArray lockouts[2];
        for (const bool keys : {true, false}) {
            DesktopRig rig(session_.path());
            rig.Start("GRID=1", "145.1 1 12\n");
            const QString window = Windows().value(0);
            Xdotool({"windowfocus", "--sync", window});
            const auto press = [](const QStringList& sequence) {
                for (const QString& key : sequence) {
                    Xdotool({"key", key});
                    QTest::qWait(100);
                }
            };
            const int x = nerimo::StepX(637, 1);  // 152.9625 MHz on the 8 MHz span
            const auto ringDots = [&] {           // the keys' dotted ring, above the plot
                const QImage shot = rig.Shot();
                int light = 0;
                for (int dot = 0; dot < 200; ++dot) {
                    light += shot.pixelColor(kPlot + QPoint(dot - 2, -2)).lightness() > 128;
                }
                return light;
            };
            if (keys) {                                             // the focus starts on "start"
                press({"Tab", "Tab", "Tab", "Tab", "Tab", "space",  // Grid
                       "Tab", "Tab", "Right",                       // 8 MHz
                       "Tab", "Tab", "Tab", "space"});              // start
            } else {
                rig.ClickAt({408, 48});  // Grid
                rig.ClickAt({492, 80});  // 8 MHz
                rig.ClickAt(kStartStop);
                QTest::qWait(300);
                QCOMPARE(ringDots(), 0);  // the focus passed on as "start" went, no ring
            }
            QVERIFY(QTest::qWaitFor([&] { return rig.Log().size() >= 5; }, 5000));
            if (keys) {  // "start" gone, the focus went on to the plot; then to "stop"
                press({"Tab", "Tab", "Tab", "space"});
            } else {
                rig.ClickAt(kStartStop);
            }
            QVERIFY(QTest::qWaitFor([&] { return rig.StartShown(); }, 5000));
            if (keys) {  // "stop" gone while the choices were off, the focus on "-"; to the plot
                press({"Tab", "Tab", "Tab"});
                QVERIFY(ringDots() > 30);
                press({"End", "Left", "Left", "Left", "Return", "ctrl+h"});
                QVERIFY(QTest::qWaitFor([] { return Windows().size() == 2; }, 5000));
                Xdotool({"windowfocus", "--sync", window});
                press({"l"});
            } else {
                rig.PointAt(kPlot + QPoint(x, 100));
                Xdotool({"click", "1"});
                rig.PointAt(kPlot + QPoint(x, 100));
                Xdotool({"click", "3"});
                QVERIFY(QTest::qWaitFor([] { return Windows().size() == 2; }, 5000));
                press({"l"});
            }
            QVERIFY(QTest::qWaitFor([&] { return QFile::exists(rig.Path("lockouts.csv")); }, 5000));
            // The sweep's steps, then what the session sent.
            const QList<QByteArray> sent = rig.Log();
            qsizetype step = 0;
            while (step < sent.size() && sent[step] == SweepCommand(int(step))) {
                ++step;
            }
            tails[keys] = sent.mid(step).join(' ');
            qInfo("%s: %lld steps of the sweep, then %s", keys ? "keys" : "mouse", step,
                  tails[keys].constData());
            QFile file(rig.Path("lockouts.csv"));
            QVERIFY(file.open(QIODevice::ReadOnly));
            lockouts[keys] = file.readAll();
            if (keys) {
                Xdotool({"windowfocus", "--sync", window});
                press({"ctrl+q"});
            } else {
                rig.ClickAt(kClose);
            }
            rig.CheckCleanEnd();
        }
        QCOMPARE(tails[true], tails[false]);
        QCOMPARE(tails[true], QByteArray("152.9625N"));
        QCOMPARE(lockouts[true], lockouts[false]);
        QCOMPARE(lockouts[true], QByteArray("Frequency_Hz\n152962500\n"));
    }

    // Scaled by 1.5 and by 2 on a laptop's 1366 x 768 screen: the whole window scaled as one,
    // fitted inside the screen (never cut off), its corners' controls on it.
    void fitsAScaledScreen_data() {
        QTest::addColumn<QString>("factor");
        QTest::newRow("1.5") << "1.5";
        QTest::newRow("2") << "2";
    }
    void fitsAScaledScreen() {
        QFETCH(QString, factor);
        const auto [display, screen] = StartXvfb("1366x768");
        QVERIFY(!display.isEmpty());
        const QString onScreen = QString::fromLatin1(display);
        DesktopRig rig(session_.path());
        QProcessEnvironment env = rig.program.processEnvironment();
        env.insert("DISPLAY", onScreen);
        env.insert("QT_SCALE_FACTOR", factor);
        rig.program.setProcessEnvironment(env);
        rig.StartReceiver("145.5 1 12\n");
        rig.StartProgram("DEVICE=" + rig.Path("receiver").toLocal8Bit());
        const auto onThatScreen = [&](const QStringList& arguments) {
            QProcess tool;
            QProcessEnvironment toolEnv = QProcessEnvironment::systemEnvironment();
            toolEnv.insert("DISPLAY", onScreen);
            tool.setProcessEnvironment(toolEnv);
            tool.start(arguments[0], arguments.mid(1));
            tool.waitForFinished(10000);
            return tool.readAllStandardOutput();
        };
        QRect window;
        QVERIFY(QTest::qWaitFor(
            [&] {
                const QList<QByteArray> lines =
                    onThatScreen({"xdotool", "search", "--onlyvisible", "--class", "nerimo",
                                  "getwindowgeometry", "--shell"})
                        .split('\n');
                const auto field = [&](const char* key) {
                    for (const QByteArray& line : lines) {
                        if (line.startsWith(QByteArray(key) + '=')) {
                            return line.mid(int(qstrlen(key)) + 1).toInt();
                        }
                    }
                    return 0;
                };
                window = QRect(field("X"), field("Y"), field("WIDTH"), field("HEIGHT"));
                return window.width() > 0;
            },
            10000));
        QTest::qWait(1000);  // drawn
        const QImage shot = QImage::fromData(onThatScreen({"import", "-window", "root", "png:-"}));
        qInfo("QT_SCALE_FACTOR=%s on 1366 x 768: the window %d x %d at %d, %d", qPrintable(factor),
              window.width(), window.height(), window.x(), window.y());
        QVERIFY(QRect(0, 0, 1366, 768).contains(window));
        QVERIFY(window.width() > 812 &&
                qAbs(window.width() * 541 - window.height() * 812) < 812 * 2);
        // " X" at the top right and the "menu" button at the bottom left, whole on the screen.
        const double scale = window.width() / 812.0;
        const auto place = [&](const QRect& control) {
            return QRect(window.topLeft() + control.topLeft() * scale, control.size() * scale)
                .adjusted(2, 2, -2, -2);
        };
        QVERIFY(Count(shot, place(nerimo::kCloseButtonPlace), QColor(255, 128, 128)) >
                nerimo::kCloseButtonPlace.width() * nerimo::kCloseButtonPlace.height() / 2);
        QVERIFY(Count(shot, place(nerimo::kPlotMenuButtonPlace), QColor(192, 192, 192)) >
                nerimo::kPlotMenuButtonPlace.width() * nerimo::kPlotMenuButtonPlace.height() / 2);
        rig.program.terminate();
        QVERIFY(rig.Ended(5000));
        ::kill(screen, SIGTERM);
        ::waitpid(screen, nullptr, 0);
    }

    // A long run for the sanitizer build (make test-asan): 2,000 steps and more of 8 MHz sweeps
    // with dwells, one signal coming and going, then " X", so the leak check runs at a normal end.
    void soak() {
        if (!qEnvironmentVariableIsSet("NERIMO_SOAK")) {
            QSKIP("the soak runs in make test-asan");
        }
        DesktopRig rig(session_.path());
        rig.Start("SPAN=8\nPAUSE=1", "145.3 25 9 6\n150.2 12.5 14\n");
        rig.ClickAt(kStartStop);
        QVERIFY(QTest::qWaitFor([&] { return rig.Log().size() > 641; }, 300000));
        const std::optional<double> afterFirstSweep = StatusKiB(rig.program.processId(), "VmRSS");
        QVERIFY(QTest::qWaitFor([&] { return rig.Log().size() >= 2000; }, 900000));
        const std::optional<double> atTheEnd = StatusKiB(rig.program.processId(), "VmRSS");
        qInfo("resident memory: %.0f KiB after the first sweep, %.0f KiB after %lld steps",
              *afterFirstSweep, *atTheEnd, qlonglong(rig.Log().size()));
        QVERIFY2(*atTheEnd - *afterFirstSweep < 4 * 1024, "resident memory grew");
        const QList<QByteArray> log = rig.Log();
        for (qsizetype i = 0; i < log.size(); ++i) {
            QCOMPARE(log[i], SweepCommand(int(i % 641)));
        }
        rig.ClickAt(kClose);
        rig.CheckCleanEnd();
    }
};

NERIMO_DESKTOP_TEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
