#pragma once

#include <QFile>

#include "AppendFile.h"

namespace nerimo::platform {

class QtAppendFile : public AppendFile {
  public:
    bool Open(const QString& path, QString* error) override;
    bool Append(const QByteArray& piece, QString* error) override;
    void Close() override { file_.close(); }

  private:
    // Takes back what reached the file beyond `size`; false, with the reason.
    bool Failed(qint64 size, QString* error);

    QFile file_;
};

}  // namespace nerimo::platform
