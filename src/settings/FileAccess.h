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
    };
    Outcome outcome = Outcome::Read;
    QByteArray bytes;
    QString error;  // the service's description, for NotCreated and Unreadable
};

// Byte-wise access to the settings file.
class FileAccess {
  public:
    virtual ~FileAccess() = default;
    virtual FileRead ReadOrCreate(const QString& path) = 0;
};

}  // namespace nerimo
