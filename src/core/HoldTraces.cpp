#include "HoldTraces.h"

#include <algorithm>

namespace nerimo {

void HoldTraces::Show(Hold hold, bool shown) {
    shown_[int(hold)] = shown;
}

bool HoldTraces::Shown(Hold hold) const {
    return shown_[int(hold)];
}

bool HoldTraces::AnyShown() const {
    return shown_[0] || shown_[1] || shown_[2];
}

std::vector<Hold> HoldTraces::ShownHolds() const {
    std::vector<Hold> shown;
    for (const Hold hold : {Hold::Max, Hold::Min, Hold::Average}) {
        if (Shown(hold)) {
            shown.push_back(hold);
        }
    }
    return shown;
}

void HoldTraces::Take(int step, int level) {
    if (step < 0) {
        return;
    }
    const auto size = static_cast<size_t>(step) + 1;
    if (count_.size() < size) {
        max_.resize(size, 0);
        min_.resize(size, 0);
        sum_.resize(size, 0);
        count_.resize(size, 0);
    }
    const auto at = static_cast<size_t>(step);
    max_[at] = count_[at] == 0 ? level : std::max(max_[at], level);
    min_[at] = count_[at] == 0 ? level : std::min(min_[at], level);
    sum_[at] += level;
    ++count_[at];
}

std::optional<double> HoldTraces::Value(Hold hold, int step) const {
    if (step < 0 || static_cast<size_t>(step) >= count_.size() || count_[size_t(step)] == 0) {
        return std::nullopt;
    }
    const auto at = static_cast<size_t>(step);
    switch (hold) {
        case Hold::Max:
            return max_[at];
        case Hold::Min:
            return min_[at];
        case Hold::Average:
            break;
    }
    return double(sum_[at]) / count_[at];
}

void HoldTraces::Reset() {
    max_.clear();
    min_.clear();
    sum_.clear();
    count_.clear();
}

}  // namespace nerimo
