#pragma once

#include <QString>
#include <utility>

namespace nerimo {

// A fault that ends start-up: the program shows the message and ends with status 1.
class StartupError {
  public:
    explicit StartupError(QString message) : message_(std::move(message)) {}
    const QString& Message() const { return message_; }

  private:
    QString message_;
};

}  // namespace nerimo
