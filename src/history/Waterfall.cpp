#include "Waterfall.h"

#include <algorithm>

namespace nerimo::waterfall {

namespace {

constexpr int kLongestRow = 8;
constexpr int kTimeLabelEvery = 44;  // pixels between two time labels
constexpr int kLegendWidth = 14;
constexpr QRgb kBackground = qRgb(0, 0, 0);
constexpr QRgb kDivider = qRgb(255, 255, 255);
const QColor kFrameGrey(64, 64, 64);
const QColor kText(255, 255, 255);

// The index, from the newest, of the row at a pixel row of the area; how many rows fit.
size_t Visible(const HistoryModel& model, int areaHeight, int rowHeight) {
    return std::min(model.rows().size(), size_t(areaHeight / rowHeight));
}

QString Megahertz(long long hertz) {
    return QString::number(hertz / 1e6, 'f', 4);
}

}  // namespace

QRect Area(QSize size) {
    return QRect(QPoint(0, 0), size).marginsRemoved(kMargins);
}

int RowHeight(size_t rows, int areaHeight) {
    if (rows == 0) {
        return kLongestRow;
    }
    return std::clamp(int(size_t(areaHeight) / rows), 1, kLongestRow);
}

void DrawRow(const HistoryModel& model, const HistoryRow& row, Palette palette, QRgb* line,
             int width) {
    const std::array<QRgb, 256>& colours = Colours(palette);
    const HistorySection& section = model.section(row.section);
    const auto cells = int(row.cells.size());
    for (int x = 0; x < width; ++x) {
        const auto cell = static_cast<uint8_t>(row.cells[qsizetype(qint64(x) * cells / width)]);
        line[x] = cell == HistoryModel::kNoValue
                      ? kBackground
                      : colours[size_t(HistoryModel::Shade(cell, section.unit) * 255 + 0.5)];
    }
}

void DrawRows(const HistoryModel& model, Palette palette, int rowHeight, QImage* rows) {
    rows->fill(kBackground);
    const auto& all = model.rows();
    const size_t shown = Visible(model, rows->height(), rowHeight);
    for (size_t i = 0; i < shown; ++i) {
        const HistoryRow& row = all[all.size() - 1 - i];
        const int top = int(i) * rowHeight;
        DrawRow(model, row, palette, reinterpret_cast<QRgb*>(rows->scanLine(top)), rows->width());
        for (int y = top + 1; y < top + rowHeight; ++y) {
            std::copy_n(rows->constScanLine(top), rows->bytesPerLine(), rows->scanLine(y));
        }
        // A new section begins below the row before it: a line over its newest row.
        if (i + 1 < shown && all[all.size() - 2 - i].section != row.section) {
            std::fill_n(reinterpret_cast<QRgb*>(rows->scanLine(top + rowHeight - 1)), rows->width(),
                        kDivider);
        }
    }
}

void DrawFrame(QPainter& painter, QSize size, const HistoryModel& model, Palette palette,
               int rowHeight) {
    const QRect area = Area(size);
    painter.fillRect(QRect(QPoint(0, 0), size), kFrameGrey);
    painter.setPen(kText);
    const QFontMetrics metrics = painter.fontMetrics();
    const auto& rows = model.rows();
    const size_t shown = Visible(model, area.height(), rowHeight);

    // Time on the left, the date where it changes from the label below.
    QDate dateAbove;
    for (int y = 0; y < int(shown) * rowHeight; y += kTimeLabelEvery) {
        const HistoryRow& row = rows[rows.size() - 1 - size_t(y / rowHeight)];
        const int at = area.top() + y + metrics.ascent() / 2;
        painter.drawLine(area.left() - 4, area.top() + y, area.left() - 1, area.top() + y);
        painter.drawText(QRect(0, at - metrics.ascent(), area.left() - 6, metrics.height()),
                         Qt::AlignRight, row.time.toString(QStringLiteral("HH:mm:ss")));
        if (row.time.date() != dateAbove) {
            painter.drawText(QRect(0, at - metrics.ascent() + metrics.height(), area.left() - 6,
                                   metrics.height()),
                             Qt::AlignRight, row.time.toString(QStringLiteral("yyyy-MM-dd")));
            dateAbove = row.time.date();
        }
    }
    // Each section's range where it begins, on the rows.
    for (size_t i = 0; i + 1 < shown; ++i) {
        const HistoryRow& row = rows[rows.size() - 1 - i];
        if (rows[rows.size() - 2 - i].section != row.section) {
            const HistorySection& section = model.section(row.section);
            const QString range =
                QStringLiteral("%1 to %2 MHz from here")
                    .arg(Megahertz(section.firstHertz),
                         Megahertz(section.firstHertz + (section.steps - 1) * section.stepHertz));
            const QRect box(area.left() + 4, area.top() + int(i + 1) * rowHeight - metrics.height(),
                            metrics.horizontalAdvance(range) + 6, metrics.height());
            painter.fillRect(box, QColor(0, 0, 0, 160));
            painter.drawText(box, Qt::AlignCenter, range);
        }
    }
    // The newest section's frequencies below: start, centre, end.
    if (!rows.empty()) {
        const HistorySection& section = model.section(rows.back().section);
        const long long last = section.firstHertz + (section.steps - 1) * section.stepHertz;
        const int y = area.bottom() + 1;
        for (const auto& [x, hertz, align] :
             {std::tuple{area.left(), section.firstHertz, Qt::AlignLeft},
              std::tuple{area.center().x(), (section.firstHertz + last) / 2, Qt::AlignHCenter},
              std::tuple{area.right(), last, Qt::AlignRight}}) {
            painter.drawLine(x, y, x, y + 4);
            const int width = metrics.horizontalAdvance(Megahertz(hertz)) + 2;
            const int left = align == Qt::AlignLeft    ? x
                             : align == Qt::AlignRight ? x - width
                                                       : x - width / 2;
            painter.drawText(QRect(left, y + 5, width, metrics.height()), align, Megahertz(hertz));
        }
        painter.drawText(
            QRect(area.left(), y + 5 + metrics.height(), area.width(), metrics.height()),
            Qt::AlignHCenter, QStringLiteral("MHz"));
    }
    // The legend: the palette from the weakest (below) to the strongest.
    const HistoryUnit unit =
        rows.empty() ? HistoryUnit::Level : model.section(rows.back().section).unit;
    const double low = rows.empty() ? 0 : model.section(rows.back().section).low;
    const double high = rows.empty() ? 16 : model.section(rows.back().section).high;
    const QRect bar(area.right() + 10, area.top(), kLegendWidth, area.height());
    const std::array<QRgb, 256>& colours = Colours(palette);
    for (int y = 0; y < bar.height(); ++y) {
        const auto index = size_t(255.0 * (bar.height() - 1 - y) / std::max(1, bar.height() - 1));
        painter.setPen(QColor::fromRgb(colours[index]));
        painter.drawLine(bar.left(), bar.top() + y, bar.right(), bar.top() + y);
    }
    painter.setPen(kText);
    for (int tick = 0; tick <= 4; ++tick) {
        const int y = bar.bottom() - (bar.height() - 1) * tick / 4;
        const double value = low + (high - low) * tick / 4;
        painter.drawText(QRect(bar.right() + 3, y - metrics.height() / 2,
                               size.width() - bar.right() - 3, metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         QString::number(value, 'f', unit == HistoryUnit::Level ? 0 : 1));
    }
    painter.drawText(
        QRect(bar.left() - 4, bar.bottom() + 4, size.width() - bar.left() + 4, metrics.height()),
        Qt::AlignLeft, unit == HistoryUnit::Level ? QStringLiteral("level") : QStringLiteral("dB"));
}

std::optional<std::pair<const HistoryRow*, int>> CellAt(const HistoryModel& model, QPoint point,
                                                        int width, int rowHeight) {
    const auto& rows = model.rows();
    if (point.x() < 0 || point.x() >= width || point.y() < 0) {
        return std::nullopt;
    }
    const auto index = size_t(point.y() / rowHeight);
    if (index >= rows.size()) {
        return std::nullopt;
    }
    const HistoryRow& row = rows[rows.size() - 1 - index];
    return std::pair{&row, int(qint64(point.x()) * row.cells.size() / width)};
}

QImage Picture(const HistoryModel& model, Palette palette, QSize size) {
    QImage picture(size, QImage::Format_RGB32);
    const QRect area = Area(size);
    const int rowHeight = RowHeight(model.rows().size(), area.height());
    QPainter painter(&picture);
    DrawFrame(painter, size, model, palette, rowHeight);
    QImage rows(area.size(), QImage::Format_RGB32);
    DrawRows(model, palette, rowHeight, &rows);
    painter.drawImage(area.topLeft(), rows);
    return picture;
}

}  // namespace nerimo::waterfall
