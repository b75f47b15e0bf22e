#pragma once

#include <QString>

namespace nerimo::platform {

// A modal message with an OK button only, no icon, the program's title as caption.
class MessageBox {
  public:
    virtual ~MessageBox() = default;
    virtual void Show(const QString& text) = 0;
};

}  // namespace nerimo::platform
