#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "SweepListener.h"

namespace nerimo {

// What a history's values are: the program's own levels, 0 to 16, or dB, as rtl_power logs them.
enum class HistoryUnit { Level, Decibel };

// A run of rows that share their columns: the same first frequency, step and number of steps.
struct HistorySection {
    long long firstHertz = 0;
    long long stepHertz = 0;
    int steps = 0;
    HistoryUnit unit = HistoryUnit::Level;
    double low = 0;    // the value of cell 0
    double high = 16;  // the value of the highest cell
};

// One sweep: its time (of its first step), its section, and a cell per step.
struct HistoryRow {
    QDateTime time;
    int section = 0;
    QByteArray cells;
};

// A sweep read from a log, its values as the log gives them.
struct LoggedSweep {
    QDateTime time;
    long long firstHertz = 0;
    long long stepHertz = 0;
    std::vector<float> values;
};

// The history of a band: the last 10,000 sweeps, newest last, each a row of cells. A row of
// levels keeps each level; a row of dB keeps its value scaled onto 0 to 254 over its section's
// range. A change of span or start begins a new section; old rows keep their own.
class HistoryModel : public SweepListener {
  public:
    static constexpr size_t kCapacity = 10000;
    static constexpr uint8_t kNoValue = 255;  // a step the sweep did not reach

    const std::deque<HistoryRow>& rows() const { return rows_; }
    const HistorySection& section(int index) const { return sections_[size_t(index)]; }
    // The value of a cell: a level, or dB; nothing for a step not reached.
    std::optional<double> Value(const HistoryRow& row, int column) const;
    // A cell's place in its section's range, 0 to 1, for a palette.
    static double Shade(uint8_t cell, HistoryUnit unit);

    // The sweeps of a log, levels or dB over the given range: before the rows there are
    // (`keepRows`), or in place of them.
    void Load(const std::vector<LoggedSweep>& sweeps, HistoryUnit unit, double low, double high,
              bool keepRows);
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
    QByteArray cells_;
};

}  // namespace nerimo
