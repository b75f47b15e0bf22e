#include "HistoryView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cstring>

#include "Fonts.h"
#include "NumberFormat.h"

namespace nerimo {

namespace {

constexpr int kBandsANotch = 3;  // scrolled by a step of the wheel

QString Reading(const HistorySection& section, std::optional<double> value) {
    if (!value) {
        return QStringLiteral("no value");
    }
    return section.unit == HistoryUnit::Level
               ? QStringLiteral("level %1").arg(*value, 0, 'f', 0)
               : QStringLiteral("%1 dB").arg(*value, 0, 'f', section.decimals);
}

}  // namespace

HistoryView::HistoryView(const HistoryModel& model, Palette palette, QWidget* parent)
    : QWidget(parent), model_(&model), palette_(palette) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setFont(SansFont(8.25));
    setCursor(Qt::CrossCursor);
    setMinimumSize(320, 200);
    setAccessibleName(QStringLiteral("Waterfall"));
    Describe();
}

void HistoryView::Describe() {
    const auto& rows = model_->rows();
    QString text = QStringLiteral("No sweeps yet.");
    if (!rows.empty()) {
        const HistoryRow& newest = rows.back();
        const HistorySection& section = model_->section(newest.section);
        std::optional<double> strongest;
        int column = 0;
        for (int at = 0; at < int(newest.cells.size()); ++at) {
            const std::optional<double> value = model_->Value(newest, at);
            if (value && (!strongest || *value > *strongest)) {
                strongest = value;
                column = at;
            }
        }
        text = (rows.size() == 1 ? QStringLiteral("1 sweep")
                                 : QStringLiteral("%1 sweeps").arg(rows.size())) +
               QStringLiteral(", from %1 to %2.")
                   .arg(rows.front().time.toString(Qt::ISODate), newest.time.toString(Qt::ISODate));
        if (strongest) {
            text += QStringLiteral(" The newest: strongest %1 at %2 MHz.")
                        .arg(section.unit == HistoryUnit::Level
                                 ? QStringLiteral("level %1").arg(*strongest)
                                 : QStringLiteral("%1 dB").arg(*strongest))
                        .arg(FormatFixed4(section.HertzAt(column) / 1e6));
        }
    }
    setAccessibleDescription(
        text +
        QStringLiteral(" Page Up, Page Down, Home and End scroll; Ctrl and the wheel zoom."));
}

void HistoryView::SetModel(const HistoryModel& model) {
    model_ = &model;
    Describe();
    shown_.skip = 0;
    fit_ = Fit::Newest;
    Redraw();
}

void HistoryView::SetPalette(Palette palette) {
    palette_ = palette;
    Redraw();
}

void HistoryView::SetFit(Fit fit, waterfall::Zoom zoom) {
    fit_ = fit;
    shown_.zoom = zoom;
    if (fit != Fit::Chosen) {
        shown_.skip = 0;
    }
    Redraw();
}

waterfall::Zoom HistoryView::ZoomNow() const {
    const int height = waterfall::Area(size()).height();
    const size_t rows = model_->rows().size();
    switch (fit_) {
        case Fit::Newest:
            return {waterfall::Zoom::ToFit(rows, height, waterfall::kTallestRow).pixels, 1};
        case Fit::All:
            return waterfall::Zoom::ToFit(rows, height, std::max(1, height));
        case Fit::Chosen:
            break;
    }
    return shown_.zoom;
}

void HistoryView::Redraw() {
    const QRect area = waterfall::Area(size());
    shown_.zoom = ZoomNow();
    shown_.skip = std::min(shown_.skip, size_t(ScrollMaximum()) * size_t(shown_.zoom.sweeps));
    rows_ = QImage(area.size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    waterfall::DrawRows(*model_, palette_, shown_, &rows_);
    update();
    if (onShownChanged) {
        onShownChanged();
    }
}

void HistoryView::ModelChanged(bool reloaded) {
    Describe();
    const QRect area = waterfall::Area(size());
    const auto& rows = model_->rows();
    // Scrolled back, the view stays on the sweeps it shows.
    if (!reloaded && shown_.skip > 0) {
        ++shown_.skip;
    }
    const bool newSection = rows.size() > 1 && rows[rows.size() - 2].section != rows.back().section;
    const int pixels = shown_.zoom.pixels;
    if (reloaded || newSection || fit_ != Fit::Newest || shown_.skip > 0 ||
        rows_.size() != area.size() || !(ZoomNow() == shown_.zoom) || rows_.height() <= pixels) {
        Redraw();
        return;
    }
    // The rows one sweep down, the newest on top.
    std::memmove(rows_.scanLine(pixels), rows_.constScanLine(0),
                 size_t(rows_.bytesPerLine()) * size_t(rows_.height() - pixels));
    waterfall::DrawRow(*model_, rows.back(), palette_, reinterpret_cast<QRgb*>(rows_.scanLine(0)),
                       rows_.width());
    for (int y = 1; y < pixels; ++y) {
        std::memcpy(rows_.scanLine(y), rows_.constScanLine(0), size_t(rows_.bytesPerLine()));
    }
    update();
}

QImage HistoryView::Picture(const QString& source) const {
    return waterfall::Picture(*model_, palette_, size(), source);
}

int HistoryView::ScrollMaximum() const {
    const auto sweeps = size_t(shown_.zoom.sweeps);
    const size_t bands = (model_->rows().size() + sweeps - 1) / sweeps;
    return std::max(0, int(bands) - PageBands());
}

int HistoryView::PageBands() const {
    return std::max(1, waterfall::Area(size()).height() / shown_.zoom.pixels);
}

int HistoryView::ScrollValue() const {
    return int(shown_.skip / size_t(shown_.zoom.sweeps));
}

void HistoryView::ScrollTo(int band) {
    const size_t skip = size_t(std::clamp(band, 0, ScrollMaximum())) * size_t(shown_.zoom.sweeps);
    if (skip == shown_.skip) {
        return;
    }
    shown_.skip = skip;
    Redraw();
}

void HistoryView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    waterfall::DrawFrame(painter, size(), *model_, palette_, shown_);
    painter.drawImage(waterfall::Area(size()).topLeft(), rows_);
    waterfall::DrawDividers(painter, size(), *model_, shown_);
}

void HistoryView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Redraw();
}

QString HistoryView::Reading(QPoint point) const {
    const QRect area = waterfall::Area(size());
    const auto under = waterfall::BandAt(*model_, shown_, point - area.topLeft(), area.size());
    if (!under) {
        return {};
    }
    const auto& [band, column] = *under;
    const auto& rows = model_->rows();
    const HistoryRow& newest = rows[rows.size() - 1 - band.newest];
    const HistorySection& section = model_->section(newest.section);
    const QString hertz = QString::number(section.HertzAt(column) / 1e6, 'f', 4);
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    if (band.count == 1) {
        return QStringLiteral("%1 MHz   %2   %3")
            .arg(hertz, newest.time.toString(format),
                 nerimo::Reading(section, model_->Value(newest, column)));
    }
    // Several sweeps in the row: the strongest of them at this column, as the row shows it.
    std::optional<double> strongest;
    const int x = point.x() - area.left();
    for (size_t i = band.newest; i < band.newest + band.count; ++i) {
        const HistoryRow& row = rows[rows.size() - 1 - i];
        const auto at = int(qint64(x) * qint64(row.cells.size()) / area.width());
        if (const std::optional<double> value = model_->Value(row, at)) {
            strongest = std::max(strongest.value_or(*value), *value);
        }
    }
    const HistoryRow& oldest = rows[rows.size() - band.newest - band.count];
    return QStringLiteral("%1 MHz   %2 sweeps, %3 to %4   strongest %5")
        .arg(hertz)
        .arg(band.count)
        .arg(oldest.time.toString(format), newest.time.toString(QStringLiteral("HH:mm:ss")),
             nerimo::Reading(section, strongest));
}

void HistoryView::mouseMoveEvent(QMouseEvent* event) {
    if (onPointer) {
        onPointer(Reading(event->position().toPoint()));
    }
}

void HistoryView::mouseReleaseEvent(QMouseEvent* event) {
    const QRect area = waterfall::Area(size());
    const auto under = waterfall::BandAt(*model_, shown_,
                                         event->position().toPoint() - area.topLeft(), area.size());
    if (event->button() != Qt::LeftButton || !under || !onClick) {
        return;
    }
    const auto& rows = model_->rows();
    const HistorySection& section =
        model_->section(rows[rows.size() - 1 - under->first.newest].section);
    onClick(std::llround(section.HertzAt(under->second)));
}

void HistoryView::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (onPointer) {
        onPointer(QString());
    }
}

void HistoryView::wheelEvent(QWheelEvent* event) {
    const int notches = event->angleDelta().y() / 120;
    if (notches == 0) {
        return;
    }
    if (event->modifiers() & Qt::ControlModifier) {
        waterfall::Zoom zoom = shown_.zoom;
        for (int i = 0; i < std::abs(notches); ++i) {
            zoom = notches > 0 ? zoom.In() : zoom.Out();
        }
        const size_t skip = shown_.skip;  // the newest sweep shown stays at the top
        SetFit(Fit::Chosen, zoom);
        shown_.skip = skip;
        Redraw();
    } else {
        ScrollTo(ScrollValue() - notches * kBandsANotch);
    }
    event->accept();
}

void HistoryView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_PageUp:
            ScrollTo(ScrollValue() - PageBands());
            break;
        case Qt::Key_PageDown:
            ScrollTo(ScrollValue() + PageBands());
            break;
        case Qt::Key_Up:
            ScrollTo(ScrollValue() - 1);
            break;
        case Qt::Key_Down:
            ScrollTo(ScrollValue() + 1);
            break;
        case Qt::Key_Home:
            ScrollTo(0);
            break;
        case Qt::Key_End:
            ScrollTo(ScrollMaximum());
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

}  // namespace nerimo
