#pragma once

#include "ImageSurface.h"
#include "Panel.h"
#include "PlotGeometry.h"

namespace nerimo {

// The control panel of a survey with no window: the choices the settings made, the plot and its
// scale strip as images, and nothing to show.
class SurveyPanel : public Panel {
  public:
    platform::ImageSurface plot{qRgb(0, 0, 0)};
    platform::ImageSurface scale{qRgb(0, 0, 0)};

    void SelectOption(int option) override { (option <= 2 ? mode_ : span_) = option; }
    bool OptionSelected(int option) const override { return option == mode_ || option == span_; }
    void SetCheckValue(int check, int16_t value) override { checks_[check == 1 ? 0 : 1] = value; }
    int16_t CheckValue(int check) const override { return checks_[check == 1 ? 0 : 1]; }
    void ShapeSurfaces(int16_t width, int16_t height) override {
        plot.SetPixelSize(width, height);
        scale.SetPixelSize(width, kScaleHeight);
    }
    void SetScaleLabels(const QString&, const QString&) override {}
    void SetCheckCaptions(const QString&, const QString&) override {}
    void ShowStart(bool) override {}
    void EnableChoices(bool) override {}
    void SetStatus(const QColor&, const QString&) override {}
    void ClearStatus() override {}
    void SetTunedText(const QString&) override {}
    void SetContinueOffered(bool) override {}

  private:
    int mode_ = 1;
    int span_ = 3;
    int16_t checks_[2] = {0, 0};
};

}  // namespace nerimo
