#include "Setup.h"

#include "NumberFormat.h"
#include "PlotGeometry.h"
#include "Settings.h"

namespace nerimo {

namespace {

constexpr int16_t kPlotWidth = 720;
constexpr int16_t kPlotHeight = 350;
constexpr int16_t kBottomMargin = 11;
constexpr int16_t kLeftMargin = 36;

constexpr QRgb kTickColor = qRgb(255, 255, 255);

}  // namespace

void SetupWindow(State& state, const SettingsSource& source, platform::FileAccess& files,
                 Panel& panel, const std::function<void()>& openPort) {
    LoadSettings(state, source, files, panel);
    state.PlotWidth = kPlotWidth;
    state.PlotHeight = kPlotHeight;
    panel.ShapeSurfaces(state.PlotWidth, state.PlotHeight);
    openPort();
    state.GridDrawn = 0;
    state.EndMHz = state.StartMHz + state.SpanMHz;
    panel.SetScaleLabels(platform::FormatFixed4(state.StartMHz),
                         platform::FormatFixed4(state.EndMHz));
    state.PixelsPerStep = PixelsPerStepFor(state.SpanMHz);
}

void SetupDisplay(State& state, Panel& panel, platform::Surface& scale) {
    state.BottomMargin = kBottomMargin;
    state.LeftMargin = kLeftMargin;
    // The ticks stand under the first and the last point of a sweep.
    scale.DrawLine(kFirstPointX, 0, kFirstPointX, kScaleTickBottomY, kTickColor);
    scale.DrawLine(kLastPointX, 0, kLastPointX, kScaleTickBottomY, kTickColor);
    scale.Present();
    panel.SetCheckCaptions(QStringLiteral("Clear at start"), QStringLiteral("Grid"));
    state.StopRequested = 0;
    panel.ShowStart(true);
    panel.ClearStatus();
    panel.SetTunedText(QString());
    panel.EnableChoices(true);
}

}  // namespace nerimo
