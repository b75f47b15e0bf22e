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
        Missing,     // it does not exist (a plain read)
    };
    Outcome outcome = Outcome::Read;
    QByteArray bytes;
    QString error;  // the service's description, for NotCreated and Unreadable
};

// Byte-wise access to the settings file and the lists beside it.
class FileAccess {
  public:
    virtual ~FileAccess() = default;
    virtual FileRead ReadOrCreate(const QString& path) = 0;
    // Read, Missing or Unreadable.
    virtual FileRead Read(const QString& path) = 0;
    // The file's whole new content, in place of the old only once all of it is written; false
    // with the reason.
    virtual bool Replace(const QString& path, const QByteArray& bytes, QString* error) = 0;
};

}  // namespace nerimo
