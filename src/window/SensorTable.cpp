#include "SensorTable.h"

#include <algorithm>

#include "NumberFormat.h"

namespace nerimo {

namespace {

const char kTime[] = "yyyy-MM-dd HH:mm:ss";

}  // namespace

SensorTable::SensorTable(QObject* parent) : QAbstractTableModel(parent) {}

void SensorTable::Changed(const RemoteSensor& sensor) {
    const auto it = std::find_if(rows_.begin(), rows_.end(),
                                 [&](const RemoteSensor& row) { return row.id == sensor.id; });
    if (it == rows_.end()) {
        beginInsertRows({}, int(rows_.size()), int(rows_.size()));
        rows_.push_back(sensor);
        endInsertRows();
        return;
    }
    *it = sensor;
    const int row = int(it - rows_.begin());
    emit dataChanged(index(row, 0), index(row, kColumns - 1));
}

int SensorTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int SensorTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant SensorTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != SortRole)) {
        return {};
    }
    const RemoteSensor& sensor = rows_[size_t(index.row())];
    const auto time = [role](const QDateTime& when) {
        return role == SortRole
                   ? QVariant(when)
                   : QVariant(when.isValid() ? when.toLocalTime().toString(kTime) : QString());
    };
    switch (index.column()) {
        case Sensor:
            return sensor.id;
        case State:
            return sensor.state.isEmpty() ? QStringLiteral("not said") : sensor.state;
        case Since:
            return time(sensor.since);
        case Range:
            if (role == SortRole) {
                return sensor.lowHertz;
            }
            if (sensor.channels > 0) {
                return tr("%n channels", nullptr, sensor.channels);
            }
            return sensor.lowHertz > 0 ? QStringLiteral("%1 – %2 MHz")
                                             .arg(FormatFixed4(double(sensor.lowHertz) / 1e6),
                                                  FormatFixed4(double(sensor.highHertz) / 1e6))
                                       : QString();
        default:
            return time(sensor.lastSweep);
    }
}

QVariant SensorTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    static const char* const kHeaders[kColumns] = {"Sensor", "State", "Since", "Range",
                                                   "Last sweep"};
    return section >= 0 && section < kColumns ? QString::fromLatin1(kHeaders[section]) : QVariant();
}

}  // namespace nerimo
