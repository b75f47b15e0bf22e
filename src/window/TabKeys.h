#pragma once

#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QTimer>

namespace nerimo {

// Whether the focus is moving because Tab or Shift+Tab was pressed just now, and not because a
// control it was on went away: an event filter on the controls the keys reach.
class TabKeys : public QObject {
  public:
    using QObject::QObject;
    bool Tabbing() const { return tabbing_; }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
                tabbing_ = true;
                // The focus moves while the key is handled; after it, no more.
                QTimer::singleShot(0, this, [this] { tabbing_ = false; });
            }
        }
        return false;
    }

  private:
    bool tabbing_ = false;
};

}  // namespace nerimo
