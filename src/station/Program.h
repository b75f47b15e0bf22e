#pragma once

#include <QString>
#include <functional>

namespace nerimo {

// The running program as the desktop sees it: its folder, the other copies of it, its end.
class Program {
  public:
    virtual ~Program() = default;

    // The folder that holds the executable, links resolved.
    virtual QString Folder() const = 0;
    // The program's folder among the user's own settings ($XDG_CONFIG_HOME/nerimo).
    virtual QString UserFolder() const = 0;
    // An installed copy (a package, an install under a prefix), not one run from its build or
    // unpacked folder.
    virtual bool Installed() const = 0;

    // True when another copy of the program already runs on this receiver (its device, or a
    // rigctld's address), whoever started it and wherever its temporary folder is; that copy is
    // asked to show its window. The first caller that gets false holds the claim for the rest of
    // its life, and hears such requests from later copies.
    virtual bool AnotherInstanceRunning(const QString& receiver) = 0;
    // Called on the event loop when a later copy asks this one to show its window.
    virtual void OnShowRequested(std::function<void()> handler) = 0;

    // Ends the program at once: no further event handler runs.
    virtual void EndNow() = 0;
};

}  // namespace nerimo
