#pragma once

#include <array>
#include <optional>

namespace nerimo {

// The band's floor: the median level of a sweep's answered steps (of an even count, the lower of
// the two middle ones), so that the noise of a mostly quiet band, and no signal on it, sets it. A
// step is judged against a floor known when it is measured: that of the run's last sweep that
// answered; in a run's first sweep, the median of that sweep's steps so far, the step included.
class BandFloor {
  public:
    // An answered step's level, 0 to 16.
    void Take(int level);
    // The floor to judge the step just taken by.
    int Level() const;
    // The sweep's median, if it answered at all, is the floor of the next.
    void SweepEnded();
    // After the run's last sweep has ended: a new run knows nothing of the band yet.
    void RunEnded();

  private:
    int Median() const;

    static constexpr int kLevels = 17;   // 0 to 16
    std::array<int, kLevels> counts_{};  // this sweep's steps at each level
    std::optional<int> before_;
};

}  // namespace nerimo
