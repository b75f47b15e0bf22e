#include "Palette.h"

#include <algorithm>
#include <vector>

namespace nerimo {

namespace {

// Colours at even steps from 0 to 1, the rest between them, channel by channel.
std::array<QRgb, 256> Interpolated(const std::vector<QRgb>& anchors) {
    std::array<QRgb, 256> colours{};
    const double last = double(anchors.size() - 1);
    for (int i = 0; i < 256; ++i) {
        const double at = i / 255.0 * last;
        const auto below = std::min(static_cast<size_t>(at), anchors.size() - 2);
        const double t = at - double(below);
        const auto mix = [&](int (*channel)(QRgb)) {
            return int(channel(anchors[below]) * (1 - t) + channel(anchors[below + 1]) * t + 0.5);
        };
        colours[size_t(i)] = qRgb(mix(qRed), mix(qGreen), mix(qBlue));
    }
    return colours;
}

}  // namespace

const std::array<QRgb, 256>& Colours(Palette palette) {
    // matplotlib's viridis and inferno at tenths.
    static const std::array<QRgb, 256> kViridis =
        Interpolated({0x440154, 0x482475, 0x414487, 0x355f8d, 0x2a788e, 0x21918c, 0x22a884,
                      0x44bf70, 0x7ad151, 0xbddf26, 0xfde725});
    static const std::array<QRgb, 256> kInferno =
        Interpolated({0x000004, 0x160b39, 0x420a68, 0x6a176e, 0x932667, 0xbc3754, 0xdd513a,
                      0xf37819, 0xfca50a, 0xf6d746, 0xfcffa4});
    static const std::array<QRgb, 256> kGrey = Interpolated({0x000000, 0xffffff});
    switch (palette) {
        case Palette::HighContrast:
            return kInferno;
        case Palette::Grey:
            return kGrey;
        case Palette::Viridis:
            break;
    }
    return kViridis;
}

QString PaletteName(Palette palette) {
    switch (palette) {
        case Palette::HighContrast:
            return QStringLiteral("High contrast");
        case Palette::Grey:
            return QStringLiteral("Grey");
        case Palette::Viridis:
            break;
    }
    return QStringLiteral("Viridis");
}

Palette PaletteNamed(const QString& name) {
    for (const Palette palette : {Palette::HighContrast, Palette::Grey}) {
        if (name == PaletteName(palette)) {
            return palette;
        }
    }
    return Palette::Viridis;
}

}  // namespace nerimo
