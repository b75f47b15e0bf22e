#include "QtProgram.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace nerimo::platform {

namespace {

// One lock and one socket per user. The temporary folder is per user on Windows; on Unix it is
// shared, so the user id goes into the name.
QString PathFor(const QString& extension) {
    QString name = QStringLiteral("nerimo");
#ifdef Q_OS_UNIX
    name += QLatin1Char('-') + QString::number(::getuid());
#endif
    return QDir(QDir::tempPath()).filePath(name + extension);
}

constexpr int kAskingMs = 1000;

}  // namespace

QString QtProgram::Folder() const {
    return QCoreApplication::applicationDirPath();
}

QString QtProgram::UserFolder() const {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("nerimo"));
}

bool QtProgram::Installed() const {
    return QFileInfo::exists(Folder() + QStringLiteral("/../share/nerimo/installed"));
}

bool QtProgram::AnotherInstanceRunning() {
    if (lock_) {
        return false;
    }
    auto lock = std::make_unique<QLockFile>(PathFor(QStringLiteral(".lock")));
    // A lock is stale only when its owner has died (a killed copy), never because of its age.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError) {
            return false;
        }
        // The connection is the request; a copy that does not listen (a survey) is not asked.
        QLocalSocket socket;
        socket.connectToServer(PathFor(QStringLiteral(".socket")));
        socket.waitForConnected(kAskingMs);
        return true;
    }
    lock_ = std::move(lock);
    Listen();
    return false;
}

void QtProgram::OnShowRequested(std::function<void()> handler) {
    showRequested_ = std::move(handler);
}

void QtProgram::Listen() {
    const QString path = PathFor(QStringLiteral(".socket"));
    QLocalServer::removeServer(path);  // a killed copy's: the lock is ours now
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            socket->deleteLater();
            if (showRequested_) {
                showRequested_();
            }
        }
    });
    // Without the socket a later copy cannot ask; it still ends, as it must.
    server_->listen(path);
}

void QtProgram::EndNow() {
    QCoreApplication::exit(0);
}

}  // namespace nerimo::platform
