#pragma once

#include <QImage>

#include "Surface.h"

namespace nerimo::platform {

// A surface that is an image and nothing more: the window's surfaces keep theirs in one, and an
// unattended survey draws into one with no window at all.
class ImageSurface : public Surface {
  public:
    explicit ImageSurface(QRgb background) : background_(background) {}

    // Sizes the image; it is erased.
    void SetPixelSize(int width, int height);

    void Erase() override;
    void DrawLine(int x1, int y1, int x2, int y2, QRgb color) override;
    void Present() override {}
    QRgb PixelAt(int x, int y) const override;
    const QImage& Image() const override { return image_; }

  private:
    QImage image_;
    QRgb background_;
};

}  // namespace nerimo::platform
