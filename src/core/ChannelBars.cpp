#include "ChannelBars.h"

#include <algorithm>

#include "PlotGeometry.h"

namespace nerimo {

namespace {

constexpr int kBarsWidth = kLastPointX - kFirstPointX + 1;
constexpr Rgb kBlack = MakeRgb(0, 0, 0);
constexpr Rgb kMarkColor = MakeRgb(255, 64, 64);
constexpr int kMarkBottomY = 8;  // the mark of the channel measured last, at the top

}  // namespace

ChannelBars::ChannelBars(Surface& surface, int colorIndex)
    : surface_(surface), colorIndex_(colorIndex) {}

void ChannelBars::Clear() {
    channels_.clear();
    levels_.clear();
    current_.reset();
    drawn_.clear();
}

void ChannelBars::SweepBegan(const SweepStart& start) {
    if (!start.plan.channels) {
        Clear();
        return;
    }
    // The same list again keeps its levels until each is measured anew.
    const bool same = channels_.size() == start.plan.steps.size() &&
                      std::equal(channels_.begin(), channels_.end(), start.plan.steps.begin(),
                                 [](const PlanStep& a, const PlanStep& b) {
                                     return a.hertz == b.hertz && a.name == b.name;
                                 });
    if (!same) {
        channels_ = start.plan.steps;
        levels_.assign(channels_.size(), std::nullopt);
        current_.reset();
        drawn_.clear();
    }
    Draw();
}

void ChannelBars::Measured(long long hertz, int level, Reply) {
    const auto found = std::find_if(channels_.begin(), channels_.end(),
                                    [hertz](const PlanStep& step) { return step.hertz == hertz; });
    if (found == channels_.end()) {
        return;
    }
    const int index = int(found - channels_.begin());
    levels_[size_t(index)] = level;
    const std::optional<int> before = std::exchange(current_, index);
    for (const std::optional<int> changed : {before, current_}) {
        if (changed) {
            const auto [from, to] = Columns(*changed);
            for (int x = from; x <= to; ++x) {
                DrawColumn(x);
            }
        }
    }
}

std::pair<int, int> ChannelBars::Columns(int index) const {
    const auto count = qsizetype(channels_.size());
    const int from = kFirstPointX + int(qsizetype(index) * kBarsWidth / count);
    const int to = kFirstPointX + int(qsizetype(index + 1) * kBarsWidth / count) - 1;
    return {from, std::max(from, to)};
}

std::pair<int, int> ChannelBars::ChannelsAt(int column) const {
    // The last channel whose bar starts at or before a column, as Columns places the bars.
    const auto lastFrom = [this](int at) {
        return int((qsizetype(at + 1) * qsizetype(channels_.size()) - 1) / kBarsWidth);
    };
    const int last = lastFrom(column);
    return {column == 0 ? 0 : std::min(last, lastFrom(column - 1) + 1), last};
}

std::optional<int> ChannelBars::ChannelAtX(int x) const {
    if (channels_.empty() || x < kFirstPointX || x > kLastPointX) {
        return std::nullopt;
    }
    return ChannelsAt(x - kFirstPointX).first;
}

void ChannelBars::DrawColumn(int x) {
    // The channels that share the column, or the one whose bar takes it in.
    const auto [first, last] = ChannelsAt(x - kFirstPointX);
    int level = -1;
    bool marked = false;
    for (int index = first; index <= last; ++index) {
        level = std::max(level, levels_[size_t(index)].value_or(-1));
        marked = marked || current_ == index;
    }
    // A gap of one pixel between bars wide enough to keep one.
    const auto [from, to] = Columns(first);
    const bool gap = to - from >= 2 && x == to;
    const Column now = gap ? Column() : Column{level, marked};
    Column& before = drawn_[size_t(x - kFirstPointX)];
    if (now == before) {
        return;
    }
    // The bar from its old top to its new one, then the mark's rows, each drawn only when it
    // changed: a step's repaint stays a few columns of a few rows.
    const Rgb color = TraceColor(colorIndex_).value_or(MakeRgb(0, 255, 0));
    const auto top = [](int barLevel) { return kBaselineY - barLevel * kPixelsPerLevel; };
    if (now.level > before.level) {
        surface_.DrawLine(x, before.level < 0 ? kBaselineY : top(before.level) - 1, x,
                          top(now.level), color);
    } else if (now.level < before.level) {
        surface_.DrawLine(x, top(before.level), x, now.level < 0 ? kBaselineY : top(now.level) - 1,
                          kBlack);
    }
    if (now.marked || before.marked) {
        for (int y = 0; y <= kMarkBottomY; ++y) {
            const bool bar = now.level >= 0 && y >= top(now.level);
            surface_.DrawLine(x, y, x, y, now.marked ? kMarkColor : bar ? color : kBlack);
        }
    }
    before = now;
}

void ChannelBars::Draw() {
    if (drawn_.empty()) {
        surface_.Erase();
        drawn_.assign(size_t(kBarsWidth), Column());
    }
    for (int x = kFirstPointX; x <= kLastPointX; ++x) {
        DrawColumn(x);
    }
}

}  // namespace nerimo
