#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <initializer_list>
#include <optional>

namespace nerimo {

// Where the window opens: centred on the screen's available area (without the desktop's panels)
// and never above or left of it, so that the title strip and its buttons are on the screen even
// when the window is larger than the screen.
QPoint PlaceOnScreen(const QRect& available, const QSize& window);

// The window has no frame of its own: dragging its title strip moves it. The desktop moves it
// where it can (a window manager on X11, Wayland); elsewhere the window follows the pointer.
class TitleStripDrag : public QObject {
  public:
    TitleStripDrag(QWidget* window, std::initializer_list<QWidget*> strip);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
    std::optional<QPoint> grip_;  // the pointer from the window's corner, while it follows
};

}  // namespace nerimo
