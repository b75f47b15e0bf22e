#pragma once

#include <QDateTime>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "SweepListener.h"

namespace nerimo {

// What a history's values are: the program's own levels, 0 to 16, or dB, as rtl_power logs them.
enum class HistoryUnit { Level, Decibel };

// A run of rows that share their columns and their scale: the same first frequency, step and
// number of steps, and the same range of values.
struct HistorySection {
    long long firstHertz = 0;
    double stepHertz = 0;  // as a log writes it: rtl_power's may have a fraction (86805.5)
    int steps = 0;
    HistoryUnit unit = HistoryUnit::Level;
    double low = 0;    // the palette's range
    double high = 16;  //
    int decimals = 0;  // the values' own precision, as their log writes them (at most 2)
    std::vector<long long> channels;  // a list's: a column a channel, in its order

    double HertzAt(double column) const {
        if (!channels.empty()) {
            const auto at =
                std::clamp<long long>(std::llround(column), 0, (long long)(channels.size()) - 1);
            return double(channels[size_t(at)]);
        }
        return double(firstHertz) + column * stepHertz;
    }
};

// One sweep: its time (of its first step), its section, and a cell per step: the value in
// hundredths (level 7 is 700, -33.44 dB is -3344), or kNoValue.
struct HistoryRow {
    QDateTime time;
    int section = 0;
    std::vector<int16_t> cells;
};

// A sweep read from a log, its values as the log gives them; NaN for a step with no value.
struct LoggedSweep {
    QDateTime time;
    long long firstHertz = 0;
    double stepHertz = 0;
    std::vector<float> values;
};

// The history of a band: the last 10,000 sweeps, newest last, each a row of cells, each value kept
// to a hundredth (a level, or dB to 0.01 dB). A change of span or start begins a new section; old
// rows keep their own.
class HistoryModel : public SweepListener {
  public:
    static constexpr size_t kCapacity = 10000;
    static constexpr int16_t kNoValue = INT16_MIN;  // a step with no value, or not reached

    const std::deque<HistoryRow>& rows() const { return rows_; }
    const HistorySection& section(int index) const { return sections_[size_t(index)]; }
    // The value of a cell: a level, or dB; nothing for a step with no value.
    std::optional<double> Value(const HistoryRow& row, int column) const;
    // A cell's place in its section's range, 0 to 1, for a palette; below 0 for no value.
    static double Shade(int16_t cell, const HistorySection& section);

    // The sweeps of a log, levels or dB over the given range, their values written with so many
    // decimals: before the rows there are (`keepRows`), or in place of them.
    void Load(const std::vector<LoggedSweep>& sweeps, HistoryUnit unit, double low, double high,
              int decimals, bool keepRows);
    // Called after every row added or every load, for a view to follow.
    void OnChanged(std::function<void(bool reloaded)> changed) { changed_ = std::move(changed); }

    void SweepBegan(const SweepStart& start) override;
    void Measured(long long hertz, int level, Reply reply) override;
    void SweepEnded(const SweepSummary& summary) override;

  private:
    // The section of these columns: the last one if it has them, else a new one.
    int SectionFor(const HistorySection& wanted);
    void Add(HistoryRow row);

    std::vector<HistorySection> sections_;
    std::deque<HistoryRow> rows_;
    std::function<void(bool)> changed_;
    HistorySection sweep_;  // the sweep under way
    QDateTime began_;
    std::vector<int16_t> cells_;
    QHash<long long, int> columnOf_;  // a list's channels, by frequency
};

}  // namespace nerimo
