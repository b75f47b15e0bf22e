#pragma once

#include <QImage>
#include <QMargins>
#include <QPainter>
#include <optional>

#include "HistoryModel.h"
#include "Palette.h"

namespace nerimo {

// The history drawn as a waterfall: the newest sweep at the top, one row a sweep, each sweep's
// cells stretched across the width in its palette colour; a section's first row (a new span or
// start) under a white divider with its range. Around it: the time of the rows on the left, in
// local time with the date where it changes; the frequency axis of the newest section below; the
// palette's legend on the right.
namespace waterfall {

// Left for the time axis, top, right for the legend, bottom for the frequency axis.
inline constexpr QMargins kMargins{92, 10, 76, 36};

// Where the rows go in a picture of this size.
QRect Area(QSize size);
// Pixels a row, as many as let the rows fill the area, from 1 to 8.
int RowHeight(size_t rows, int areaHeight);
// The newest rows, each `rowHeight` pixels, into an image the size of the area.
void DrawRows(const HistoryModel& model, Palette palette, int rowHeight, QImage* rows);
// One row's cells across a scan line of the given width.
void DrawRow(const HistoryModel& model, const HistoryRow& row, Palette palette, QRgb* line,
             int width);
// The axes, the dividers' ranges and the legend around the area of a picture of this size.
void DrawFrame(QPainter& painter, QSize size, const HistoryModel& model, Palette palette,
               int rowHeight);
// The row and the column under a point of the area; nothing off the rows.
std::optional<std::pair<const HistoryRow*, int>> CellAt(const HistoryModel& model, QPoint point,
                                                        int width, int rowHeight);
// A whole picture, rows and frame.
QImage Picture(const HistoryModel& model, Palette palette, QSize size);

}  // namespace waterfall

}  // namespace nerimo
