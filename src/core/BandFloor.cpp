#include "BandFloor.h"

#include <algorithm>
#include <numeric>

namespace nerimo {

void BandFloor::Take(int level) {
    ++counts_[size_t(std::clamp(level, 0, kLevels - 1))];
}

int BandFloor::Median() const {
    const int steps = std::accumulate(counts_.begin(), counts_.end(), 0);
    int below = 0;  // steps at or below the level
    for (int level = 0; level < kLevels - 1; ++level) {
        below += counts_[size_t(level)];
        if (2 * below >= steps) {
            return level;
        }
    }
    return kLevels - 1;
}

int BandFloor::Level() const {
    return before_ ? *before_ : Median();
}

void BandFloor::SweepEnded() {
    if (std::accumulate(counts_.begin(), counts_.end(), 0) > 0) {
        before_ = Median();
    }
    counts_ = {};
}

void BandFloor::RunEnded() {
    before_.reset();
}

}  // namespace nerimo
