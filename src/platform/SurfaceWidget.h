#pragma once

#include <QImage>
#include <QWidget>

#include "Surface.h"

namespace nerimo::platform {

// A surface kept in an image of its own, so what is drawn survives covering and minimising and
// the widget repaints from it without the program's help.
class SurfaceWidget : public QWidget, public Surface {
    Q_OBJECT

  public:
    SurfaceWidget(QWidget* parent, QRgb background);

    // Sizes the widget and its image together; the image is erased.
    void SetPixelSize(int width, int height);

    void Erase() override;
    void DrawLine(int x1, int y1, int x2, int y2, QRgb color) override;
    void Present() override;
    QRgb PixelAt(int x, int y) const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage image_;
    QRgb background_;
    QRect drawn_;  // drawn since the last Present
};

}  // namespace nerimo::platform
