#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <vector>

#include "SensorWatch.h"

namespace nerimo {

// The sensors a watching window knows, as a table: id, state, since when, the range of their last
// sweep (or how many channels), and when it was; a row each, in the order they were first heard.
// Each cell sorts by its value (the SortRole).
class SensorTable : public QAbstractTableModel {
    Q_OBJECT

  public:
    static constexpr int SortRole = Qt::UserRole;
    enum Column { Sensor, State, Since, Range, LastSweep, kColumns };

    explicit SensorTable(QObject* parent = nullptr);
    // A sensor heard for the first time, or changed.
    void Changed(const RemoteSensor& sensor);
    QString IdAt(int row) const { return rows_[size_t(row)].id; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::vector<RemoteSensor> rows_;
};

}  // namespace nerimo
