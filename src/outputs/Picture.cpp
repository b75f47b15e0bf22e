#include "Picture.h"

#include <QSaveFile>
#include <algorithm>

namespace nerimo {

namespace {

const QRgb kWindowGrey = qRgb(64, 64, 64);  // the window between the plot and its scale

}  // namespace

QImage PlotPicture(const QImage& plot, const QImage& scale) {
    QImage picture(plot.width(), plot.height() + 1 + scale.height(), QImage::Format_RGB32);
    picture.fill(kWindowGrey);
    for (int y = 0; y < plot.height(); ++y) {
        std::copy_n(plot.constScanLine(y), plot.bytesPerLine(), picture.scanLine(y));
    }
    for (int y = 0; y < scale.height(); ++y) {
        std::copy_n(scale.constScanLine(y), scale.bytesPerLine(),
                    picture.scanLine(plot.height() + 1 + y));
    }
    return picture;
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    if (!picture.save(&file, "PNG")) {
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
