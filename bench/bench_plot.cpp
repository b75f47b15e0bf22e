#include <QtTest>

#include "Fakes.h"
#include "Plot.h"
#include "SurfaceWidget.h"

using nerimo::Plot;
using nerimo::State;
using nerimo::platform::SurfaceWidget;

// What one step costs the window: one trace segment drawn into the plot's image, and the repaint
// of its rectangle on the screen.
class PlotBench : public QObject {
    Q_OBJECT

  private slots:
    void plotLevelAndRepaint_data() {
        QTest::addColumn<int>("span");
        QTest::newRow("1 MHz") << 1;
        QTest::newRow("8 MHz") << 8;
    }
    void plotLevelAndRepaint() {
        QFETCH(int, span);
        State state;
        state.PlotHeight = 350;
        state.BottomMargin = 11;
        state.LeftMargin = 36;
        state.SpanMHz = int16_t(span);
        state.PixelsPerStep = span == 1 ? 8 : 1;
        nerimo::testing::RecordingPanel panel;
        panel.checks[1] = 1;
        panel.checks[2] = 1;
        SurfaceWidget surface(nullptr, qRgb(0, 0, 0));
        surface.SetPixelSize(720, 350);
        surface.show();
        QVERIFY(QTest::qWaitForWindowExposed(&surface));
        Plot plot(state, surface, panel);
        plot.PreparePlot();
        QCoreApplication::processEvents();

        const int steps = span * 80 + 1;
        int step = 0;
        QBENCHMARK {
            // A jagged trace, so most segments are tall ones.
            state.SignalLevel = int16_t((step * 7) % 17);
            plot.PlotLevel();
            plot.Present();
            QCoreApplication::processEvents();
            if (++step == steps) {
                state.StepCount = state.PrevX = state.PrevY = 0;
                step = 0;
            }
        }
    }
};

QTEST_MAIN(PlotBench)
#include "bench_plot.moc"
