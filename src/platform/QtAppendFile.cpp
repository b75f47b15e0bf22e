#include "QtAppendFile.h"

namespace nerimo::platform {

bool QtAppendFile::Open(const QString& path, QString* error) {
    file_.close();
    file_.setFileName(path);
    // Unbuffered: a piece that fails leaves nothing in a buffer to stop the file being cut back.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        *error = file_.errorString();
        return false;
    }
    return true;
}

bool QtAppendFile::Append(const QByteArray& piece, QString* error) {
    const qint64 size = file_.size();
    // A short write is tried again for the rest, so that a failure comes with its reason.
    for (qint64 done = 0, wrote = 0; done < piece.size(); done += wrote) {
        wrote = file_.write(piece.constData() + done, piece.size() - done);
        if (wrote <= 0) {
            return Failed(size, error);
        }
    }
    return true;
}

bool QtAppendFile::Failed(qint64 size, QString* error) {
    *error = file_.errorString();
    file_.unsetError();
    file_.resize(size);  // take back what reached the file of it
    return false;
}

}  // namespace nerimo::platform
