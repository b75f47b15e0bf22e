#pragma once

#include "FileAccess.h"

namespace nerimo::platform {

class DiskFileAccess : public FileAccess {
  public:
    FileRead ReadOrCreate(const QString& path) override;
    FileRead Read(const QString& path) override;
    std::unique_ptr<QIODevice> OpenForReading(const QString& path, QString* error) override;
    std::optional<QString> NotOursToChange(const QString& path) override;
    bool Replace(const QString& path, const QByteArray& bytes, QString* error) override;
};

}  // namespace nerimo::platform
