#pragma once

#include <QAbstractTableModel>
#include <deque>
#include <map>

#include "Activity.h"

namespace nerimo {

// The activities of this run, as a table for the history window: frequency, name, first heard,
// last heard, times heard (sweeps) and the strongest level, one row each, those going on updated
// as they are heard again. The newest 10,000 are kept. Each cell sorts by its value (the
// SortRole), and the frequency's HertzRole is its frequency in Hz.
class ActivityTable : public QAbstractTableModel, public ActivityListener {
    Q_OBJECT

  public:
    static constexpr size_t kCapacity = 10000;
    static constexpr int SortRole = Qt::UserRole;
    static constexpr int HertzRole = Qt::UserRole + 1;
    enum Column { Frequency, Name, FirstHeard, LastHeard, TimesHeard, Strongest, kColumns };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void ActivityChanged(const Activity& activity, ActivityEvent event) override;

  private:
    std::deque<Activity> rows_;
    long long dropped_ = 0;                 // rows taken off the front
    std::map<long long, long long> going_;  // frequency to the number of its row, since the first
};

}  // namespace nerimo
