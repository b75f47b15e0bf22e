#pragma once

#include <QRgb>
#include <QString>
#include <array>

namespace nerimo {

// The colours of a history's cells, from the weakest value to the strongest.
enum class Palette {
    Viridis,       // blue to yellow, for every kind of colour vision: the default
    HighContrast,  // black through purple and orange to pale yellow (inferno)
    Grey,          // black to white
};

// The palette's 256 colours.
const std::array<QRgb, 256>& Colours(Palette palette);
// Its name for the user, and for the saved window state.
QString PaletteName(Palette palette);
Palette PaletteNamed(const QString& name);

}  // namespace nerimo
