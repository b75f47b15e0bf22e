// The simulator's command parser on any bytes, fed whole and fed in pieces: the same commands
// come out, each well formed.
#include <cmath>

#include "CommandParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    nerimo::sim::CommandParser whole;
    const QList<nerimo::sim::Command> once = whole.Feed(bytes);

    nerimo::sim::CommandParser pieces;
    QList<nerimo::sim::Command> split;
    for (qsizetype at = 0, piece = 1; at < bytes.size(); at += piece, piece = piece % 7 + 1) {
        split += pieces.Feed(bytes.sliced(at, std::min(piece, bytes.size() - at)));
    }
    if (split.size() != once.size()) {
        __builtin_trap();
    }
    for (qsizetype i = 0; i < once.size(); ++i) {
        const nerimo::sim::Command& c = once[i];
        const qsizetype point = c.text.indexOf('.');
        const bool wellFormed = c.text == split[i].text && point > 0 &&
                                c.text.size() == point + 6 && (c.mode == 'N' || c.mode == 'A') &&
                                c.text.back() == c.mode && std::isfinite(c.mhz) && c.mhz >= 0;
        if (!wellFormed) {
            __builtin_trap();
        }
    }
    return 0;
}
