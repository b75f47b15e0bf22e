#include "ActivityTable.h"

#include "Frequency.h"

namespace nerimo {

int ActivityTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int ActivityTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant ActivityTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= rows_.size()) {
        return {};
    }
    const Activity& activity = rows_[size_t(index.row())];
    if (role == HertzRole) {
        return activity.hertz;
    }
    const QString time = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    switch (index.column()) {
        case Frequency:
            return role == SortRole ? QVariant(activity.hertz)
                   : role == Qt::DisplayRole
                       ? QVariant(QString::fromLatin1(FreqText(activity.hertz)))
                       : QVariant();
        case Name:
            return role == SortRole || role == Qt::DisplayRole ? QVariant(activity.name)
                                                               : QVariant();
        case FirstHeard:
            return role == SortRole          ? QVariant(activity.firstHeard)
                   : role == Qt::DisplayRole ? QVariant(activity.firstHeard.toString(time))
                                             : QVariant();
        case LastHeard:
            return role == SortRole          ? QVariant(activity.lastHeard)
                   : role == Qt::DisplayRole ? QVariant(activity.lastHeard.toString(time))
                                             : QVariant();
        case TimesHeard:
            return role == SortRole || role == Qt::DisplayRole ? QVariant(activity.sweeps)
                                                               : QVariant();
        default:
            return role == SortRole || role == Qt::DisplayRole ? QVariant(activity.strongest)
                                                               : QVariant();
    }
}

QVariant ActivityTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    static const char* const kHeaders[kColumns] = {
        "Frequency (MHz)", "Name", "First heard", "Last heard", "Times heard", "Strongest level"};
    return section >= 0 && section < kColumns ? QString::fromLatin1(kHeaders[section]) : QVariant();
}

void ActivityTable::ActivityChanged(const Activity& activity, ActivityEvent event) {
    if (event == ActivityEvent::Started) {
        if (rows_.size() == kCapacity) {
            beginRemoveRows({}, 0, 0);
            rows_.pop_front();
            ++dropped_;
            endRemoveRows();
        }
        beginInsertRows({}, int(rows_.size()), int(rows_.size()));
        rows_.push_back(activity);
        going_[activity.hertz] = dropped_ + static_cast<long long>(rows_.size()) - 1;
        endInsertRows();
        return;
    }
    const auto it = going_.find(activity.hertz);
    if (it == going_.end() || it->second < dropped_) {
        return;
    }
    const int row = int(it->second - dropped_);
    rows_[size_t(row)] = activity;
    emit dataChanged(index(row, 0), index(row, kColumns - 1));
    if (event == ActivityEvent::Ended) {
        going_.erase(it);
    }
}

}  // namespace nerimo
