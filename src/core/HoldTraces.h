#pragma once

#include <optional>
#include <vector>

namespace nerimo {

// The traces that show a band over time on the plot, each kept step by step since it was last
// reset: the strongest level at each step (max hold), the weakest (min hold), and their mean.
enum class Hold { Max, Min, Average };

class HoldTraces {
  public:
    // Whether a trace is drawn; each is kept whether or not it is.
    void Show(Hold hold, bool shown);
    bool Shown(Hold hold) const;
    bool AnyShown() const;
    // The traces shown, max, min and average in that order.
    std::vector<Hold> ShownHolds() const;

    // A step's level (the step counted from the sweep's first, 0).
    void Take(int step, int level);
    // The trace's value at a step, a level 0 to 16 (a fraction for the mean); nothing before the
    // step's first level.
    std::optional<double> Value(Hold hold, int step) const;
    // How many steps have values, counted from step 0.
    int Steps() const { return static_cast<int>(count_.size()); }
    // Every value forgotten: the plot was erased, or the user asked.
    void Reset();

  private:
    bool shown_[3] = {false, false, false};
    std::vector<int> max_;
    std::vector<int> min_;
    std::vector<long long> sum_;
    std::vector<int> count_;  // levels taken at each step
};

}  // namespace nerimo
