#pragma once

#include <QByteArray>
#include <QString>

namespace nerimo {

// A file that grows by whole pieces: what a failed write (a full disk) left of a piece is taken
// back, so the file never ends in half of one.
class AppendFile {
  public:
    virtual ~AppendFile() = default;

    // Opens for appending, creating it when missing; false with the reason.
    virtual bool Open(const QString& path, QString* error) = 0;
    // The bytes the file holds (0 for a device or a pipe).
    virtual qint64 Size() const = 0;
    // Writes the piece and flushes it; false with the reason, nothing of it left behind.
    virtual bool Append(const QByteArray& piece, QString* error) = 0;
    virtual void Close() = 0;
    // Closes the file and removes it if Open created it: for a run that ended before it began.
    virtual void Discard() = 0;
};

}  // namespace nerimo
