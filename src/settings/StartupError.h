#pragma once

#include <QString>
#include <utility>

namespace nerimo {

// A fault that ends start-up: the program shows the message and ends with its status, 1 unless
// it is a usage error (2: a settings file that is no file).
class StartupError {
  public:
    explicit StartupError(QString message, int status = 1)
        : message_(std::move(message)), status_(status) {}
    const QString& Message() const { return message_; }
    int Status() const { return status_; }

  private:
    QString message_;
    int status_;
};

}  // namespace nerimo
