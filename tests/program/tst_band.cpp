#include "Palette.h"
#include "Rig.h"

using namespace nerimo::testing;

namespace {

const QColor kMagenta(255, 0, 255);  // the max hold's trace

QColor Viridis(int level) {
    return QColor::fromRgb(nerimo::Colours(nerimo::Palette::Viridis)[size_t(level * 255 / 16)]);
}

// The program's window with this title, as it stands on the screen; a null image before it is.
QImage WindowNamed(const QString& title) {
    const QByteArray id = Xdotool({"search", "--onlyvisible", "--name", title}).trimmed();
    return id.isEmpty() ? QImage()
                        : QGuiApplication::primaryScreen()->grabWindow(id.toULongLong()).toImage();
}

}  // namespace

// A band over time in the real window: two sweeps of a signal that moves, the max hold drawn
// beneath the live trace, and the history window's cells in the rows and colours of the levels;
// a lockout made on the plot.
class BandTest : public QObject {
    Q_OBJECT

    QTemporaryDir session_;

  private slots:
    void initTestCase() {
        QVERIFY(QFile::setPermissions(session_.path(), QFile::Permissions(0x7777)));
    }

    void twoSweepsOfAMovingSignal() {
        DesktopRig rig(session_.path());
        // Level 12 at step 20 for the first 20 s, then level 14 at step 60: with the sweep
        // started some 4 s in, the first sweep sees only the one, the second only the other.
        QElapsedTimer sinceReceiverStart;
        sinceReceiverStart.start();
        rig.StartReceiver("145.25 12.5 12 20\n145.75 12.5 14 -20\n");
        // Not cleared at each sweep's start, which would forget the holds.
        rig.StartProgram("MHZ=145\nSPAN=1\nGRID=0\nCLEAR_SCREEN=0\nDEVICE=" +
                         rig.Path("receiver").toLocal8Bit());
        QVERIFY(QTest::qWaitFor([&] { return rig.StartShown(); }, 10000));
        QTest::qWait(int(std::max<qint64>(0, 4000 - sinceReceiverStart.elapsed())));
        rig.ClickAt(kStartStop);
        // A click gives the plot the keyboard (while sweeping it tunes nothing); M: max hold.
        rig.ClickAt(kPlot + QPoint(20, 100));
        Xdotool({"key", "m"});

        // In the second sweep, past step 20: the live trace low, the max hold at the first
        // sweep's level beneath it.
        QVERIFY(QTest::qWaitFor([&] { return rig.Log().count(SweepCommand(22)) == 2; }, 40000));
        QVERIFY(QTest::qWaitFor(
            [&] { return rig.Shot().pixelColor(StepPoint(20, 12)) == kMagenta; }, 2000));
        const QImage plot = rig.Shot();
        QCOMPARE(plot.pixelColor(StepPoint(20, 0)), kGreen);
        QCOMPARE(plot.pixelColor(StepPoint(10, 12)), kBlack);

        // Both sweeps done: the history, newest on top, one row each.
        QVERIFY(QTest::qWaitFor([&] { return rig.Log().count(SweepCommand(1)) == 3; }, 30000));
        Xdotool({"key", "ctrl+h"});
        QImage shot;
        QPoint corner;  // the newest row's first cell: the top left pixel of the lowest level
        QVERIFY(QTest::qWaitFor(
            [&] {
                shot = WindowNamed("Nerimo history");
                for (int y = 0; y < shot.height(); ++y) {
                    for (int x = 0; x < shot.width(); ++x) {
                        if (shot.pixelColor(x, y) == Viridis(0)) {
                            corner = {x, y};
                            return true;
                        }
                    }
                }
                return false;
            },
            5000));
        int right = corner.x();  // the row's last cell, before the frame's grey
        while (shot.pixelColor(right + 1, corner.y()) != nerimo::kPanelGrey) {
            ++right;
        }
        const double cellWidth = (right - corner.x() + 1) / 81.0;
        const auto cellX = [&](int step) { return corner.x() + int((step + 0.5) * cellWidth); };
        int rowHeight = 0;
        while (shot.pixelColor(cellX(60), corner.y() + rowHeight) == Viridis(14)) {
            ++rowHeight;
        }
        QVERIFY(rowHeight >= 1);
        const auto cell = [&](int step, int row) {
            return shot.pixelColor(cellX(step), corner.y() + row * rowHeight + rowHeight / 2);
        };
        QCOMPARE(cell(20, 0), Viridis(0));
        QCOMPARE(cell(60, 0), Viridis(14));
        QCOMPARE(cell(20, 1), Viridis(12));
        QCOMPARE(cell(60, 1), Viridis(0));
        QCOMPARE(cell(40, 2), QColor(kBlack));  // no third row yet

        // The history window may lie over the main one; " X" is clicked on the main window.
        Xdotool({"search", "--onlyvisible", "--name", "^Nerimo$", "windowraise"});
        rig.ClickAt(kClose);
        rig.CheckCleanEnd();
    }

    // A right click on a signal's step and "Lock out 145.1000 MHz" from the menu, once it is open,
    // by its underlined letter:
    // the next sweep passes the signal without its pause, the lockout is in lockouts.csv beside
    // the settings file, and its tick on the scale strip is grey.
    void lockoutByRightClick() {
        DesktopRig rig(session_.path());
        rig.Start("PAUSE=3", "145.1 1 12\n");
        rig.ClickAt(kStartStop);
        QVERIFY(rig.WaitForCommand(SweepCommand(9), 10000));
        rig.PointAt(StepPoint(8, 3));
        Xdotool({"click", "3"});
        QVERIFY(QTest::qWaitFor([] { return Windows().size() == 2; }, 5000));  // the menu
        Xdotool({"key", "l"});
        QVERIFY(QTest::qWaitFor([&] { return rig.Log().count(SweepCommand(9)) == 2; }, 30000));
        // When the receiver took the tuning commands of the signal's step and the next.
        QList<double> signal;
        QList<double> next;
        QFile log(rig.Path("log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        for (const QByteArray& line : log.readAll().split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (words.value(1) == SweepCommand(8)) {
                signal << words[0].toDouble();
            } else if (words.value(1) == SweepCommand(9)) {
                next << words[0].toDouble();
            }
        }
        QVERIFY2(next[0] - signal[0] > 3, "the first sweep paused");
        QVERIFY2(next[1] - signal[1] < 1, "the second sweep did not");
        QFile lockouts(rig.Path("lockouts.csv"));
        QVERIFY(lockouts.open(QIODevice::ReadOnly));
        QCOMPARE(lockouts.readAll(), QByteArray("Frequency_Hz\n145100000\n"));
        QCOMPARE(rig.Shot().pixelColor(64 + 44 + 8 * 8, 487 + 5), kGridGrey);
        rig.ClickAt(kStartStop);
        QVERIFY(QTest::qWaitFor([&] { return rig.StartShown(); }, 5000));
        rig.ClickAt(kClose);
        rig.CheckCleanEnd();
    }
};

NERIMO_DESKTOP_TEST_MAIN(BandTest)
#include "tst_band.moc"
