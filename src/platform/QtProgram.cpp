#include "QtProgram.h"

#include <QCoreApplication>
#include <QDir>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace nerimo::platform {

namespace {

// One lock per user. The temporary folder is per user on Windows; on Unix it is shared, so the
// user id goes into the name.
QString LockPath() {
    QString name = QStringLiteral("nerimo");
#ifdef Q_OS_UNIX
    name += QLatin1Char('-') + QString::number(::getuid());
#endif
    return QDir(QDir::tempPath()).filePath(name + QStringLiteral(".lock"));
}

}  // namespace

QString QtProgram::Folder() const {
    return QCoreApplication::applicationDirPath();
}

bool QtProgram::AnotherInstanceRunning() {
    if (lock_) {
        return false;
    }
    auto lock = std::make_unique<QLockFile>(LockPath());
    // A lock is stale only when its owner has died (a killed copy), never because of its age.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        return lock->error() == QLockFile::LockFailedError;
    }
    lock_ = std::move(lock);
    return false;
}

void QtProgram::EndNow() {
    QCoreApplication::exit(0);
}

}  // namespace nerimo::platform
