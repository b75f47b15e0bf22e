#pragma once

#include <QString>

namespace nerimo {

// The receiver's mode: FM or AM on the receiver's own protocol; a radio through Hamlib also
// takes the others a list's channel may ask for.
enum class Mode { Fm, Am, WideFm, Usb, Lsb, Cw };

// Its letter on the receiver's own wire: "N" for FM, "A" for AM.
constexpr char ModeLetter(Mode mode) {
    return mode == Mode::Am ? 'A' : 'N';
}

// Its name, as the window's choice, the picture's caption, a log and a published sweep give it,
// and as Hamlib names it.
inline QString ModeName(Mode mode) {
    switch (mode) {
        case Mode::Am:
            return QStringLiteral("AM");
        case Mode::WideFm:
            return QStringLiteral("WFM");
        case Mode::Usb:
            return QStringLiteral("USB");
        case Mode::Lsb:
            return QStringLiteral("LSB");
        case Mode::Cw:
            return QStringLiteral("CW");
        case Mode::Fm:
            break;
    }
    return QStringLiteral("FM");
}

}  // namespace nerimo
