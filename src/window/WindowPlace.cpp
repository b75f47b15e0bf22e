#include "WindowPlace.h"

#include <QMouseEvent>
#include <QWindow>
#include <algorithm>

namespace nerimo {

QPoint PlaceOnScreen(const QRect& available, const QSize& window) {
    return {
        std::max(available.left(), available.left() + (available.width() - window.width()) / 2),
        std::max(available.top(), available.top() + (available.height() - window.height()) / 2)};
}

TitleStripDrag::TitleStripDrag(QWidget* window, std::initializer_list<QWidget*> strip)
    : QObject(window), window_(window) {
    for (QWidget* part : strip) {
        part->installEventFilter(this);
    }
}

bool TitleStripDrag::eventFilter(QObject* watched, QEvent* event) {
    // The strip also sees polish, paint and the rest: read the event as a mouse event only
    // once its type says it is one.
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                !(window_->windowHandle() && window_->windowHandle()->startSystemMove())) {
                grip_ = mouse->globalPosition().toPoint() - window_->pos();
            }
            break;
        }
        case QEvent::MouseMove:
            if (grip_) {
                window_->move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() -
                              *grip_);
            }
            break;
        case QEvent::MouseButtonRelease:
            grip_.reset();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace nerimo
