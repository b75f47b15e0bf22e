#pragma once

#include <QAbstractTableModel>
#include <QTimer>
#include <climits>
#include <deque>
#include <map>

#include "Activity.h"

namespace nerimo {

// The activities of this run, as a table for the history window: frequency, name, first heard,
// last heard, times heard (sweeps) and the strongest level, one row each, those going on updated
// as they are heard again. The newest 10,000 are kept. Each cell sorts by its value (the
// SortRole), and the frequency's HertzRole is its frequency in Hz. What changes is shown once a
// second at most, so that a busy band does not repaint the table at every step.
class ActivityTable : public QAbstractTableModel, public ActivityListener {
    Q_OBJECT

  public:
    static constexpr size_t kCapacity = 10000;
    static constexpr int SortRole = Qt::UserRole;
    static constexpr int HertzRole = Qt::UserRole + 1;
    enum Column { Frequency, Name, FirstHeard, LastHeard, TimesHeard, Strongest, kColumns };

    explicit ActivityTable(QObject* parent = nullptr);
    // What changed since it was last shown, now.
    void Show();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void ActivityChanged(const Activity& activity, ActivityEvent event) override;

  private:
    std::deque<Activity> rows_;             // those shown, then those not shown yet
    int shown_ = 0;                         // rows the views know of
    long long dropped_ = 0;                 // rows taken off the front
    std::map<long long, long long> going_;  // frequency to the number of its row, since the first
    int changedFrom_ = INT_MAX;             // shown rows changed since, from and to
    int changedTo_ = -1;
    QTimer showSoon_;
};

}  // namespace nerimo
