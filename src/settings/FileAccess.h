#pragma once

#include <QByteArray>
#include <QString>

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
    QString error;  // why, for NotCreated, Unreadable and NotAFile
};

// Byte-wise access to the settings file and the lists beside it.
class FileAccess {
  public:
    virtual ~FileAccess() = default;
    virtual FileRead ReadOrCreate(const QString& path) = 0;
    // Read, Missing, Unreadable or NotAFile.
    virtual FileRead Read(const QString& path) = 0;
    // The file's whole new content, in place of the old only once all of it is written; false
    // with the reason (also for a path that is not a file).
    virtual bool Replace(const QString& path, const QByteArray& bytes, QString* error) = 0;
};

}  // namespace nerimo
