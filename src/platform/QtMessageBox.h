#pragma once

#include <utility>

#include "MessageBox.h"

namespace nerimo::platform {

class QtMessageBox : public MessageBox {
  public:
    explicit QtMessageBox(QString title) : title_(std::move(title)) {}
    void Show(const QString& text) override;

  private:
    QString title_;
};

}  // namespace nerimo::platform
