#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QIODevice>
#include <QString>
#include <memory>
#include <optional>

namespace nerimo {

struct FileRead {
    enum class Outcome {
        Read,        // the file existed and was read whole
        Created,     // it did not exist and was created, empty (its folder too)
        NotCreated,  // it did not exist and could not be created (a read-only folder)
        Unreadable,  // it exists but cannot be read
        NotAFile,    // it is a folder, a named pipe, a device: never read
        Missing,     // it does not exist (a plain read)
    };
    Outcome outcome = Outcome::Read;
    QByteArray bytes;
    QString error;                              // why, for NotCreated, Unreadable and NotAFile
    QFileDevice::Permissions permissions = {};  // of a file read
};

// Byte-wise access to the files a user keeps: the settings file, the lists beside it, the
// credentials, the logs read back. Tests put files in memory in its place.
class FileAccess {
  public:
    virtual ~FileAccess() = default;
    virtual FileRead ReadOrCreate(const QString& path) = 0;
    // Read, Missing, Unreadable or NotAFile.
    virtual FileRead Read(const QString& path) = 0;
    // The file open for reading a piece at a time (a log of any size), from any thread; nothing,
    // with the reason, when it cannot be (a path that is no file among them).
    virtual std::unique_ptr<QIODevice> OpenForReading(const QString& path, QString* error) = 0;
    // Why the file must not be rewritten though the user may be able to: it is read-only,
    // another user's, a link, or one file under several names; nothing when it may be.
    virtual std::optional<QString> NotOursToChange(const QString& path) = 0;
    // The file's whole new content, in place of the old only once all of it is written; false
    // with the reason (also for a path that is not a file).
    virtual bool Replace(const QString& path, const QByteArray& bytes, QString* error) = 0;
};

}  // namespace nerimo
