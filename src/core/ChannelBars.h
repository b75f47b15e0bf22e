#pragma once

#include <optional>
#include <vector>

#include "Surface.h"
#include "SweepListener.h"

namespace nerimo {

// The plot of a list's scan: a bar a channel, in the list's order across the plot, as high as
// the channel's last level, the channel measured last marked above its bar. It draws on the
// plot's surface, in place of the trace, while a list is scanned; a list too long for a column a
// channel shows the strongest of the channels that share a column.
class ChannelBars : public SweepListener {
  public:
    // `colorIndex`: the trace colour (0 to 3); with any other, green.
    ChannelBars(Surface& surface, int colorIndex);

    // The list's channels shown, with no level yet; or, for a band's sweep, none.
    void SweepBegan(const SweepStart& start) override;
    void Measured(long long hertz, int level, Reply reply) override;
    void SweepEnded(const SweepSummary&) override {}
    // The next run draws the bars afresh: the plot may have been erased meanwhile.
    void RunEnded() override { drawn_.clear(); }

    // No list's channels shown any more; the plot's surface is left as it is.
    void Clear();
    // Whether the plot shows a list's channels.
    bool Shown() const { return !channels_.empty(); }
    // The channel under a column of the plot, if any.
    std::optional<int> ChannelAtX(int x) const;
    int Count() const { return int(channels_.size()); }
    const PlanStep& Channel(int index) const { return channels_[size_t(index)]; }
    // A channel's last level; none before it was measured.
    std::optional<int> Level(int index) const { return levels_[size_t(index)]; }

  private:
    // The columns of the plot a channel's bar takes, from and to.
    std::pair<int, int> Columns(int index) const;
    // The channels a column of the bars (from 0) shows, from and to.
    std::pair<int, int> ChannelsAt(int column) const;
    // A column as its channels say now, only what changed since it was drawn last.
    void DrawColumn(int x);
    void Draw();

    // What a column of the plot shows: the bar's level (-1: none) and the mark.
    struct Column {
        int level = -1;
        bool marked = false;
        bool operator==(const Column&) const = default;
    };

    Surface& surface_;
    int colorIndex_;
    std::vector<PlanStep> channels_;
    std::vector<std::optional<int>> levels_;
    std::optional<int> current_;
    std::vector<Column> drawn_;  // each column as drawn; empty: to be drawn afresh
};

}  // namespace nerimo
