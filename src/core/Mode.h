#pragma once

#include <QString>

namespace nerimo {

// The receiver's mode.
enum class Mode { Fm, Am };

// Its letter on the wire: "N" for FM, "A" for AM.
constexpr char ModeLetter(Mode mode) {
    return mode == Mode::Am ? 'A' : 'N';
}

// Its name, as the window's choice, the picture's caption and a published sweep give it.
inline QString ModeName(Mode mode) {
    return mode == Mode::Am ? QStringLiteral("AM") : QStringLiteral("FM");
}

}  // namespace nerimo
