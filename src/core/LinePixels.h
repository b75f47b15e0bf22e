#pragma once

#include <cstdlib>

namespace nerimo {

// Every pixel of the one-pixel line from (x1, y1) to (x2, y2), both ends included, as Bresenham
// draws it: the surfaces and their fakes draw the same pixels.
template <typename Visit>
void ForEachLinePixel(int x1, int y1, int x2, int y2, Visit visit) {
    const int dx = std::abs(x2 - x1);
    const int dy = -std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1;
    const int sy = y1 < y2 ? 1 : -1;
    int error = dx + dy;
    int x = x1;
    int y = y1;
    for (;;) {
        visit(x, y);
        if (x == x2 && y == y2) {
            return;
        }
        const int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x += sx;
        }
        if (doubled <= dx) {
            error += dx;
            y += sy;
        }
    }
}

}  // namespace nerimo
