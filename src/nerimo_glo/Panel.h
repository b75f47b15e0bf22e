#pragma once

#include <QColor>
#include <QString>
#include <cstdint>

namespace nerimo {

// What the settings reader and the sweep read and write of the window's controls. The window
// implements it; tests record the calls.
class Panel {
  public:
    virtual ~Panel() = default;

    // Option buttons 1..4 ("FM", "AM", "1 MHz", "8 MHz"). Selecting one from code runs its click
    // handler, as a user's click would.
    virtual void SelectOption(int option) = 0;
    virtual bool OptionSelected(int option) const = 0;

    // Check boxes 1 ("Clear at start") and 2 ("Grid"): 1 ticked, 0 clear.
    virtual void SetCheckValue(int check, int16_t value) = 0;
    virtual int16_t CheckValue(int check) const = 0;

    // Start-up look of the window and its two drawing surfaces, sized to the plot.
    virtual void ShapeSurfaces(int16_t plotWidth, int16_t plotHeight) = 0;

    // The start and end frequency under the scale strip.
    virtual void SetScaleLabels(const QString& start, const QString& end) = 0;

    // The captions beside the two check boxes.
    virtual void SetCheckCaptions(const QString& clearAtStart, const QString& grid) = 0;

    // Start shown and enabled with stop hidden and disabled, or the other way round.
    virtual void ShowStart(bool shown) = 0;

    // The check boxes and the four option buttons, enabled or disabled together.
    virtual void EnableChoices(bool enabled) = 0;

    // The sweep status ("scan", "pause") and the tuned-frequency label. Clearing the status
    // empties its text and keeps its colour.
    virtual void SetStatus(const QColor& color, const QString& text) = 0;
    virtual void ClearStatus() = 0;
    virtual void SetTunedText(const QString& text) = 0;

    // The "continue" button, enabled and shown together while a sweep holds.
    virtual void SetContinueOffered(bool offered) = 0;
};

}  // namespace nerimo
