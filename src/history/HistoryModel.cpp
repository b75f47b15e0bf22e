#include "HistoryModel.h"

#include <algorithm>
#include <cmath>

#include "Frequency.h"

namespace nerimo {

namespace {

constexpr int kHighestLevel = 16;
constexpr int kDecibelSteps = 254;  // cells 0 to 254 span a dB section's range

}  // namespace

std::optional<double> HistoryModel::Value(const HistoryRow& row, int column) const {
    if (column < 0 || column >= row.cells.size()) {
        return std::nullopt;
    }
    const auto cell = static_cast<uint8_t>(row.cells[column]);
    if (cell == kNoValue) {
        return std::nullopt;
    }
    const HistorySection& at = section(row.section);
    if (at.unit == HistoryUnit::Level) {
        return cell;
    }
    return at.low + (at.high - at.low) * cell / kDecibelSteps;
}

double HistoryModel::Shade(uint8_t cell, HistoryUnit unit) {
    return double(cell) / (unit == HistoryUnit::Level ? kHighestLevel : kDecibelSteps);
}

int HistoryModel::SectionFor(const HistorySection& wanted) {
    if (!sections_.empty()) {
        const HistorySection& last = sections_.back();
        if (last.firstHertz == wanted.firstHertz && last.stepHertz == wanted.stepHertz &&
            last.steps == wanted.steps && last.unit == wanted.unit && last.low == wanted.low &&
            last.high == wanted.high) {
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
                        double high, bool keepRows) {
    std::deque<HistoryRow> kept;
    if (keepRows) {
        kept.swap(rows_);
    } else {
        rows_.clear();
        sections_.clear();
    }
    const double span = high > low ? high - low : 1;
    for (const LoggedSweep& sweep : sweeps) {
        HistorySection columns{sweep.firstHertz,
                               sweep.stepHertz,
                               int(sweep.values.size()),
                               unit,
                               unit == HistoryUnit::Level ? 0 : low,
                               unit == HistoryUnit::Level ? double(kHighestLevel) : high};
        QByteArray cells(qsizetype(sweep.values.size()), Qt::Uninitialized);
        for (size_t i = 0; i < sweep.values.size(); ++i) {
            const double value = sweep.values[i];
            long cell = kNoValue;
            if (!std::isnan(value)) {
                cell =
                    unit == HistoryUnit::Level
                        ? std::lround(std::clamp(value, 0.0, double(kHighestLevel)))
                        : std::lround(std::clamp((value - low) / span, 0.0, 1.0) * kDecibelSteps);
            }
            cells[qsizetype(i)] = static_cast<char>(cell);
        }
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
    sweep_ = {start.plan.firstHertz, start.plan.stepHertz, start.plan.count};
    began_ = start.time;
    cells_.fill(char(kNoValue), sweep_.steps);
}

void HistoryModel::Measured(long long hertz, int level, Reply) {
    const long long column = (hertz - sweep_.firstHertz) / sweep_.stepHertz;
    if (column >= 0 && column < cells_.size()) {
        cells_[qsizetype(column)] = static_cast<char>(level);
    }
}

void HistoryModel::SweepEnded(const SweepSummary& summary) {
    // As in the log: a sweep that measured nothing is no row.
    if (!summary.Measured()) {
        return;
    }
    // A copy of its own size: a shared buffer would keep the room it grew into at each detach.
    Add({began_, SectionFor(sweep_), QByteArray(cells_.constData(), cells_.size())});
    if (changed_) {
        changed_(false);
    }
}

}  // namespace nerimo
