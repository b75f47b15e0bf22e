#include <QtTest>

#include "Plot.h"
#include "SurfaceWidget.h"

using nerimo::Plot;
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
        SurfaceWidget surface(nullptr, qRgb(0, 0, 0));
        surface.SetPixelSize(720, 350);
        surface.show();
        QVERIFY(QTest::qWaitForWindowExposed(&surface));
        Plot plot(surface, 0);
        plot.SetSpan(span);
        plot.PreparePlot(true, true);
        QCoreApplication::processEvents();

        const int steps = span * 80 + 1;
        int step = 0;
        QBENCHMARK {
            // A jagged trace, so most segments are tall ones.
            plot.PlotLevel((step * 7) % 17);
            plot.Present();
            QCoreApplication::processEvents();
            if (++step == steps) {
                plot.NewTrace();
                step = 0;
            }
        }
    }
};

QTEST_MAIN(PlotBench)
#include "bench_plot.moc"
