#pragma once

#include <QColor>
#include <QRect>
#include <QSize>
#include <QString>

namespace nerimo {

// The window's fixed design: its size, its colours, its texts, and where the controls that its
// users (and its tests) aim at stand, in window pixels.
inline constexpr QSize kWindowSize(812, 541);
inline constexpr QRect kStartButtonPlace(120, 40, 33, 17);  // "stop" in the same place
inline constexpr QRect kCloseButtonPlace(744, 8, 25, 17);   // " X", on the title strip at 0, 0
inline constexpr QRect kStatusPlace(576, 56, 185, 15);      // "scan", "pause", "no receiver"
inline constexpr QRect kPlotPlace(64, 136, 720, 350);
inline constexpr QRect kScaleStripPlace(64, 487, 720, 15);
// The read-out, under the scale strip between the start and end frequencies: centred where the
// old, narrower label was, so a short text stands on the same pixels.
// The plot menu's button, in the grey left of the plot.
inline constexpr QRect kPlotMenuButtonPlace(8, 136, 49, 17);
inline constexpr QRect kReadoutPlace(220, 504, 409, 25);

inline const QColor kPanelGrey(64, 64, 64);  // the window, and the panel's labels
inline const QColor kScanGreen(0, 255, 0);   // "scan", and the start button's face
inline const QColor kPauseRed(255, 0, 0);    // "pause" and "no receiver", and the stop button's

inline const QString kProgramName = QStringLiteral("Nerimo");
inline const QString kVersionText = QStringLiteral("v.2.4 - 03/04/2014");
inline const QString kCreditText = QStringLiteral("Made by the Nerimo team");

}  // namespace nerimo
