#include "QtProgram.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cerrno>

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
    // Two names of one device are one receiver. A pseudo-terminal's number is handed on as soon
    // as it closes, so a receiver on one (a simulated receiver) is the link it was given by.
    const QString canonical = QFileInfo(receiver).canonicalFilePath();
    const QString key = canonical.isEmpty() || canonical.startsWith(QStringLiteral("/dev/pts/"))
                            ? receiver
                            : canonical;
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

QtProgram::~QtProgram() {
    if (claim_ >= 0) {
        ::close(claim_);
    }
}

bool QtProgram::AnotherInstanceRunning(const QString& receiver) {
    if (claim_ >= 0) {
        return false;
    }
    const QString claim = ClaimFor(receiver);
    const QByteArray path = QFile::encodeName(claim + QStringLiteral(".lock"));
    // A lock of the system's own on the file, which goes with its holder however that ends:
    // never stale, also where another user's copy left the file behind.
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0) {
        ::fchmod(fd, 0666);  // so that any user's copy may take it next (a failure is no matter)
    } else {
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    }
    if (fd < 0) {
        return false;  // no claim to be had: this copy runs without one
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        if (!held) {
            return false;
        }
        // The connection is the request; a copy that does not listen (a survey) is not asked.
        QLocalSocket socket;
        socket.connectToServer(claim + QStringLiteral(".socket"));
        socket.waitForConnected(kAskingMs);
        return true;
    }
    claim_ = fd;
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
