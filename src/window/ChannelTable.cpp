#include "ChannelTable.h"

#include "Frequency.h"

namespace nerimo {

namespace {

constexpr int kShowEveryMs = 1000;

}  // namespace

ChannelTable::ChannelTable(const Lockouts& lockouts, QObject* parent)
    : QAbstractTableModel(parent), lockouts_(lockouts) {
    showSoon_.setSingleShot(true);
    showSoon_.setInterval(kShowEveryMs);
    connect(&showSoon_, &QTimer::timeout, this, &ChannelTable::Show);
}

int ChannelTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int ChannelTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant ChannelTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= rows_.size()) {
        return {};
    }
    const Row& row = rows_[size_t(index.row())];
    if (role == HertzRole) {
        return row.channel.hertz;
    }
    if (role != SortRole && role != Qt::DisplayRole &&
        !(role == Qt::ToolTipRole && index.column() == Name)) {
        return {};
    }
    const bool sort = role == SortRole;
    switch (index.column()) {
        case Name:  // whole in its tooltip, where the column cuts it short
            return row.channel.name;
        case Frequency:
            return sort ? QVariant(row.channel.hertz)
                        : QVariant(QString::fromLatin1(FreqText(row.channel.hertz)));
        case ChannelMode:
            return ModeName(row.mode);
        case Level:
            return row.level ? QVariant(*row.level) : sort ? QVariant(-1) : QVariant();
        case LastHeard:
            return sort ? QVariant(row.lastHeard)
                        : QVariant(row.lastHeard.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        case TimesHeard:
            return row.timesHeard;
        default: {
            const bool locked = lockouts_.Locks(row.channel.hertz);
            return sort ? QVariant(locked)
                        : QVariant(locked ? QStringLiteral("locked out") : QString());
        }
    }
}

QVariant ChannelTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    static const char* const kHeaders[kColumns] = {
        "Name", "Frequency (MHz)", "Mode", "Level", "Last heard", "Times heard", "Locked out"};
    return section >= 0 && section < kColumns ? QString::fromLatin1(kHeaders[section]) : QVariant();
}

void ChannelTable::SweepBegan(const SweepStart& start) {
    const bool same =
        start.plan.channels && rows_.size() == start.plan.steps.size() &&
        std::equal(rows_.begin(), rows_.end(), start.plan.steps.begin(),
                   [](const Row& row, const PlanStep& step) {
                       return row.channel.hertz == step.hertz && row.channel.name == step.name;
                   });
    if (same || (!start.plan.channels && rows_.empty())) {
        return;
    }
    beginResetModel();
    rows_.clear();
    rowOf_.clear();
    if (start.plan.channels) {
        for (const PlanStep& step : start.plan.steps) {
            rowOf_.insert(step.hertz, int(rows_.size()));
            rows_.push_back({step, step.mode.value_or(start.mode), std::nullopt, {}, 0});
        }
    }
    changedFrom_ = INT_MAX;
    changedTo_ = -1;
    endResetModel();
}

void ChannelTable::Measured(long long hertz, int level, Reply reply) {
    if (const auto row = rowOf_.constFind(hertz); row != rowOf_.cend()) {
        rows_[size_t(*row)].level =
            reply == Reply::Answered ? std::optional<int>(level) : std::nullopt;
        Changed(*row);
    }
}

void ChannelTable::ActivityChanged(const Activity& activity, ActivityEvent event) {
    const auto row = rowOf_.constFind(activity.hertz);
    if (row == rowOf_.cend() || event == ActivityEvent::Ended) {
        return;
    }
    Row& changed = rows_[size_t(*row)];
    changed.lastHeard = activity.lastHeard;
    ++changed.timesHeard;
    Changed(*row);
}

void ChannelTable::Changed(int row) {
    changedFrom_ = std::min(changedFrom_, row);
    changedTo_ = std::max(changedTo_, row);
    if (!showSoon_.isActive()) {
        showSoon_.start();
    }
}

void ChannelTable::Show() {
    if (changedTo_ >= 0) {
        emit dataChanged(index(changedFrom_, 0), index(changedTo_, kColumns - 1));
        changedFrom_ = INT_MAX;
        changedTo_ = -1;
    }
}

}  // namespace nerimo
