#pragma once

#include <QImage>

#include "Surface.h"

namespace nerimo::platform {

// A surface that is an image and nothing more: the window's surfaces keep theirs in one, and an
// unattended survey draws into one with no window at all.
class ImageSurface : public Surface {
  public:
    explicit ImageSurface(Rgb background) : background_(background) {}

    // Sizes the image; it is erased.
    void SetPixelSize(int width, int height);

    void Erase() override;
    void DrawLine(int x1, int y1, int x2, int y2, Rgb color) override;
    void DrawPixels(const Rgb* pixels, int width, int height) override;
    void Present() override {}
    Rgb PixelAt(int x, int y) const override;
    // All that is drawn, for a picture of it.
    const QImage& Image() const { return image_; }

  private:
    QImage image_;
    Rgb background_;
};

}  // namespace nerimo::platform
