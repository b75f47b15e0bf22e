#pragma once

#include "SettingsFile.h"

namespace nerimo {

// nerimo --check-settings: prints on standard output the settings file a start would read and
// why, each key with its value and the line that set it, and each trap; creates nothing. The exit
// status: 0 with no warning, 1 with one, or when the file cannot be read; 2 when it is no file.
int RunSettingsCheck(const SettingsSource& source, FileAccess& files);

}  // namespace nerimo
