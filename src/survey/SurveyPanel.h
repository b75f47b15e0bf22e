#pragma once

#include "ImageSurface.h"
#include "Panel.h"
#include "Settings.h"

namespace nerimo {

// The control panel of a survey with no window: the choices the settings made, the plot and its
// scale strip as images, and nothing to show.
class SurveyPanel : public Panel {
  public:
    explicit SurveyPanel(const Settings& settings) : settings_(settings) {}

    platform::ImageSurface plot{MakeRgb(0, 0, 0)};
    platform::ImageSurface scale{MakeRgb(0, 0, 0)};

    void SetStatus(Status) override {}
    void SetTunedText(const QString&) override {}
    void SetContinueOffered(bool) override {}
    Mode ChosenMode() const override { return settings_.mode; }
    int ChosenSpanMHz() const override { return settings_.spanMHz; }
    bool ClearAtStart() const override { return settings_.clearAtStart; }
    bool Grid() const override { return settings_.grid; }

  private:
    const Settings& settings_;
};

}  // namespace nerimo
