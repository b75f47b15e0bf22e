#pragma once

#include <QFile>
#include <optional>

#include "AppendFile.h"

namespace nerimo::platform {

class QtAppendFile : public AppendFile {
  public:
    bool Open(const QString& path, QString* error) override;
    bool Append(const QByteArray& piece, QString* error) override;
    qint64 Size() const override { return file_.size(); }
    void Close() override { file_.close(); }
    void Discard() override;

  private:
    // Why the file open is not the one its path names any more (removed, or replaced); nothing
    // while it is, or for what is not a regular file.
    std::optional<QString> Unlinked() const;
    // Takes back what reached the file beyond `size`; false, with the reason.
    bool Failed(qint64 size, QString* error);

    QFile file_;
    QByteArray path_;
    bool created_ = false;  // by the last Open
};

}  // namespace nerimo::platform
