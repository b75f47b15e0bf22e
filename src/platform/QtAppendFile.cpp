#include "QtAppendFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace nerimo::platform {

bool QtAppendFile::Open(const QString& path, QString* error) {
    file_.close();
    // Appended by the system at every write, so that a device or a pipe (/dev/stdout) takes the
    // log too, where a seek to the end would fail.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    // Unbuffered: a piece that fails leaves nothing in a buffer to stop the file being cut back.
    if (!file_.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
        ::close(fd);
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
    if (!file_.isSequential()) {
        file_.resize(size);  // take back what reached the file of it
    }
    return false;
}

}  // namespace nerimo::platform
