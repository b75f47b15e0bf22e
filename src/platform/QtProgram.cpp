#include "QtProgram.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QCryptographicHash>
#include <QRegularExpression>
#include <QStandardPaths>

namespace nerimo::platform {

namespace {

// The folder of the claims: /run/lock where it takes files (as it does on every Debian system),
// else the user's runtime folder, else the temporary one.
QString ClaimFolder() {
    for (const QString& folder :
         {QStringLiteral("/run/lock"), qEnvironmentVariable("XDG_RUNTIME_DIR")}) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir() && QFileInfo(folder).isWritable()) {
            return folder;
        }
    }
    return QDir::tempPath();
}

// The claim's path for a receiver, without its extension: one device however it is named (a link
// in /dev/serial/by-id and the device it points to), readable, and short enough for a socket.
QString ClaimFor(const QString& receiver) {
    const QString canonical = QFileInfo(receiver).canonicalFilePath();
    const QString key = canonical.isEmpty() ? receiver : canonical;
    static const QRegularExpression kUnsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    const QString readable = QString(key).replace(kUnsafe, QStringLiteral("_")).right(40);
    const QByteArray hash =
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(8);
    return QDir(ClaimFolder())
        .filePath(QStringLiteral("nerimo-%1-%2").arg(readable, QLatin1String(hash)));
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

bool QtProgram::AnotherInstanceRunning(const QString& receiver) {
    if (lock_) {
        return false;
    }
    const QString claim = ClaimFor(receiver);
    auto lock = std::make_unique<QLockFile>(claim + QStringLiteral(".lock"));
    // A lock is stale only when its owner has died (a killed copy), never because of its age.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError) {
            return false;
        }
        // The connection is the request; a copy that does not listen (a survey) is not asked.
        QLocalSocket socket;
        socket.connectToServer(claim + QStringLiteral(".socket"));
        socket.waitForConnected(kAskingMs);
        return true;
    }
    lock_ = std::move(lock);
    Listen(claim + QStringLiteral(".socket"));
    return false;
}

void QtProgram::OnShowRequested(std::function<void()> handler) {
    showRequested_ = std::move(handler);
}

void QtProgram::Listen(const QString& path) {
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
