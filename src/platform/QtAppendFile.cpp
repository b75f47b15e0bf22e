#include "QtAppendFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QFileInfo>

namespace nerimo::platform {

namespace {

QString Why(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

bool QtAppendFile::Open(const QString& path, QString* error) {
    file_.close();
    created_ = !QFileInfo::exists(path);
    // Appended by the system at every write, so that a device or a pipe (/dev/stdout) takes the
    // log too, where a seek to the end would fail. Opened without waiting: a named pipe that
    // nobody reads is refused at once, where a plain open would wait for a reader for ever.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) {
        *error =
            errno == ENXIO ? QStringLiteral("it is a named pipe that nothing reads") : Why(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || S_ISSOCK(status.st_mode) ||
        ::fcntl(fd, F_SETFL, O_APPEND) != 0) {
        *error =
            S_ISSOCK(status.st_mode) ? QStringLiteral("it is a socket, not a file") : Why(errno);
        ::close(fd);
        return false;
    }
    // Unbuffered: a piece that fails leaves nothing in a buffer to stop the file being cut back.
    if (!file_.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = file_.errorString();
        return false;
    }
    path_ = QFile::encodeName(path);
    return true;
}

bool QtAppendFile::Append(const QByteArray& piece, QString* error) {
    if (const std::optional<QString> why = Unlinked()) {
        *error = *why;
        return false;
    }
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

void QtAppendFile::Discard() {
    file_.close();
    if (created_) {
        QFile::remove(QFile::decodeName(path_));
        created_ = false;
    }
}

std::optional<QString> QtAppendFile::Unlinked() const {
    struct stat open {};
    if (::fstat(file_.handle(), &open) != 0 || !S_ISREG(open.st_mode)) {
        return std::nullopt;
    }
    // Rows written to a file that is no longer in its folder would be lost with it.
    struct stat named {};
    if (open.st_nlink == 0 || ::stat(path_.constData(), &named) != 0) {
        return QStringLiteral("the file, or its folder, was removed");
    }
    if (named.st_dev != open.st_dev || named.st_ino != open.st_ino) {
        return QStringLiteral("another file has taken its place");
    }
    return std::nullopt;
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
