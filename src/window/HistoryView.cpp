#include "HistoryView.h"

#include <QMouseEvent>
#include <QPainter>
#include <cstring>

#include "Fonts.h"
#include "Waterfall.h"

namespace nerimo {

HistoryView::HistoryView(const HistoryModel& model, Palette palette, QWidget* parent)
    : QWidget(parent), model_(model), palette_(palette) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFont(SansFont(8.25));
    setCursor(Qt::CrossCursor);
    setMinimumSize(320, 200);
}

void HistoryView::SetPalette(Palette palette) {
    palette_ = palette;
    Redraw();
}

void HistoryView::Redraw() {
    const QRect area = waterfall::Area(size());
    rowHeight_ = waterfall::RowHeight(model_.rows().size(), area.height());
    rows_ = QImage(area.size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    waterfall::DrawRows(model_, palette_, rowHeight_, &rows_);
    update();
}

void HistoryView::ModelChanged(bool reloaded) {
    const QRect area = waterfall::Area(size());
    const auto& rows = model_.rows();
    const bool newSection = rows.size() > 1 && rows[rows.size() - 2].section != rows.back().section;
    if (reloaded || newSection || rows_.size() != area.size() ||
        waterfall::RowHeight(rows.size(), area.height()) != rowHeight_ ||
        rows_.height() <= rowHeight_) {
        Redraw();
        return;
    }
    // The rows one row down, the newest on top.
    std::memmove(rows_.scanLine(rowHeight_), rows_.constScanLine(0),
                 size_t(rows_.bytesPerLine()) * size_t(rows_.height() - rowHeight_));
    waterfall::DrawRow(model_, rows.back(), palette_, reinterpret_cast<QRgb*>(rows_.scanLine(0)),
                       rows_.width());
    for (int y = 1; y < rowHeight_; ++y) {
        std::memcpy(rows_.scanLine(y), rows_.constScanLine(0), size_t(rows_.bytesPerLine()));
    }
    update();
}

QImage HistoryView::Picture() const {
    return waterfall::Picture(model_, palette_, size());
}

void HistoryView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    waterfall::DrawFrame(painter, size(), model_, palette_, rowHeight_);
    painter.drawImage(waterfall::Area(size()).topLeft(), rows_);
}

void HistoryView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Redraw();
}

std::optional<std::pair<const HistoryRow*, int>> HistoryView::CellAt(QPoint point) const {
    const QRect area = waterfall::Area(size());
    return waterfall::CellAt(model_, point - area.topLeft(), area.width(), rowHeight_);
}

void HistoryView::mouseMoveEvent(QMouseEvent* event) {
    const auto cell = CellAt(event->position().toPoint());
    if (!onPointer) {
        return;
    }
    if (!cell) {
        onPointer(QString());
        return;
    }
    const auto& [row, column] = *cell;
    const HistorySection& section = model_.section(row->section);
    const std::optional<double> value = model_.Value(*row, column);
    const QString reading = !value ? QStringLiteral("not measured")
                            : section.unit == HistoryUnit::Level
                                ? QStringLiteral("level %1").arg(*value)
                                : QStringLiteral("%1 dB").arg(*value, 0, 'f', 1);
    onPointer(QStringLiteral("%1 MHz   %2   %3")
                  .arg((section.firstHertz + column * section.stepHertz) / 1e6, 0, 'f', 4)
                  .arg(row->time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), reading));
}

void HistoryView::mouseReleaseEvent(QMouseEvent* event) {
    const auto cell = CellAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !cell || !onClick) {
        return;
    }
    const HistorySection& section = model_.section(cell->first->section);
    onClick(section.firstHertz + cell->second * section.stepHertz);
}

void HistoryView::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (onPointer) {
        onPointer(QString());
    }
}

}  // namespace nerimo
