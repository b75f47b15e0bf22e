// Whole settings files through the reader: it either names a value that does not fit, or leaves
// every item in its accepted range.
#include <cmath>

#include "SettingsCheck.h"
#include "SettingsReader.h"
#include "StartupError.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // The check reads the file by the same rules, and never throws.
    const nerimo::SettingsCheck check = nerimo::CheckSettings(bytes);
    nerimo::Settings settings;
    try {
        settings = nerimo::ReadSettings(bytes, QStringLiteral("/opt/nerimo/Nerimo.ini"));
    } catch (const nerimo::StartupError&) {
        return 0;  // a whole number outside its range: start-up ends with a message
    }
    const double limit = settings.spanMHz == 1 ? 2035.0 : 2028.0;
    const bool inRange = (settings.spanMHz == 1 || settings.spanMHz == 8) &&
                         std::isfinite(settings.startMHz) && settings.startMHz >= 0.1 &&
                         settings.startMHz <= limit && settings.comPort != 0 &&
                         settings.colorIndex >= 0 && settings.colorIndex <= 3 &&
                         (settings.pauseSeconds <= 10 || settings.pauseSeconds == 99) &&
                         check.keys.size() == nerimo::SettingsKeys().size();
    if (!inRange) {
        __builtin_trap();
    }
    return 0;
}
