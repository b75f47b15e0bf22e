#pragma once

#include <QImage>
#include <QMargins>
#include <QPainter>
#include <optional>
#include <vector>

#include "HistoryModel.h"
#include "Palette.h"

namespace nerimo {

// The history drawn as a waterfall: the newest sweep at the top, each sweep's cells stretched
// across the width in its palette colour, as many sweeps as the zoom puts in a row; a section's
// first row (a new span or start) under a white divider with its range written over the rows.
// Around it: the time of the rows on the left, at round times, in local time with the date where
// it changes; the frequency axis of the newest section shown below; the palette's legend on the
// right.
namespace waterfall {

// Left for the time axis, top, right for the legend, bottom for the frequency axis.
inline constexpr QMargins kMargins{92, 10, 76, 36};
inline constexpr int kTallestRow = 8;  // pixel rows a sweep, when its rows follow the sweeps

// How many pixel rows a sweep takes, or how many sweeps a pixel row shows (their strongest
// value): one of the two is 1.
struct Zoom {
    int pixels = 1;
    int sweeps = 1;

    // One step closer (64, 32, 16 ... 2 pixel rows a sweep at most), or farther (2, 3, 4, 6, 8,
    // 12 ... sweeps a row).
    Zoom In() const;
    Zoom Out() const;
    // The zoom at which `rows` sweeps fill `height` pixel rows: each as tall as fits, up to
    // `tallest`, or as many a row as they need.
    static Zoom ToFit(size_t rows, int height, int tallest);
    // In words: "1 row a sweep", "4 sweeps a row", "8 pixel rows a sweep".
    QString Text() const;
    bool operator==(const Zoom&) const = default;
};

// What a waterfall shows of its history: at which zoom, from how many sweeps below the newest.
struct Shown {
    Zoom zoom;
    size_t skip = 0;
};

// One band of the rows: the sweeps it holds, counted from the newest (0), and its pixel rows.
struct Band {
    size_t newest = 0;
    size_t count = 0;
    int top = 0;
    int height = 0;
};

// A label of the time axis: its pixel row in the area, its text, and the date under it where the
// date changes from the label above.
struct TimeLabel {
    int y = 0;
    QString text;
    QString date;  // empty where it is the same as above
};

// Where the rows go in a picture of this size.
QRect Area(QSize size);
// The bands that the sweeps shown fill, from the top, in an area `height` pixels tall.
std::vector<Band> Bands(size_t rows, const Shown& shown, int height);
// The time axis of the sweeps shown: the newest at the top, then round times (every 10 s, 1 min,
// 10 min, 1 h, 6 h, 1 day ... as far apart as keeps labels `gap` pixels apart), local time.
std::vector<TimeLabel> TimeLabels(const HistoryModel& model, const Shown& shown, int height,
                                  int gap);
// The rows into an image the size of the area.
void DrawRows(const HistoryModel& model, Palette palette, const Shown& shown, QImage* rows);
// One sweep's cells across a scan line of the given width.
void DrawRow(const HistoryModel& model, const HistoryRow& row, Palette palette, QRgb* line,
             int width);
// The axes and the legend around the area of a picture of this size.
void DrawFrame(QPainter& painter, QSize size, const HistoryModel& model, Palette palette,
               const Shown& shown);
// Each section's range where it begins, written over the rows, so that no row hides it.
void DrawDividers(QPainter& painter, QSize size, const HistoryModel& model, const Shown& shown);
// The band and the column (of its newest sweep) under a point of the area; nothing off the rows.
std::optional<std::pair<Band, int>> BandAt(const HistoryModel& model, const Shown& shown,
                                           QPoint point, QSize area);
// A picture of the whole history, fitted to the rows of a picture of this size, with a caption
// strip under it: the range, the first and the last time in UTC, the sweeps and the rows, the
// palette, the unit, and the file shown when it is a log (`source`).
QImage Picture(const HistoryModel& model, Palette palette, QSize size, const QString& source);
// The height a picture's caption strip adds.
inline constexpr int kCaptionHeight = 40;

}  // namespace waterfall

}  // namespace nerimo
