#pragma once

#include <QString>

#include "Mode.h"

namespace nerimo {

// The sweep's status: "scan" in green, "pause" or "no receiver" in red, or none (an empty text
// in the colour it had).
enum class Status { None, Scan, Pause, NoReceiver };

// What the sweep shows on the control panel and reads of its choices. The window implements it;
// a survey keeps the settings' choices and shows nothing.
class Panel {
  public:
    virtual ~Panel() = default;

    virtual void SetStatus(Status status) = 0;
    // The tuned-frequency label.
    virtual void SetTunedText(const QString& text) = 0;
    // The "continue" button, enabled and shown together while a sweep holds.
    virtual void SetContinueOffered(bool offered) = 0;

    // Read as a run begins.
    virtual Mode ChosenMode() const = 0;
    virtual int ChosenSpanMHz() const = 0;
    // Read as each sweep begins.
    virtual bool ClearAtStart() const = 0;
    virtual bool Grid() const = 0;
};

}  // namespace nerimo
