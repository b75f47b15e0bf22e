#include "HistoryModel.h"

#include <algorithm>
#include <cmath>

namespace nerimo {

namespace {

constexpr double kHundredths = 100;

// A value as a cell: to the hundredth, within what a cell holds.
int16_t Cell(double value) {
    return static_cast<int16_t>(
        std::clamp(std::lround(value * kHundredths), long(INT16_MIN + 1), long(INT16_MAX)));
}

}  // namespace

std::optional<double> HistoryModel::Value(const HistoryRow& row, int column) const {
    if (column < 0 || size_t(column) >= row.cells.size() || row.cells[size_t(column)] == kNoValue) {
        return std::nullopt;
    }
    return row.cells[size_t(column)] / kHundredths;
}

double HistoryModel::Shade(int16_t cell, const HistorySection& section) {
    if (cell == kNoValue) {
        return -1;
    }
    const double span = section.high > section.low ? section.high - section.low : 1;
    return std::clamp((cell / kHundredths - section.low) / span, 0.0, 1.0);
}

int HistoryModel::SectionFor(const HistorySection& wanted) {
    if (!sections_.empty()) {
        const HistorySection& last = sections_.back();
        if (last.firstHertz == wanted.firstHertz && last.stepHertz == wanted.stepHertz &&
            last.steps == wanted.steps && last.unit == wanted.unit && last.low == wanted.low &&
            last.high == wanted.high && last.decimals == wanted.decimals &&
            last.channels == wanted.channels) {
            return int(sections_.size()) - 1;
        }
    }
    sections_.push_back(wanted);
    return int(sections_.size()) - 1;
}

void HistoryModel::Add(HistoryRow row) {
    rows_.push_back(std::move(row));
    if (rows_.size() > kCapacity) {
        rows_.pop_front();
    }
}

void HistoryModel::Load(const std::vector<LoggedSweep>& sweeps, HistoryUnit unit, double low,
                        double high, int decimals, bool keepRows) {
    std::deque<HistoryRow> kept;
    if (keepRows) {
        kept.swap(rows_);
    } else {
        rows_.clear();
        sections_.clear();
    }
    for (const LoggedSweep& sweep : sweeps) {
        const HistorySection columns{sweep.firstHertz,
                                     sweep.stepHertz,
                                     int(sweep.values.size()),
                                     unit,
                                     low,
                                     high,
                                     decimals,
                                     {}};
        std::vector<int16_t> cells(sweep.values.size());
        std::transform(sweep.values.begin(), sweep.values.end(), cells.begin(),
                       [](float value) { return std::isnan(value) ? kNoValue : Cell(value); });
        Add({sweep.time, SectionFor(columns), std::move(cells)});
    }
    for (HistoryRow& row : kept) {
        Add(std::move(row));
    }
    if (changed_) {
        changed_(true);
    }
}

void HistoryModel::SweepBegan(const SweepStart& start) {
    sweep_ = {start.plan.FirstHertz(),
              double(start.plan.stepHertz),
              start.plan.Count(),
              HistoryUnit::Level,
              0,
              16,
              0,
              {}};
    began_ = start.time;
    cells_.assign(size_t(start.plan.Count()), kNoValue);
    columnOf_.clear();
    if (start.plan.channels) {
        for (const PlanStep& step : start.plan.steps) {
            columnOf_.insert(step.hertz, int(sweep_.channels.size()));
            sweep_.channels.push_back(step.hertz);
        }
    }
}

void HistoryModel::Measured(long long hertz, int level, Reply) {
    const auto column = sweep_.channels.empty()
                            ? std::llround(double(hertz - sweep_.firstHertz) / sweep_.stepHertz)
                            : columnOf_.value(hertz, -1);
    if (column >= 0 && size_t(column) < cells_.size()) {
        cells_[size_t(column)] = Cell(level);
    }
}

void HistoryModel::SweepEnded(const SweepSummary& summary) {
    // As in the log: a sweep that measured nothing is no row.
    if (!summary.Measured()) {
        return;
    }
    Add({began_, SectionFor(sweep_), cells_});
    if (changed_) {
        changed_(false);
    }
}

}  // namespace nerimo
