#include "Picture.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <algorithm>

#include "HoldLegend.h"
#include "PlotGeometry.h"

namespace nerimo {

namespace {

constexpr QRgb kWindowGrey = qRgb(64, 64, 64);  // the window between the plot and its scale
constexpr int kCaptionHeight = 40;
constexpr int kHoldsLineHeight = kCaptionHeight / 2;  // the caption's line for the holds

QString Megahertz(double mhz) {
    return QString::number(mhz, 'f', 4) + QStringLiteral(" MHz");
}

void DrawCaption(QPainter& painter, const QRect& strip, const PictureCaption& caption) {
    painter.setPen(Qt::white);
    const QFontMetrics metrics = painter.fontMetrics();
    const int line = strip.top() + 2;
    const double end = caption.startMHz + caption.spanMHz;
    const auto count = int(caption.channels.size());
    int free = 0;  // the first column not taken by a name
    for (int index = 0; index < count; ++index) {
        const QString& text = caption.channels[index];
        const int width = metrics.horizontalAdvance(text);
        const int left =
            std::clamp(ChannelMiddleX(index, count) - width / 2, 0, strip.width() - width);
        if (left >= free) {
            painter.drawText(QRect(left, line, width, metrics.height()), Qt::AlignLeft, text);
            free = left + width + metrics.horizontalAdvance(QLatin1Char(' '));
        }
    }
    for (const auto& [x, mhz] :
         {std::pair{kFirstPointX, caption.startMHz},
          std::pair{(kFirstPointX + kLastPointX) / 2, (caption.startMHz + end) / 2},
          std::pair{kLastPointX, end}}) {
        if (count > 0) {
            break;
        }
        const QString text = Megahertz(mhz);
        const int width = metrics.horizontalAdvance(text);
        const int left = std::clamp(x - width / 2, 0, strip.width() - width);
        painter.drawText(QRect(left, line, width, metrics.height()), Qt::AlignLeft, text);
    }
    const QString facts =
        QStringLiteral(
            "%1   %2   %3   %4   level 0 (baseline) to 16 (top), "
            "21 pixels a level")
            .arg(caption.lastSweep.isValid()
                     ? caption.lastSweep.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                     : QStringLiteral("no sweep yet"),
                 count > 0 ? QStringLiteral("%1 channels").arg(count)
                           : QStringLiteral("span %1 MHz").arg(caption.spanMHz),
                 ModeName(caption.mode), caption.device);
    painter.drawText(QRect(4, line + metrics.height() + 2, strip.width() - 8, metrics.height()),
                     Qt::AlignLeft, facts);
    if (!caption.holds.empty()) {
        painter.drawText(
            QRect(4, line + 2 * (metrics.height() + 2), strip.width() - 8, metrics.height()),
            Qt::AlignLeft, HoldsCaption(caption.holds));
    }
}

}  // namespace

QImage PlotPicture(const QImage& plot, const QImage& scale, const PictureCaption& caption) {
    const int top = plot.height() + 1 + scale.height();
    const int captionHeight = kCaptionHeight + (caption.holds.empty() ? 0 : kHoldsLineHeight);
    QImage picture(plot.width(), top + captionHeight, QImage::Format_RGB32);
    picture.fill(kWindowGrey);
    for (int y = 0; y < plot.height(); ++y) {
        std::copy_n(plot.constScanLine(y), plot.bytesPerLine(), picture.scanLine(y));
    }
    for (int y = 0; y < scale.height(); ++y) {
        std::copy_n(scale.constScanLine(y), scale.bytesPerLine(),
                    picture.scanLine(plot.height() + 1 + y));
    }
    QPainter painter(&picture);
    DrawHoldLegend(painter, caption.holds);
    DrawCaption(painter, QRect(0, top, picture.width(), captionHeight), caption);
    return picture;
}

std::optional<QByteArray> PictureFormat(const QString& path) {
    const QByteArray ending = QFileInfo(path).suffix().toLower().toLatin1();
    if (ending.isEmpty() || !QImageWriter::supportedImageFormats().contains(ending)) {
        return std::nullopt;
    }
    return ending;
}

QString PictureFormatsText() {
    return QStringLiteral(
        "its name must end in .png, or in the ending of another picture format Nerimo writes "
        "(.jpg, .bmp)");
}

std::optional<QString> PictureRefused(const QString& path) {
    // Opened and never committed: the trial file goes again, and an old picture stays.
    QSaveFile trial(path);
    if (!trial.open(QIODevice::WriteOnly)) {
        return trial.errorString();
    }
    trial.cancelWriting();
    return std::nullopt;
}

bool SavePicture(const QImage& picture, const QString& path, QString* error) {
    // Never the bytes of one format under the name of another.
    const std::optional<QByteArray> format = PictureFormat(path);
    if (!format) {
        *error = PictureFormatsText();
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    if (!picture.save(&file, format->constData())) {
        *error = file.error() == QFileDevice::NoError
                     ? QStringLiteral("the picture could not be made")
                     : file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace nerimo
