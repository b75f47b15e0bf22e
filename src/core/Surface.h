#pragma once

#include "Rgb.h"

namespace nerimo {

// A retained drawing surface in pixels, origin at the top left, one unit per pixel. What is drawn
// is kept at once and shows on the screen at the next Present.
class Surface {
  public:
    virtual ~Surface() = default;

    // Fills the whole surface with its background colour.
    virtual void Erase() = 0;
    // A one-pixel line that includes both end pixels; no antialiasing. Pixels outside the
    // surface are dropped.
    virtual void DrawLine(int x1, int y1, int x2, int y2, Rgb color) = 0;
    // Every pixel at once from a picture in memory, `width` pixels a row from the top left; what
    // falls outside the surface is dropped.
    virtual void DrawPixels(const Rgb* pixels, int width, int height) = 0;
    // Repaints on the screen what was drawn since the last time.
    virtual void Present() = 0;
    virtual Rgb PixelAt(int x, int y) const = 0;
};

}  // namespace nerimo
