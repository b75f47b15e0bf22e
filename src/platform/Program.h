#pragma once

#include <QString>

namespace nerimo::platform {

// The running program as the desktop sees it: its folder, the other copies of it, its end.
class Program {
  public:
    virtual ~Program() = default;

    // The folder that holds the executable, links resolved.
    virtual QString Folder() const = 0;

    // True when another copy of the program already runs for this user. The first caller that
    // gets false holds the claim for the rest of its life.
    virtual bool AnotherInstanceRunning() = 0;

    // Ends the program at once: no further event handler runs.
    virtual void EndNow() = 0;
};

}  // namespace nerimo::platform
