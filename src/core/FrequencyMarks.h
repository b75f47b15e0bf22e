#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "Frequency.h"

namespace nerimo {

// Whether a frequency falls on a step: from half a step below it to just under half a step above,
// so that each frequency falls on one step.
bool FallsOnStep(long long hertz, long long stepHertz, long long stepWidth = kStepHz);

// A frequency a listener has named: a repeater, a beacon, a channel.
struct Bookmark {
    long long hertz = 0;
    QString name;
};

// Named frequencies, sorted, so that a step finds its name in O(log n).
class Bookmarks {
  public:
    Bookmarks() = default;
    explicit Bookmarks(std::vector<Bookmark> bookmarks);

    // The name of the bookmark nearest to a step, within half a step of it; nothing when there
    // is none.
    std::optional<QString> NameAt(long long stepHertz, long long stepWidth = kStepHz) const {
        return NameNear(stepHertz, stepHertz, stepHertz, stepWidth);
    }
    // The name of the bookmark nearest to a frequency among those on the steps from `lowStep` to
    // `highStep` (a signal several steps wide), the lower of two as near; nothing when there is
    // none.
    std::optional<QString> NameNear(long long hertz, long long lowStep, long long highStep,
                                    long long stepWidth = kStepHz) const;
    // Those within the given frequencies, both included.
    std::vector<Bookmark> Within(long long lowHertz, long long highHertz) const;
    size_t size() const { return bookmarks_.size(); }

  private:
    std::vector<Bookmark> bookmarks_;
};

// Frequencies locked out: the step they fall on (within half a step) is measured and plotted as
// any other, but is never a pause, a hold or an activity. Sorted, so that a step is looked up in
// O(log n).
class Lockouts {
  public:
    Lockouts() = default;
    explicit Lockouts(std::vector<long long> hertz);

    bool Locks(long long stepHertz, long long stepWidth = kStepHz) const;
    // False when it was there already.
    bool Add(long long hertz);
    // That very frequency; false when it was not there.
    bool Remove(long long hertz);
    // Those the step falls on; false when there were none.
    bool RemoveAt(long long stepHertz);
    const std::vector<long long>& all() const { return hertz_; }

  private:
    std::vector<long long> hertz_;
};

}  // namespace nerimo
