#pragma once

#include <QString>

#include "FileAccess.h"
#include "Panel.h"
#include "ReceiverLink.h"
#include "State.h"
#include "Surface.h"

namespace nerimo {

// Start-up of the window: settings, the surfaces, the serial port, the derived frequencies. Runs
// once, before the window is shown. Throws StartupError as LoadSettings does.
void SetupWindow(State& state, const QString& programFolder, platform::FileAccess& files,
                 Panel& panel, ReceiverLink& link);

// The display when the window is first shown: plot margins, the scale ticks, the check-box
// captions and the idle control panel.
void SetupDisplay(State& state, Panel& panel, platform::Surface& scale);

}  // namespace nerimo
