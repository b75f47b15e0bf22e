// Whole settings files through the reader: it either names a value that does not fit, or leaves
// every item in its accepted range.
#include <cmath>

#include "Fakes.h"
#include "Settings.h"
#include "StartupError.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    nerimo::State state;
    state.ProgramName = QStringLiteral("Nerimo");
    nerimo::testing::FakeFileAccess files;
    files.next = {nerimo::platform::FileRead::Outcome::Read,
                  QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
                  {}};
    nerimo::testing::RecordingPanel panel;
    try {
        nerimo::LoadSettings(state, {QStringLiteral("/opt/nerimo"), {}, {}, {}}, files, panel);
    } catch (const nerimo::StartupError&) {
        return 0;  // a whole number outside 16 bits: start-up ends with a message
    }
    const double limit = state.SpanMHz == 1 ? 2035.0 : 2028.0;
    const bool inRange =
        (state.ModeLetter == "N" || state.ModeLetter == "A") &&
        (state.SpanMHz == 1 || state.SpanMHz == 8) && std::isfinite(state.StartMHz) &&
        state.StartMHz >= 0.1 && state.StartMHz <= limit && (state.GridOn | 1) == 1 &&
        (state.ClearAtStart | 1) == 1 && state.ComPort != 0 && state.ColorIndex >= 0 &&
        state.ColorIndex <= 3 && (state.PauseSeconds <= 10 || state.PauseSeconds == 99);
    if (!inRange) {
        __builtin_trap();
    }
    return 0;
}
