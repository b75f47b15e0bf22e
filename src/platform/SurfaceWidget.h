#pragma once

#include <QWidget>

#include "ImageSurface.h"

namespace nerimo::platform {

// A surface kept in an image of its own, so what is drawn survives covering and minimising and
// the widget repaints from it without the program's help.
class SurfaceWidget : public QWidget, public Surface {
    Q_OBJECT

  public:
    SurfaceWidget(QWidget* parent, Rgb background);

    // Sizes the widget and its image together; the image is erased.
    void SetPixelSize(int width, int height);

    void Erase() override;
    void DrawLine(int x1, int y1, int x2, int y2, Rgb color) override;
    void DrawPixels(const Rgb* pixels, int width, int height) override;
    void Present() override;
    Rgb PixelAt(int x, int y) const override { return image_.PixelAt(x, y); }
    // All that is drawn, for a picture of it.
    const QImage& Image() const { return image_.Image(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    ImageSurface image_;
    QRect drawn_;  // drawn since the last Present
};

}  // namespace nerimo::platform
