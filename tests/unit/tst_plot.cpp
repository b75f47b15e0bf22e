#include <QtTest>

#include "Fakes.h"
#include "Plot.h"
#include "SurfaceWidget.h"

using nerimo::Plot;
using nerimo::State;
using nerimo::platform::SurfaceWidget;
using nerimo::testing::RecordingPanel;

namespace {

constexpr QRgb kBlack = 0xff000000;
constexpr QRgb kGrey = 0xff808080;
constexpr QRgb kLightGrey = 0xffc0c0c0;
constexpr QRgb kGreen = 0xff00ff00;

}  // namespace

class PlotTest : public QObject {
    Q_OBJECT

    State state_;
    RecordingPanel panel_;
    std::unique_ptr<SurfaceWidget> surface_;
    std::unique_ptr<Plot> plot_;

    void Setup(int span, int clear, int grid) {
        state_ = State{};
        state_.PlotHeight = 350;
        state_.BottomMargin = 11;
        state_.LeftMargin = 36;
        state_.SpanMHz = int16_t(span);
        state_.PixelsPerStep = span == 1 ? 8 : 1;
        panel_ = RecordingPanel{};
        panel_.checks[1] = int16_t(clear);
        panel_.checks[2] = int16_t(grid);
        surface_ = std::make_unique<SurfaceWidget>(nullptr, qRgb(0, 0, 0));
        surface_->SetPixelSize(720, 350);
        plot_ = std::make_unique<Plot>(state_, *surface_, panel_);
    }

    void Sweep(const QList<int>& levels) {
        for (int level : levels) {
            state_.SignalLevel = int16_t(level);
            plot_->PlotLevel();
        }
        state_.StepCount = state_.PrevX = state_.PrevY = 0;
    }

    QRgb At(int x, int y) const { return surface_->PixelAt(x, y); }

    // The x of every lit pixel in a row, between the first and the last point.
    QList<int> LitInRow(int y, QRgb color) const {
        QList<int> xs;
        for (int x = 0; x < 720; ++x) {
            if (At(x, y) == color) {
                xs << x;
            }
        }
        return xs;
    }

  private slots:
    void segmentsGoWhereTheLevelsSay_data() {
        QTest::addColumn<int>("span");
        QTest::addColumn<QList<int>>("levels");
        QTest::addColumn<QList<QPoint>>("points");
        QTest::newRow("1 MHz: 0, 5, 16")
            << 1 << QList<int>{0, 5, 16} << QList<QPoint>{{44, 339}, {52, 234}, {60, 3}};
        QTest::newRow("8 MHz: 3, 4")
            << 8 << QList<int>{3, 4} << QList<QPoint>{{44, 276}, {45, 255}};
    }

    void segmentsGoWhereTheLevelsSay() {
        QFETCH(int, span);
        QFETCH(QList<int>, levels);
        QFETCH(QList<QPoint>, points);
        Setup(span, 0, 0);
        for (int i = 0; i < levels.size(); ++i) {
            state_.SignalLevel = int16_t(levels[i]);
            plot_->PlotLevel();
            QCOMPARE(QPoint(state_.PlotX, state_.PlotY), points[i]);
            QCOMPARE(At(points[i].x(), points[i].y()), kGreen);
        }
        QCOMPARE(At(43, points[0].y()), kBlack);  // the first point starts the trace
    }

    void fullSweepsEndAtTheLastColumn_data() {
        QTest::addColumn<int>("span");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("lastX");
        QTest::newRow("81 steps of 1 MHz") << 1 << 81 << 684;
        QTest::newRow("80 steps of 1 MHz") << 1 << 80 << 676;
        QTest::newRow("641 steps of 8 MHz") << 8 << 641 << 684;
        QTest::newRow("640 steps of 8 MHz") << 8 << 640 << 683;
    }

    void fullSweepsEndAtTheLastColumn() {
        QFETCH(int, span);
        QFETCH(int, steps);
        QFETCH(int, lastX);
        Setup(span, 0, 0);
        Sweep(QList<int>(steps, 0));
        const QList<int> lit = LitInRow(339, kGreen);
        QCOMPARE(lit.first(), 44);
        QCOMPARE(lit.last(), lastX);
        QCOMPARE(lit.size(), lastX - 44 + 1);  // the trace is unbroken along the baseline
    }

    void gridHasItsLinesAndColours_data() {
        QTest::addColumn<int>("span");
        QTest::addColumn<int>("verticals");
        QTest::addColumn<QList<int>>("lightXs");
        QTest::addColumn<QList<QPoint>>("grey");
        QTest::addColumn<QList<QPoint>>("light");
        QTest::addColumn<QList<QPoint>>("black");
        QTest::newRow("1 MHz") << 1 << 11 << QList<int>{}
                               << QList<QPoint>{{44, 100},  {108, 100}, {684, 100}, {108, 4},
                                                {108, 340}, {108, 3},   {685, 24},  {44, 339}}
                               << QList<QPoint>{}
                               << QList<QPoint>{{52, 100}, {108, 341}, {686, 24}, {43, 24}};
        QTest::newRow("8 MHz") << 8 << 81 << QList<int>{44, 124, 204, 284, 364, 444, 524, 604, 684}
                               << QList<QPoint>{{52, 100}, {124, 45}, {685, 339}}
                               << QList<QPoint>{{44, 100}, {124, 100}, {684, 100}, {124, 340}}
                               << QList<QPoint>{{125, 100}, {124, 341}, {124, 2}};
    }

    void gridHasItsLinesAndColours() {
        QFETCH(int, span);
        QFETCH(int, verticals);
        QFETCH(QList<int>, lightXs);
        QFETCH(QList<QPoint>, grey);
        QFETCH(QList<QPoint>, light);
        QFETCH(QList<QPoint>, black);
        Setup(span, 0, 1);
        plot_->PreparePlot();
        QCOMPARE(int(state_.GridDrawn), 1);
        QCOMPARE(LitInRow(100, kLightGrey), lightXs);
        QCOMPARE(LitInRow(100, kGrey).size() + lightXs.size(), verticals);
        for (const QPoint& p : grey) {
            QVERIFY2(At(p.x(), p.y()) == kGrey,
                     qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
        }
        for (const QPoint& p : light) {
            QVERIFY2(At(p.x(), p.y()) == kLightGrey,
                     qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
        }
        for (const QPoint& p : black) {
            QVERIFY2(At(p.x(), p.y()) == kBlack,
                     qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
        }
    }

    void laterSweepsRedrawOnlyTheBaseline() {
        Setup(1, 0, 1);
        plot_->PreparePlot();
        Sweep(QList<int>(81, 0));  // a trace on the baseline, over the grid
        QCOMPARE(At(100, 339), kGreen);
        state_.SignalLevel = 10;
        plot_->PlotLevel();  // a trace pixel off the baseline
        surface_->DrawLine(300, 100, 300, 100, kGreen);
        plot_->PreparePlot();
        QCOMPARE(At(100, 339), kGrey);   // the level-0 pixels gave way to the grey baseline
        QCOMPARE(At(300, 100), kGreen);  // the rest of the old traces stays
        QCOMPARE(At(685, 339), kGrey);
    }

    void gridOffBlacksOutTheBaselineOnly() {
        Setup(1, 0, 0);
        Sweep(QList<int>(81, 0));
        plot_->PreparePlot();
        QCOMPARE(At(100, 339), kBlack);
        QCOMPARE(At(108, 100), kBlack);
        QCOMPARE(int(state_.GridDrawn), 0);
    }

    void clearAtStartErasesAndDrawsTheGridAgain() {
        Setup(1, 1, 1);
        plot_->PreparePlot();
        surface_->DrawLine(301, 100, 301, 100, kGreen);
        plot_->PreparePlot();
        QCOMPARE(At(301, 100), kBlack);
        QCOMPARE(At(108, 100), kGrey);
        QCOMPARE(int(state_.GridDrawn), 1);
    }

    void traceColours_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QRgb>("color");
        QTest::newRow("green") << 0 << QRgb(0xff00ff00);
        QTest::newRow("cyan") << 1 << QRgb(0xff00ffff);
        QTest::newRow("orange") << 2 << QRgb(0xffff8c00);
        QTest::newRow("white") << 3 << QRgb(0xffffffff);
        QTest::newRow("out of range draws nothing") << 4 << kBlack;
    }

    void traceColours() {
        QFETCH(int, index);
        QFETCH(QRgb, color);
        Setup(1, 0, 0);
        state_.ColorIndex = int16_t(index);
        Sweep({5, 5});
        QCOMPARE(At(48, 234), color);
    }
};

QTEST_MAIN(PlotTest)
#include "tst_plot.moc"
