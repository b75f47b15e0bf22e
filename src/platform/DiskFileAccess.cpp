#include "DiskFileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace nerimo::platform {

FileRead DiskFileAccess::ReadOrCreate(const QString& path) {
    QFile file(path);
    if (!QFileInfo::exists(path)) {
        // The folder too, as the user's own settings folder may not be there yet. NewOnly:
        // never truncate a file that appeared meanwhile.
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            return {FileRead::Outcome::NotCreated, {}, file.errorString()};
        }
        return {FileRead::Outcome::Created, {}, {}};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return {FileRead::Outcome::Unreadable, {}, file.errorString()};
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return {FileRead::Outcome::Unreadable, {}, file.errorString()};
    }
    return {FileRead::Outcome::Read, bytes, {}};
}

}  // namespace nerimo::platform
