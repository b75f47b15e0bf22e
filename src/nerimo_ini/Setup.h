#pragma once

#include <QString>

#include <functional>

#include "FileAccess.h"
#include "Panel.h"
#include "Settings.h"
#include "State.h"
#include "Surface.h"

namespace nerimo {

// Start-up of the window: settings, the surfaces, the receiver's port (`openPort`, which opens
// the receiver the settings chose), the derived frequencies. Runs once, before the window is
// shown. Throws StartupError as LoadSettings does.
void SetupWindow(State& state, const SettingsSource& source, platform::FileAccess& files,
                 Panel& panel, const std::function<void()>& openPort);

// The display when the window is first shown: plot margins, the scale ticks, the check-box
// captions and the idle control panel.
void SetupDisplay(State& state, Panel& panel, platform::Surface& scale);

}  // namespace nerimo
