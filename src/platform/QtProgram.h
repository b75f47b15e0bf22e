#pragma once

#include <QLockFile>
#include <memory>

#include "Program.h"

namespace nerimo::platform {

class QtProgram : public Program {
  public:
    QString Folder() const override;
    bool AnotherInstanceRunning() override;
    void EndNow() override;

  private:
    std::unique_ptr<QLockFile> lock_;
};

}  // namespace nerimo::platform
