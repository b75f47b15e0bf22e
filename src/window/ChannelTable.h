#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <QHash>
#include <QTimer>
#include <climits>
#include <optional>
#include <vector>

#include "Activity.h"
#include "FrequencyMarks.h"
#include "SweepListener.h"

namespace nerimo {

// The channels of the list scanned, as a table for the history window: name, frequency, mode,
// level now, last heard, times heard and whether it is locked out, a row each in the list's
// order. Each cell sorts by its value (the SortRole); HertzRole is the channel's frequency in
// Hz. It empties when a band is swept. What changes is shown once a second at most.
class ChannelTable : public QAbstractTableModel, public SweepListener, public ActivityListener {
    Q_OBJECT

  public:
    static constexpr int SortRole = Qt::UserRole;
    static constexpr int HertzRole = Qt::UserRole + 1;
    enum Column { Name, Frequency, ChannelMode, Level, LastHeard, TimesHeard, LockedOut, kColumns };

    ChannelTable(const Lockouts& lockouts, QObject* parent = nullptr);
    // What changed since it was last shown, now.
    void Show();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void SweepBegan(const SweepStart& start) override;
    void Measured(long long hertz, int level, Reply reply) override;
    void SweepEnded(const SweepSummary&) override {}
    void ActivityChanged(const Activity& activity, ActivityEvent event) override;

  private:
    struct Row {
        PlanStep channel;
        Mode mode = Mode::Fm;
        std::optional<int> level;
        QDateTime lastHeard;
        int timesHeard = 0;
    };
    // A row changed, to be shown within a second.
    void Changed(int row);

    const Lockouts& lockouts_;
    std::vector<Row> rows_;
    QHash<long long, int> rowOf_;  // by frequency
    int changedFrom_ = INT_MAX;    // rows changed since they were last shown, from and to
    int changedTo_ = -1;
    QTimer showSoon_;
};

}  // namespace nerimo
