#include "TraceView.h"

#include <QPainter>
#include <QPainterPath>

#include "NumberFormat.h"

namespace nerimo {

namespace {

constexpr int kMargin = 6;
constexpr int kHighest = 16;

}  // namespace

TraceView::TraceView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("traceView"));
    setMinimumSize(240, 120);
    setAccessibleName(tr("Last sweep"));
}

void TraceView::Show(const QString& sensor, const std::optional<RemoteSweep>& sweep) {
    sensor_ = sensor;
    sweep_ = sweep;
    if (!sweep_) {
        setAccessibleDescription(sensor.isEmpty() ? tr("No sensor chosen")
                                                  : tr("No sweep from %1 yet").arg(sensor));
    } else {
        const auto strongest = std::max_element(sweep_->levels.begin(), sweep_->levels.end());
        const long long hertz = sweep_->plan.HertzAt(int(strongest - sweep_->levels.begin()));
        setAccessibleDescription(tr("%1 at %2: strongest level %3 at %4 MHz")
                                     .arg(sensor, sweep_->time.toString(Qt::ISODate))
                                     .arg(*strongest)
                                     .arg(FormatFixed4(double(hertz) / 1e6)));
    }
    update();
}

void TraceView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QFontMetrics metrics(font());
    const QRect plot = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin - metrics.height());
    painter.setPen(Qt::darkGray);
    painter.drawRect(plot);
    if (!sweep_ || sweep_->levels.empty()) {
        painter.setPen(Qt::lightGray);
        painter.drawText(plot, Qt::AlignCenter, accessibleDescription());
        return;
    }
    const auto count = qsizetype(sweep_->levels.size());
    const double first = double(sweep_->plan.FirstHertz());
    const double width = double(sweep_->plan.LastHertz()) - first;
    // A band by frequency; a list, or a band of one step, evenly.
    const auto x = [&](qsizetype step) {
        const double share = !sweep_->plan.channels && width > 0
                                 ? (double(sweep_->plan.HertzAt(int(step))) - first) / width
                             : count > 1 ? double(step) / double(count - 1)
                                         : 0.5;
        return plot.left() + share * plot.width();
    };
    const auto y = [&](int level) {
        return plot.bottom() - double(level) / kHighest * plot.height();
    };
    QPainterPath trace;
    trace.moveTo(x(0), y(sweep_->levels[0]));
    for (qsizetype step = 1; step < count; ++step) {
        trace.lineTo(x(step), y(sweep_->levels[size_t(step)]));
    }
    painter.setPen(QPen(Qt::green, 1));
    painter.drawPath(trace);
    painter.setPen(Qt::lightGray);
    const QRect under(plot.left(), plot.bottom() + 2, plot.width(), metrics.height());
    painter.drawText(under, Qt::AlignLeft, FormatFixed4(first / 1e6));
    painter.drawText(under, Qt::AlignHCenter, sensor_);
    painter.drawText(under, Qt::AlignRight, FormatFixed4(double(sweep_->plan.LastHertz()) / 1e6));
}

}  // namespace nerimo
