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
// beneath the live trace, and the history window's cells in the rows and colours of the levels.
class HistoryTest : public QObject {
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
        while (shot.pixelColor(right + 1, corner.y()) != QColor(64, 64, 64)) {
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
};

NERIMO_DESKTOP_TEST_MAIN(HistoryTest)
#include "tst_history.moc"
