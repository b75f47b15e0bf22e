#include "PseudoTerminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace nerimo::sim {

PseudoTerminal::~PseudoTerminal() {
    Hangup();
}

bool PseudoTerminal::Open(const QString& linkPath, QString* error) {
    const auto fail = [error](const char* what) {
        *error = QStringLiteral("%1: %2").arg(QLatin1String(what),
                                              QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0) {
        return fail("posix_openpt");
    }
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        return fail("grantpt/unlockpt");
    }
    slavePath_ = QString::fromLocal8Bit(::ptsname(master_));
    slave_ = ::open(slavePath_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (slave_ < 0) {
        return fail("open slave");
    }
    // Raw: no echo of our replies back to us, no line editing, every byte as it comes.
    termios settings{};
    if (::tcgetattr(slave_, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(slave_, TCSANOW, &settings);
    }

    const QFileInfo existing(linkPath);
    if (existing.isSymLink()) {
        QFile::remove(linkPath);
    } else if (existing.exists()) {
        *error = QStringLiteral("%1 exists and is not a symbolic link").arg(linkPath);
        return false;
    }
    if (::symlink(slavePath_.toLocal8Bit().constData(), linkPath.toLocal8Bit().constData()) != 0) {
        return fail("symlink");
    }
    linkPath_ = linkPath;
    return true;
}

void PseudoTerminal::Hangup() {
    // The device goes with its link, as an unplugged adapter's does: the number of the freed
    // terminal may be another's next.
    if (!linkPath_.isEmpty()) {
        QFile::remove(linkPath_);
    }
    if (slave_ >= 0) {
        ::close(slave_);
        slave_ = -1;
    }
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

}  // namespace nerimo::sim
