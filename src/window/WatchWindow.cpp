#include "WatchWindow.h"

#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStatusBar>
#include <algorithm>

namespace nerimo {

WatchWindow::WatchWindow(Parts parts)
    : parts_(std::move(parts)),
      state_(parts_.settingsFile),
      sensorView_(new QTableView(this)),
      trace_(new TraceView(this)),
      status_(new QLabel(this)),
      watch_({parts_.broker, parts_.clock, parts_.options, parts_.sensors,
              [this](const RemoteSensor& sensor) { SensorChanged(sensor); },
              [this](const QString& sensor, const RemoteSweep& sweep) { Swept(sensor, sweep); },
              [this](const QString& sensor, const Activity& activity) { Heard(sensor, activity); },
              [this](Broker::Event event, const QString& why) { Connection(event, why); }}) {
    setObjectName(QStringLiteral("watchWindow"));
    auto* sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(&table_);
    sorted->setSortRole(SensorTable::SortRole);
    sensorView_->setObjectName(QStringLiteral("sensorView"));
    sensorView_->setAccessibleName(tr("Sensors"));
    sensorView_->setModel(sorted);
    sensorView_->setSortingEnabled(true);
    sensorView_->sortByColumn(-1, Qt::AscendingOrder);  // as first heard until asked
    sensorView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    sensorView_->setSelectionMode(QAbstractItemView::SingleSelection);
    sensorView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sensorView_->verticalHeader()->hide();
    sensorView_->horizontalHeader()->setStretchLastSection(true);
    sensorView_->setWordWrap(false);
    connect(sensorView_, &QTableView::activated, this, [this, sorted](const QModelIndex& index) {
        Open(table_.IdAt(sorted->mapToSource(index).row()));
    });
    connect(sensorView_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { ShowCurrent(); });
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(sensorView_);
    split->addWidget(trace_);
    setCentralWidget(split);
    status_->setObjectName(QStringLiteral("brokerStatus"));
    statusBar()->addWidget(status_, 1);
    status_->setText(tr("Connecting to the broker at %1…").arg(BrokerName()));
    UpdateTitle();
    trace_->Show({}, std::nullopt);
    resize(760, 480);
}

WatchWindow::~WatchWindow() {
    watch_.Finish();
}

void WatchWindow::Start() {
    watch_.Start();
}

QString WatchWindow::BrokerName() const {
    return QStringLiteral("%1:%2").arg(parts_.options.host).arg(parts_.options.port);
}

HistoryWindow* WatchWindow::HistoryOf(const QString& sensor) const {
    const auto it = opened_.find(sensor);
    return it == opened_.end() ? nullptr : it->second->window.get();
}

void WatchWindow::UpdateTitle() {
    const auto& sensors = watch_.sensors();
    const auto online = std::count_if(sensors.begin(), sensors.end(), [](const auto& sensor) {
        return sensor.second.state == QLatin1String("online");
    });
    setWindowTitle(
        tr("Nerimo: %1 at %2, %3 online%4")
            .arg(sensors.size() == 1 ? tr("1 sensor") : tr("%1 sensors").arg(sensors.size()),
                 BrokerName())
            .arg(online)
            .arg(away_ ? tr(" (the broker is away)") : QString()));
}

void WatchWindow::Connection(Broker::Event event, const QString& why) {
    if (event == Broker::Event::Connected || event == Broker::Event::Lost ||
        event == Broker::Event::Refused) {
        away_ = event != Broker::Event::Connected;
        UpdateTitle();
    }
    switch (event) {
        case Broker::Event::Connected:
            status_->setText(tr("Watching the sensors at %1.").arg(BrokerName()));
            break;
        case Broker::Event::Lost:
            status_->setText(
                tr("The broker at %1 is away (%2); trying again.").arg(BrokerName(), why));
            break;
        case Broker::Event::Refused:
            status_->setText(tr("The broker at %1 refused us: %2. Check --mqtt-credentials or "
                                "--mqtt-ca, and start again.")
                                 .arg(BrokerName(), why));
            break;
        case Broker::Event::Rejected:
        case Broker::Event::OldProtocol:
            break;  // nothing is published from here
    }
}

void WatchWindow::SensorChanged(const RemoteSensor& sensor) {
    const int before = table_.rowCount();
    table_.Changed(sensor);
    if (table_.rowCount() != before) {
        sensorView_->resizeColumnsToContents();
    }
    UpdateTitle();
    if (HistoryOf(sensor.id)) {
        TitleHistory(sensor.id);
    } else if (parts_.sensors.contains(sensor.id)) {
        Open(sensor.id);
    }
    if (!sensorView_->currentIndex().isValid()) {
        sensorView_->selectRow(0);
    }
}

void WatchWindow::Swept(const QString& sensor, const RemoteSweep& sweep) {
    last_.insert(sensor, sweep);
    if (const auto it = opened_.find(sensor); it != opened_.end()) {
        Opened& opened = *it->second;
        opened.history.SweepBegan({sweep.plan, sweep.time, sweep.mode});
        opened.channels.SweepBegan({sweep.plan, sweep.time, sweep.mode});
        SweepSummary summary;
        for (int step = 0; step < sweep.plan.Count(); ++step) {
            opened.history.Measured(sweep.plan.HertzAt(step), sweep.levels[size_t(step)],
                                    Reply::Answered);
            opened.channels.Measured(sweep.plan.HertzAt(step), sweep.levels[size_t(step)],
                                     Reply::Answered);
            summary.Count(Reply::Answered);
        }
        opened.history.SweepEnded(summary);
        opened.channels.SweepEnded(summary);
    }
    const QModelIndex current = sensorView_->currentIndex();
    if (current.isValid() && current.siblingAtColumn(SensorTable::Sensor).data() == sensor) {
        trace_->Show(sensor, sweep);
    }
}

void WatchWindow::Heard(const QString& sensor, const Activity& activity) {
    if (const auto it = opened_.find(sensor); it != opened_.end()) {
        it->second->activities.ActivityChanged(activity, ActivityEvent::Started);
        it->second->activities.ActivityChanged(activity, ActivityEvent::Ended);
    }
}

void WatchWindow::Open(const QString& sensor) {
    auto& opened = opened_[sensor];
    if (!opened) {
        opened = std::make_unique<Opened>();
        opened->window = std::make_unique<HistoryWindow>(opened->history, opened->activities,
                                                         opened->channels, state_, parts_.messages,
                                                         parts_.files, [](long long) {});
        TitleHistory(sensor);
        // Its waterfall from the last sweep there is.
        if (const auto last = last_.constFind(sensor); last != last_.cend()) {
            const RemoteSweep sweep = *last;
            Swept(sensor, sweep);
        }
    }
    opened->window->show();
    opened->window->raise();
    opened->window->activateWindow();
}

void WatchWindow::TitleHistory(const QString& sensor) {
    const auto known = watch_.sensors().find(sensor);
    opened_.at(sensor)->window->SetLiveTitle(
        tr("Nerimo history: sensor %1, %2")
            .arg(sensor, known == watch_.sensors().end() ? QString() : known->second.state));
}

void WatchWindow::ShowCurrent() {
    const QModelIndex current = sensorView_->currentIndex();
    const QString sensor = current.isValid()
                               ? current.siblingAtColumn(SensorTable::Sensor).data().toString()
                               : QString();
    const auto last = last_.constFind(sensor);
    trace_->Show(sensor, last == last_.cend() ? std::nullopt : std::optional(*last));
}

}  // namespace nerimo
