#pragma once

namespace nerimo {

// The receiver's mode.
enum class Mode { Fm, Am };

// Its letter on the wire: "N" for FM, "A" for AM.
constexpr char ModeLetter(Mode mode) {
    return mode == Mode::Am ? 'A' : 'N';
}

}  // namespace nerimo
