#pragma once

#include <cstdint>

namespace nerimo {

// A colour as 0xffRRGGBB, opaque, the layout of Qt's image pixels.
using Rgb = std::uint32_t;

constexpr Rgb MakeRgb(int red, int green, int blue) {
    return 0xff000000u | (Rgb(red) << 16) | (Rgb(green) << 8) | Rgb(blue);
}

}  // namespace nerimo
