#pragma once

#include <QMessageBox>
#include <QPointer>
#include <utility>
#include <vector>

#include "MessageBox.h"

namespace nerimo::platform {

class QtMessageBox : public MessageBox {
  public:
    explicit QtMessageBox(QString title) : title_(std::move(title)) {}
    ~QtMessageBox() override;
    void Show(const QString& text) override;
    void Notify(const QString& text) override;

  private:
    // Whether a box could be seen and closed: there is a window, on a platform with a screen.
    static bool Seen();

    QString title_;
    std::vector<QPointer<QMessageBox>> notices_;  // still open, closed with the program
};

}  // namespace nerimo::platform
