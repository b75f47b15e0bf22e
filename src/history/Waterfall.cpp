#include "Waterfall.h"

#include <QLocale>
#include <QTimeZone>
#include <algorithm>
#include <cmath>

namespace nerimo::waterfall {

namespace {

constexpr int kLabelGap = 40;  // the fewest pixels between two time labels
constexpr int kLegendWidth = 14;
constexpr int kTallestZoom = 64;
constexpr QRgb kBackground = qRgb(0, 0, 0);
constexpr QRgb kDivider = qRgb(255, 255, 255);
const QColor kFrameGrey(64, 64, 64);
const QColor kText(255, 255, 255);
// The round times between two labels of the time axis, in seconds: the first that keeps the
// labels apart is taken.
constexpr qint64 kIntervals[] = {1,    5,    10,    30,    60,    300,   600,
                                 1800, 3600, 10800, 21600, 43200, 86400, 604800};

QString Megahertz(double hertz) {
    return QString::number(hertz / 1e6, 'f', 4);
}

const HistoryRow& Sweep(const HistoryModel& model, size_t fromNewest) {
    return model.rows()[model.rows().size() - 1 - fromNewest];
}

// Whether a new section begins with the sweep just above this one, counted from the newest.
bool NewSectionAbove(const HistoryModel& model, size_t fromNewest) {
    return fromNewest > 0 && fromNewest < model.rows().size() &&
           Sweep(model, fromNewest).section != Sweep(model, fromNewest - 1).section;
}

}  // namespace

Zoom Zoom::In() const {
    if (sweeps > 1) {
        // 3 from 4, 6 from 8 ...; 2 from 3, 4 from 6 ...
        const bool powerOfTwo = (sweeps & (sweeps - 1)) == 0;
        return {1, sweeps == 2 ? 1 : powerOfTwo ? sweeps * 3 / 4 : sweeps * 2 / 3};
    }
    return {std::min(pixels * 2, kTallestZoom), 1};
}

Zoom Zoom::Out() const {
    if (pixels > 1) {
        return {pixels / 2, 1};
    }
    const bool powerOfTwo = (sweeps & (sweeps - 1)) == 0;
    return {1, sweeps == 1 ? 2 : powerOfTwo ? sweeps * 3 / 2 : sweeps * 4 / 3};
}

Zoom Zoom::ToFit(size_t rows, int height, int tallest) {
    if (rows == 0 || height <= 0) {
        return {tallest, 1};
    }
    if (rows <= size_t(height)) {
        return {std::clamp(int(size_t(height) / rows), 1, tallest), 1};
    }
    return {1, int((rows + size_t(height) - 1) / size_t(height))};
}

QString Zoom::Text() const {
    if (sweeps > 1) {
        return QStringLiteral("%1 sweeps a row").arg(sweeps);
    }
    return pixels > 1 ? QStringLiteral("%1 pixel rows a sweep").arg(pixels)
                      : QStringLiteral("1 row a sweep");
}

QRect Area(QSize size) {
    return QRect(QPoint(0, 0), size).marginsRemoved(kMargins);
}

std::vector<Band> Bands(size_t rows, const Shown& shown, int height) {
    std::vector<Band> bands;
    const auto sweeps = size_t(shown.zoom.sweeps);
    for (size_t newest = shown.skip;
         newest < rows && int(bands.size()) * shown.zoom.pixels < height; newest += sweeps) {
        const int top = int(bands.size()) * shown.zoom.pixels;
        bands.push_back({newest, std::min(sweeps, rows - newest), top,
                         std::min(shown.zoom.pixels, height - top)});
    }
    return bands;
}

void DrawRow(const HistoryModel& model, const HistoryRow& row, Palette palette, QRgb* line,
             int width) {
    const std::array<QRgb, 256>& colours = Colours(palette);
    const HistorySection& section = model.section(row.section);
    const auto cells = qint64(row.cells.size());
    for (int x = 0; x < width; ++x) {
        const double shade = HistoryModel::Shade(row.cells[size_t(x * cells / width)], section);
        line[x] = shade < 0 ? kBackground : colours[size_t(shade * 255 + 0.5)];
    }
}

void DrawRows(const HistoryModel& model, Palette palette, const Shown& shown, QImage* rows) {
    rows->fill(kBackground);
    const std::array<QRgb, 256>& colours = Colours(palette);
    const int width = rows->width();
    std::vector<float> strongest(static_cast<size_t>(width));  // shades, of the band's sections
    std::vector<int16_t> raw(static_cast<size_t>(width));      // values, of one section's run
    std::vector<size_t> columns(static_cast<size_t>(width));
    size_t columnsFor = 0;  // the cells a row has that `columns` was made for
    for (const Band& band : Bands(model.rows().size(), shown, rows->height())) {
        std::fill(strongest.begin(), strongest.end(), -1.0f);
        // Sweeps of one section compare as values, a cheap maximum; each run of a section is
        // then turned into shades once.
        int section = -1;
        const auto shade = [&] {
            if (section < 0) {
                return;
            }
            const HistorySection& at = model.section(section);
            for (size_t x = 0; x < raw.size(); ++x) {
                strongest[x] = std::max(strongest[x], float(HistoryModel::Shade(raw[x], at)));
            }
        };
        for (size_t i = band.newest; i < band.newest + band.count; ++i) {
            const HistoryRow& row = Sweep(model, i);
            if (row.section != section) {
                shade();
                section = row.section;
                std::fill(raw.begin(), raw.end(), HistoryModel::kNoValue);
            }
            if (columnsFor != row.cells.size()) {
                columnsFor = row.cells.size();
                for (int x = 0; x < width; ++x) {
                    columns[size_t(x)] = size_t(qint64(x) * qint64(columnsFor) / width);
                }
            }
            for (size_t x = 0; x < raw.size(); ++x) {
                raw[x] = std::max(raw[x], row.cells[columns[x]]);  // kNoValue is the least
            }
        }
        shade();
        auto* line = reinterpret_cast<QRgb*>(rows->scanLine(band.top));
        for (int x = 0; x < width; ++x) {
            const float at = strongest[size_t(x)];
            line[x] = at < 0 ? kBackground : colours[size_t(at * 255 + 0.5f)];
        }
        for (int y = band.top + 1; y < band.top + band.height; ++y) {
            std::copy_n(rows->constScanLine(band.top), rows->bytesPerLine(), rows->scanLine(y));
        }
        // A new section begins with this band's oldest sweep: a line under it.
        if (NewSectionAbove(model, band.newest + band.count)) {
            std::fill_n(reinterpret_cast<QRgb*>(rows->scanLine(band.top + band.height - 1)), width,
                        kDivider);
        }
    }
}

std::vector<TimeLabel> TimeLabels(const HistoryModel& model, const Shown& shown, int height,
                                  int gap) {
    const std::vector<Band> bands = Bands(model.rows().size(), shown, height);
    std::vector<TimeLabel> labels;
    if (bands.empty()) {
        return labels;
    }
    const QDateTime newest = Sweep(model, bands.front().newest).time;
    const QDateTime oldest = Sweep(model, bands.back().newest + bands.back().count - 1).time;
    const qint64 seconds = std::max<qint64>(1, oldest.secsTo(newest));
    const int pixels = bands.back().top + bands.back().height;
    qint64 interval = kIntervals[std::size(kIntervals) - 1];
    for (const qint64 each : kIntervals) {
        if (each * pixels >= seconds * gap) {
            interval = each;
            break;
        }
    }
    const QString format = interval < 60 ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm");
    QDate dateAbove;
    const auto add = [&](int y, const QDateTime& time, const QString& text) {
        if (!labels.empty() && y - labels.back().y < gap / 2) {
            return;
        }
        const bool newDate = time.date() != dateAbove;
        dateAbove = time.date();
        labels.push_back(
            {y, text, newDate ? time.toString(QStringLiteral("yyyy-MM-dd")) : QString()});
    };
    add(0, newest, newest.toString(QStringLiteral("HH:mm:ss")));
    // Each round time of the local clock (as it stands at the newest sweep, which a change of
    // summer time in view shifts by its hour) lies under the last band of its interval: found
    // by halves among the bands, newest first.
    const qint64 offset = newest.offsetFromUtc();
    const qint64 newestSeconds = newest.toSecsSinceEpoch() + offset;
    const qint64 oldestSeconds = oldest.toSecsSinceEpoch() + offset;
    for (qint64 round = newestSeconds / interval * interval; round > oldestSeconds;
         round -= interval) {
        const auto below = std::partition_point(bands.begin(), bands.end(), [&](const Band& band) {
            return Sweep(model, band.newest).time.toSecsSinceEpoch() + offset >= round;
        });
        if (below != bands.begin() && below != bands.end()) {
            const QDateTime time = QDateTime::fromSecsSinceEpoch(round - offset, newest.timeZone());
            add(below->top, time, time.toString(format));
        }
    }
    return labels;
}

void DrawFrame(QPainter& painter, QSize size, const HistoryModel& model, Palette palette,
               const Shown& shown) {
    const QRect area = Area(size);
    painter.fillRect(QRect(QPoint(0, 0), size), kFrameGrey);
    painter.setPen(kText);
    const QFontMetrics metrics = painter.fontMetrics();
    const std::vector<Band> bands = Bands(model.rows().size(), shown, area.height());

    // Time on the left.
    for (const TimeLabel& label : TimeLabels(model, shown, area.height(), kLabelGap)) {
        const int at = area.top() + label.y;
        painter.drawLine(area.left() - 4, at, area.left() - 1, at);
        painter.drawText(QRect(0, at - metrics.height() / 2, area.left() - 6, metrics.height()),
                         Qt::AlignRight, label.text);
        if (!label.date.isEmpty()) {
            painter.drawText(QRect(0, at + metrics.height() / 2, area.left() - 6, metrics.height()),
                             Qt::AlignRight, label.date);
        }
    }
    // The frequencies of the section at the top below: start, centre, end.
    if (!bands.empty()) {
        const HistorySection& section = model.section(Sweep(model, bands.front().newest).section);
        const double first = double(section.firstHertz);
        const double last = section.HertzAt(section.steps - 1);
        const int y = area.bottom() + 1;
        for (const auto& [x, hertz, align] :
             {std::tuple{area.left(), first, Qt::AlignLeft},
              std::tuple{area.center().x(), section.HertzAt((section.steps - 1) / 2.0),
                         Qt::AlignHCenter},
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
    const HistorySection shownSection =
        bands.empty() ? HistorySection()
                      : model.section(Sweep(model, bands.front().newest).section);
    const QRect bar(area.right() + 10, area.top(), kLegendWidth, area.height());
    const std::array<QRgb, 256>& colours = Colours(palette);
    for (int y = 0; y < bar.height(); ++y) {
        const auto index = size_t(255.0 * (bar.height() - 1 - y) / std::max(1, bar.height() - 1));
        painter.setPen(QColor::fromRgb(colours[index]));
        painter.drawLine(bar.left(), bar.top() + y, bar.right(), bar.top() + y);
    }
    painter.setPen(kText);
    const bool levels = shownSection.unit == HistoryUnit::Level;
    for (int tick = 0; tick <= 4; ++tick) {
        const int y = bar.bottom() - (bar.height() - 1) * tick / 4;
        const double value = shownSection.low + (shownSection.high - shownSection.low) * tick / 4;
        painter.drawText(QRect(bar.right() + 3, y - metrics.height() / 2,
                               size.width() - bar.right() - 3, metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         QString::number(value, 'f', levels ? 0 : 1));
    }
    painter.drawText(
        QRect(bar.left() - 4, bar.bottom() + 4, size.width() - bar.left() + 4, metrics.height()),
        Qt::AlignLeft, levels ? QStringLiteral("level") : QStringLiteral("dB"));
}

void DrawDividers(QPainter& painter, QSize size, const HistoryModel& model, const Shown& shown) {
    const QRect area = Area(size);
    const QFontMetrics metrics = painter.fontMetrics();
    painter.setPen(kText);
    for (const Band& band : Bands(model.rows().size(), shown, area.height())) {
        const size_t oldest = band.newest + band.count - 1;
        if (!NewSectionAbove(model, oldest + 1)) {
            continue;
        }
        const HistorySection& section = model.section(Sweep(model, oldest).section);
        const QString range = QStringLiteral("%1 to %2 MHz from here")
                                  .arg(Megahertz(double(section.firstHertz)),
                                       Megahertz(section.HertzAt(section.steps - 1)));
        const int bottom = area.top() + band.top + band.height - 1;
        const QRect box(area.left() + 4, std::max(area.top(), bottom - metrics.height()),
                        metrics.horizontalAdvance(range) + 6, metrics.height());
        painter.fillRect(box, QColor(0, 0, 0, 160));
        painter.drawText(box, Qt::AlignCenter, range);
    }
}

std::optional<std::pair<Band, int>> BandAt(const HistoryModel& model, const Shown& shown,
                                           QPoint point, QSize area) {
    if (point.x() < 0 || point.x() >= area.width() || point.y() < 0) {
        return std::nullopt;
    }
    for (const Band& band : Bands(model.rows().size(), shown, area.height())) {
        if (point.y() >= band.top && point.y() < band.top + band.height) {
            const HistoryRow& row = Sweep(model, band.newest);
            return std::pair{band,
                             int(qint64(point.x()) * qint64(row.cells.size()) / area.width())};
        }
    }
    return std::nullopt;
}

QImage Picture(const HistoryModel& model, Palette palette, QSize size, const QString& source) {
    QImage picture(size.width(), size.height() + kCaptionHeight, QImage::Format_RGB32);
    const QRect area = Area(size);
    const Shown shown{Zoom::ToFit(model.rows().size(), area.height(), area.height()), 0};
    QPainter painter(&picture);
    DrawFrame(painter, size, model, palette, shown);
    QImage rows(area.size(), QImage::Format_RGB32);
    DrawRows(model, palette, shown, &rows);
    painter.drawImage(area.topLeft(), rows);
    DrawDividers(painter, size, model, shown);

    // The caption strip: what the rows are, in the picture itself.
    const QRect strip(0, size.height(), size.width(), kCaptionHeight);
    painter.fillRect(strip, kFrameGrey);
    painter.setPen(kText);
    const QFontMetrics metrics = painter.fontMetrics();
    const auto& all = model.rows();
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QString first = QStringLiteral("no sweep yet");
    QString second = QStringLiteral("palette %1").arg(PaletteName(palette).toLower());
    if (!all.empty()) {
        const HistorySection& section = model.section(all.back().section);
        const size_t bands =
            (all.size() + size_t(shown.zoom.sweeps) - 1) / size_t(shown.zoom.sweeps);
        const QString utc = QStringLiteral("yyyy-MM-dd HH:mm:ss");
        first =
            QStringLiteral("%1 to %2 MHz   %3 to %4 UTC   %5 in %6 (%7)")
                .arg(Megahertz(double(section.firstHertz)),
                     Megahertz(section.HertzAt(section.steps - 1)),
                     all.front().time.toUTC().toString(utc), all.back().time.toUTC().toString(utc),
                     english.toString(qulonglong(all.size())) +
                         (all.size() == 1 ? QStringLiteral(" sweep") : QStringLiteral(" sweeps")),
                     english.toString(qulonglong(bands)) +
                         (bands == 1 ? QStringLiteral(" row") : QStringLiteral(" rows")),
                     shown.zoom.Text());
        second += section.unit == HistoryUnit::Level
                      ? QStringLiteral("   level 0 to 16 (not dB)")
                      : QStringLiteral("   %1 to %2 dB")
                            .arg(section.low, 0, 'f', section.decimals)
                            .arg(section.high, 0, 'f', section.decimals);
    }
    if (!source.isEmpty()) {
        second += QStringLiteral("   from %1").arg(source);
    }
    painter.drawText(QRect(4, strip.top() + 3, strip.width() - 8, metrics.height()), Qt::AlignLeft,
                     first);
    painter.drawText(
        QRect(4, strip.top() + 5 + metrics.height(), strip.width() - 8, metrics.height()),
        Qt::AlignLeft, second);
    return picture;
}

}  // namespace nerimo::waterfall
