#include "FileKind.h"

#include <sys/stat.h>

#include <QFile>

namespace nerimo {

std::optional<QString> NotAFile(const QString& path) {
    struct stat status {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0 ||
        S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    const char* kind = S_ISDIR(status.st_mode)    ? "a folder"
                       : S_ISFIFO(status.st_mode) ? "a named pipe"
                       : S_ISSOCK(status.st_mode) ? "a socket"
                                                  : "a device";
    return QStringLiteral("it is %1, not a file").arg(QLatin1String(kind));
}

}  // namespace nerimo
