#include "PictureFile.h"

#include <QSaveFile>

namespace nerimo::platform {

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

}  // namespace nerimo::platform
