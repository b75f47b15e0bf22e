#include <QtTest>

#include "FrequencyAtX.h"
#include "PlotGeometry.h"

using nerimo::FrequencyAtX;
using nerimo::State;

namespace {

State Plotted(double startMHz, int16_t spanMHz) {
    State state;
    state.LeftMargin = 36;
    state.StartMHz = startMHz;
    state.SpanMHz = spanMHz;
    state.EndMHz = startMHz + spanMHz;
    state.PixelsPerStep = nerimo::PixelsPerStepFor(spanMHz);
    return state;
}

}  // namespace

class FrequencyAtXTest : public QObject {
    Q_OBJECT

  private slots:
    void columns_data() {
        QTest::addColumn<int>("span");
        QTest::addColumn<double>("x");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("mhz");
        QTest::newRow("1 MHz, left of the first point") << 1 << 43.0 << false << 0.0;
        QTest::newRow("1 MHz, first point") << 1 << 44.0 << true << 145.0;
        QTest::newRow("1 MHz, last column of the first point") << 1 << 51.0 << true << 145.0;
        QTest::newRow("1 MHz, fractional column") << 1 << 51.9 << true << 145.0;
        QTest::newRow("1 MHz, second point") << 1 << 52.0 << true << 145.0125;
        QTest::newRow("1 MHz, last point") << 1 << 684.0 << true << 146.0;
        QTest::newRow("1 MHz, last column of the last point") << 1 << 691.0 << true << 146.0;
        QTest::newRow("1 MHz, right of the last point") << 1 << 692.0 << false << 0.0;
        QTest::newRow("1 MHz, far left") << 1 << -500.0 << false << 0.0;
        QTest::newRow("8 MHz, left of the first point") << 8 << 43.0 << false << 0.0;
        QTest::newRow("8 MHz, first point") << 8 << 44.0 << true << 145.0;
        QTest::newRow("8 MHz, second point") << 8 << 45.0 << true << 145.0125;
        QTest::newRow("8 MHz, last point") << 8 << 684.0 << true << 153.0;
        QTest::newRow("8 MHz, right of the last point") << 8 << 685.0 << false << 0.0;
    }
    void columns() {
        QFETCH(int, span);
        QFETCH(double, x);
        QFETCH(bool, valid);
        QFETCH(double, mhz);
        const std::optional<double> f = FrequencyAtX(Plotted(145.0, int16_t(span)), x);
        QCOMPARE(f.has_value(), valid);
        if (valid) {
            QCOMPARE(*f, mhz);
        }
    }

    // Every point the plot draws reads back as the frequency of its own step.
    void everyPlottedPointReadsBack_data() {
        QTest::addColumn<int>("span");
        QTest::addColumn<double>("start");
        QTest::newRow("1 MHz from 145") << 1 << 145.0;
        QTest::newRow("8 MHz from 145") << 8 << 145.0;
        QTest::newRow("1 MHz from 0.1") << 1 << 0.1;
        QTest::newRow("8 MHz from 1299.9875") << 8 << 1299.9875;
    }
    void everyPlottedPointReadsBack() {
        QFETCH(int, span);
        QFETCH(double, start);
        const State state = Plotted(start, int16_t(span));
        const int steps = span * 80;
        for (int step = 0; step <= steps; ++step) {
            const int x = nerimo::kFirstPointX + step * state.PixelsPerStep;
            for (int column = x; column < x + state.PixelsPerStep; ++column) {
                const std::optional<double> f = FrequencyAtX(state, column);
                QVERIFY2(f.has_value(), qPrintable(QStringLiteral("column %1").arg(column)));
                QVERIFY2(qAbs(*f - (start + step * 0.0125)) < 1e-9,
                         qPrintable(QStringLiteral("column %1 gave %2").arg(column).arg(*f)));
            }
        }
    }

    void noStepWidthYetIsOutside() {
        State state = Plotted(145.0, 1);
        state.PixelsPerStep = 0;
        QVERIFY(!FrequencyAtX(state, 44).has_value());
        QVERIFY(!FrequencyAtX(state, 36).has_value());
    }
};

QTEST_GUILESS_MAIN(FrequencyAtXTest)
#include "tst_frequency_at_x.moc"
