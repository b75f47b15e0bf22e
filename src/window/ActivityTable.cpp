#include "ActivityTable.h"

#include "Frequency.h"

namespace nerimo {

namespace {

constexpr int kShowEveryMs = 1000;

}  // namespace

ActivityTable::ActivityTable(QObject* parent) : QAbstractTableModel(parent) {
    showSoon_.setSingleShot(true);
    showSoon_.setInterval(kShowEveryMs);
    connect(&showSoon_, &QTimer::timeout, this, &ActivityTable::Show);
}

int ActivityTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

int ActivityTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant ActivityTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shown_) {
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
        case Name:  // whole in its tooltip, where the column cuts it short
            return role == SortRole || role == Qt::DisplayRole || role == Qt::ToolTipRole
                       ? QVariant(activity.name)
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
        rows_.push_back(activity);
        going_[activity.hertz] = dropped_ + static_cast<long long>(rows_.size()) - 1;
    } else if (const auto it = going_.find(activity.hertz);
               it != going_.end() && it->second >= dropped_) {
        const int row = int(it->second - dropped_);
        rows_[size_t(row)] = activity;
        if (row < shown_) {
            changedFrom_ = std::min(changedFrom_, row);
            changedTo_ = std::max(changedTo_, row);
        }
        if (event == ActivityEvent::Ended) {
            going_.erase(it);
        }
    }
    if (!showSoon_.isActive()) {
        showSoon_.start();
    }
}

void ActivityTable::Show() {
    if (changedTo_ >= 0) {
        emit dataChanged(index(changedFrom_, 0), index(changedTo_, kColumns - 1));
        changedFrom_ = INT_MAX;
        changedTo_ = -1;
    }
    if (size_t(shown_) < rows_.size()) {
        beginInsertRows({}, shown_, int(rows_.size()) - 1);
        shown_ = int(rows_.size());
        endInsertRows();
    }
    if (rows_.size() > kCapacity) {
        const int excess = int(rows_.size() - kCapacity);
        beginRemoveRows({}, 0, excess - 1);
        rows_.erase(rows_.begin(), rows_.begin() + excess);
        shown_ -= excess;
        dropped_ += excess;
        endRemoveRows();
    }
}

}  // namespace nerimo
