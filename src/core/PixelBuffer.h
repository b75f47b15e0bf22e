#pragma once

#include <vector>

#include "Rgb.h"

namespace nerimo {

// A picture in memory, row after row from the top left, drawn pixel for pixel as the surfaces
// draw: what a surface is given back in one piece.
class PixelBuffer {
  public:
    PixelBuffer(int width, int height, Rgb background);

    // Every pixel the background colour.
    void Erase();
    // As Surface::DrawLine draws it.
    void DrawLine(int x1, int y1, int x2, int y2, Rgb color);

    const Rgb* Pixels() const { return pixels_.data(); }
    int Width() const { return width_; }
    int Height() const { return height_; }

  private:
    int width_;
    int height_;
    Rgb background_;
    std::vector<Rgb> pixels_;
};

}  // namespace nerimo
