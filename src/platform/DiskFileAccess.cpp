#include "DiskFileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "FileKind.h"

#include <sys/stat.h>
#include <unistd.h>

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
    return Read(path);
}

FileRead DiskFileAccess::Read(const QString& path) {
    QFile file(path);
    if (!QFileInfo::exists(path)) {
        return {FileRead::Outcome::Missing, {}, {}};
    }
    if (const std::optional<QString> why = NotAFile(path)) {
        return {FileRead::Outcome::NotAFile, {}, *why};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return {FileRead::Outcome::Unreadable, {}, file.errorString()};
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return {FileRead::Outcome::Unreadable, {}, file.errorString()};
    }
    return {FileRead::Outcome::Read, bytes, {}, file.permissions()};
}

std::unique_ptr<QIODevice> DiskFileAccess::OpenForReading(const QString& path, QString* error) {
    // A pipe would hold the reader, and whoever waits for it, until something wrote.
    if (const std::optional<QString> why = NotAFile(path)) {
        *error = *why;
        return nullptr;
    }
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        *error = file->errorString();
        return nullptr;
    }
    return file;
}

std::optional<QString> DiskFileAccess::NotOursToChange(const QString& path) {
    struct stat facts {};
    if (::lstat(QFile::encodeName(path).constData(), &facts) != 0) {
        return std::nullopt;  // not there: it is made
    }
    // The file's own bits and owner, not what the system would allow: root may write anything.
    if (S_ISLNK(facts.st_mode)) {
        return QStringLiteral(
                   "it is a link to %1, which others may share; change that file "
                   "itself, or use --settings with a file of your own")
            .arg(QFileInfo(path).symLinkTarget());
    }
    if (facts.st_uid != ::getuid()) {
        return QStringLiteral("it belongs to another user");
    }
    if ((facts.st_mode & S_IWUSR) == 0) {
        return QStringLiteral("it is read-only (chmod u+w makes it writable)");
    }
    if (facts.st_nlink > 1) {
        return QStringLiteral(
                   "it has %1 names (hard links), which a new file in its place "
                   "would part")
            .arg(facts.st_nlink);
    }
    return std::nullopt;
}

bool DiskFileAccess::Replace(const QString& path, const QByteArray& bytes, QString* error) {
    // Renamed into its place, the new file would take the place of a pipe or a folder's entry.
    if (const std::optional<QString> why = NotAFile(path)) {
        *error = *why;
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace nerimo::platform
