#pragma once

#include "FileAccess.h"

namespace nerimo::platform {

class DiskFileAccess : public FileAccess {
  public:
    FileRead ReadOrCreate(const QString& path) override;
};

}  // namespace nerimo::platform
