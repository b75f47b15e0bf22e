#include "SurfaceWidget.h"

#include <QAccessibleWidget>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace nerimo::platform {

namespace {

// To a screen reader a surface is a canvas: a picture it cannot read, its name and description
// saying what it shows.
QAccessibleInterface* Canvas(const QString& className, QObject* object) {
    auto* widget = qobject_cast<SurfaceWidget*>(object);
    return widget && className == QLatin1String(SurfaceWidget::staticMetaObject.className())
               ? new QAccessibleWidget(widget, QAccessible::Canvas)
               : nullptr;
}

}  // namespace

SurfaceWidget::SurfaceWidget(QWidget* parent, Rgb background)
    : QWidget(parent), image_(background) {
    static const bool canvas = (QAccessible::installFactory(Canvas), true);
    (void)canvas;
    // The image covers every pixel, so Qt need not clear the widget before painting it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SurfaceWidget::SetPixelSize(int width, int height) {
    setFixedSize(width, height);
    image_.SetPixelSize(width, height);
    drawn_ = image_.Image().rect();
}

void SurfaceWidget::Erase() {
    image_.Erase();
    drawn_ = image_.Image().rect();
}

void SurfaceWidget::DrawLine(int x1, int y1, int x2, int y2, Rgb color) {
    image_.DrawLine(x1, y1, x2, y2, color);
    drawn_ |= QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                    QPoint(std::max(x1, x2), std::max(y1, y2)));
}

void SurfaceWidget::DrawPixels(const Rgb* pixels, int width, int height) {
    image_.DrawPixels(pixels, width, height);
    drawn_ |= QRect(0, 0, width, height);
}

void SurfaceWidget::Present() {
    // Only what was drawn is repainted.
    if (!drawn_.isEmpty()) {
        update(drawn_);
        drawn_ = QRect();
    }
}

void SurfaceWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), image_.Image(), event->rect());
}

}  // namespace nerimo::platform
