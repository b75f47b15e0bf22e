#include "HistoryWindow.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>

#include "Picture.h"
#include "Report.h"

namespace nerimo {

namespace {

constexpr QSize kDefaultSize(900, 620);
constexpr int kActivitiesHeight = 150;
constexpr int kRememberAfterMs = 500;

}  // namespace

HistoryWindow::HistoryWindow(HistoryModel& model, ActivityTable& activities, ChannelTable& channels,
                             WindowState& state, MessageBox& messages, FileAccess& files,
                             const std::function<void(long long hertz)>& tune)
    : live_(model),
      state_(state),
      messages_(messages),
      view_(new HistoryView(model, state.HistoryPalette(), this)),
      scroll_(new QScrollBar(Qt::Vertical, this)),
      activityView_(new QTableView(this)),
      channelView_(new QTableView(this)),
      readout_(new QLabel(this)),
      zoom_(new QLabel(this)),
      loaded_(new QLabel(this)),
      progress_(new QProgressBar(this)),
      loader_(files) {
    setObjectName(QStringLiteral("historyWindow"));
    setWindowTitle(QStringLiteral("Nerimo history"));
    readout_->setObjectName(QStringLiteral("historyReadout"));
    zoom_->setObjectName(QStringLiteral("historyZoom"));
    loaded_->setObjectName(QStringLiteral("historyLoaded"));
    scroll_->setObjectName(QStringLiteral("historyScroll"));
    auto* waterfall = new QWidget(this);
    auto* beside = new QHBoxLayout(waterfall);
    beside->setContentsMargins(0, 0, 0, 0);
    beside->setSpacing(0);
    beside->addWidget(view_, 1);
    beside->addWidget(scroll_);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(waterfall);
    auto* tables = new QTabWidget(this);
    tables->setObjectName(QStringLiteral("historyTables"));
    tables->addTab(activityView_, QStringLiteral("Activities"));
    tables->addTab(channelView_, QStringLiteral("Channels"));
    split->addWidget(tables);
    split->setStretchFactor(0, 1);
    split->setSizes({kDefaultSize.height() - kActivitiesHeight, kActivitiesHeight});
    setCentralWidget(split);
    resize(kDefaultSize);
    auto* sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(&activities);
    sorted->setSortRole(ActivityTable::SortRole);
    activityView_->setObjectName(QStringLiteral("activityView"));
    activityView_->setAccessibleName(QStringLiteral("Activities"));
    activityView_->setModel(sorted);
    activityView_->setSortingEnabled(true);
    activityView_->sortByColumn(ActivityTable::FirstHeard, Qt::DescendingOrder);
    activityView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    activityView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    activityView_->verticalHeader()->hide();
    // A row is one line, each column as wide as its header and its cells, the name taking what
    // is left and cut short with "…" where that is not enough.
    activityView_->setWordWrap(false);
    QHeaderView* header = activityView_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(ActivityTable::Name, QHeaderView::Stretch);
    header->setMinimumSectionSize(header->sectionSizeHint(ActivityTable::Name));
    connect(activityView_, &QTableView::doubleClicked, this, [tune](const QModelIndex& index) {
        tune(index.data(ActivityTable::HertzRole).toLongLong());
    });
    // The channels: a list scanned is what the window shows first.
    auto* byChannel = new QSortFilterProxyModel(this);
    byChannel->setSourceModel(&channels);
    byChannel->setSortRole(ChannelTable::SortRole);
    channelView_->setObjectName(QStringLiteral("channelView"));
    channelView_->setAccessibleName(QStringLiteral("Channels"));
    channelView_->setModel(byChannel);
    channelView_->setSortingEnabled(true);
    channelView_->sortByColumn(-1, Qt::AscendingOrder);  // the list's own order until asked
    channelView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    channelView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    channelView_->verticalHeader()->hide();
    channelView_->setWordWrap(false);
    // Columns fitted to a new list once, not at each change: a level changes every step.
    QHeaderView* channelHeader = channelView_->horizontalHeader();
    channelHeader->setSectionResizeMode(QHeaderView::Interactive);
    channelHeader->setStretchLastSection(true);
    connect(channelView_, &QTableView::doubleClicked, this, [tune](const QModelIndex& index) {
        tune(index.data(ChannelTable::HertzRole).toLongLong());
    });
    connect(&channels, &QAbstractItemModel::modelReset, this, [tables, this, &channels] {
        tables->setCurrentWidget(channels.rowCount() > 0 ? channelView_ : activityView_);
        channelView_->resizeColumnsToContents();
    });
    restoreGeometry(state.HistoryGeometry());

    AddViewMenu();
    QMenu* menu = menuBar()->addMenu(QStringLiteral("History"));
    menu->addAction(QStringLiteral("Open log…"), QKeySequence::Open, this,
                    &HistoryWindow::ChooseLog);
    menu->addAction(QStringLiteral("Save picture…"), QKeySequence(Qt::CTRL | Qt::Key_S), this,
                    &HistoryWindow::ChoosePicture);
    menu->addSeparator();
    auto* palettes = new QActionGroup(this);
    for (const Palette palette : {Palette::Viridis, Palette::HighContrast, Palette::Grey}) {
        QAction* item = menu->addAction(PaletteName(palette));
        item->setCheckable(true);
        item->setChecked(palette == view_->palette());
        palettes->addAction(item);
        connect(item, &QAction::triggered, this, [this, palette] {
            view_->SetPalette(palette);
            state_.SetHistoryPalette(palette);
        });
    }

    statusBar()->addWidget(readout_, 1);
    statusBar()->addPermanentWidget(zoom_);
    statusBar()->addPermanentWidget(loaded_);
    statusBar()->addPermanentWidget(progress_);
    progress_->setMaximumWidth(160);
    progress_->hide();
    view_->onPointer = [this](const QString& text) { readout_->setText(text); };
    view_->onClick = tune;
    view_->onShownChanged = [this] { ShownChanged(); };
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int band) { view_->ScrollTo(band); });
    // The run's rows go to the run's view, never to a log's.
    live_.OnChanged([this](bool reloaded) {
        if (&view_->model() == &live_) {
            view_->ModelChanged(reloaded);
        }
    });
    ShownChanged();

    rememberPlace_.setSingleShot(true);
    rememberPlace_.setInterval(kRememberAfterMs);
    connect(&rememberPlace_, &QTimer::timeout, this,
            [this] { state_.SetHistoryGeometry(saveGeometry()); });
}

HistoryWindow::~HistoryWindow() {
    live_.OnChanged({});
}

void HistoryWindow::AddViewMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("View"));
    auto* whose = new QActionGroup(this);
    thisRun_ = menu->addAction(QStringLiteral("This run"), this, [this] { ShowRows(live_); });
    logItem_ = menu->addAction(QString(), this, [this] { ShowRows(log_); });
    for (QAction* item : {thisRun_, logItem_}) {
        item->setCheckable(true);
        whose->addAction(item);
    }
    thisRun_->setChecked(true);
    logItem_->setVisible(false);
    menu->addSeparator();
    auto* zooms = new QActionGroup(this);
    zooms->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const std::tuple<const char*, HistoryView::Fit, waterfall::Zoom, QKeySequence> kFits[] = {
        {"Newest sweeps", HistoryView::Fit::Newest, {}, QKeySequence(Qt::CTRL | Qt::Key_1)},
        {"Fit all", HistoryView::Fit::All, {}, QKeySequence(Qt::CTRL | Qt::Key_0)},
        {"One row a sweep", HistoryView::Fit::Chosen, {1, 1}, QKeySequence(Qt::CTRL | Qt::Key_2)},
    };
    for (const auto& [text, fit, zoom, key] : kFits) {
        QAction* item = menu->addAction(QLatin1String(text), key, this,
                                        [this, fit, zoom] { view_->SetFit(fit, zoom); });
        item->setCheckable(true);
        item->setChecked(fit == HistoryView::Fit::Newest);
        zooms->addAction(item);
        fits_ << item;
    }
}

void HistoryWindow::ShowRows(const HistoryModel& model) {
    view_->SetModel(model);
    const bool log = &model == &log_;
    (log ? logItem_ : thisRun_)->setChecked(true);
    setWindowTitle(log ? QStringLiteral("Nerimo history: %1").arg(logName_) : liveTitle_);
}

void HistoryWindow::SetLiveTitle(const QString& title) {
    liveTitle_ = title;
    if (&view_->model() == &live_) {
        setWindowTitle(title);
    }
}

void HistoryWindow::ShownChanged() {
    const waterfall::Shown& shown = view_->shown();
    zoom_->setText(shown.zoom.Text());
    const QSignalBlocker quiet(scroll_);
    scroll_->setRange(0, view_->ScrollMaximum());
    scroll_->setPageStep(view_->PageBands());
    scroll_->setValue(view_->ScrollValue());
    // A zoom of the wheel's is none of the menu's.
    const HistoryView::Fit fit = view_->fit();
    fits_[0]->setChecked(fit == HistoryView::Fit::Newest);
    fits_[1]->setChecked(fit == HistoryView::Fit::All);
    fits_[2]->setChecked(fit == HistoryView::Fit::Chosen && shown.zoom == waterfall::Zoom{});
}

void HistoryWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    rememberPlace_.start();
}

void HistoryWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    rememberPlace_.start();
}

void HistoryWindow::LoadLog(const QString& path, bool keepRows) {
    progress_->setRange(0, 1000);
    progress_->setValue(0);
    progress_->show();
    loaded_->setText(QStringLiteral("Loading %1").arg(QDir::toNativeSeparators(path)));
    loader_.Load(
        path,
        [this](qint64 done, qint64 total) {
            progress_->setValue(total > 0 ? int(done * 1000 / total) : 1000);
        },
        [this, path, keepRows](const LoadedLog& log) {
            progress_->hide();
            if (!log.error.isEmpty()) {
                loaded_->clear();
                messages_.Notify(
                    QStringLiteral("The log %1 cannot be read: %2.").arg(path, log.error));
                return;
            }
            // The run's own log, read at the start, goes before the run's rows; any other log is
            // a view of its own.
            if (keepRows) {
                live_.Load(log.sweeps, log.unit, log.low, log.high, log.decimals, true);
            } else {
                logName_ = QFileInfo(path).fileName();
                log_.Load(log.sweeps, log.unit, log.low, log.high, log.decimals, false);
                logItem_->setText(QStringLiteral("Log: %1").arg(logName_));
                logItem_->setVisible(true);
                ShowRows(log_);
            }
            loaded_->setText(QStringLiteral("%1 from %2; %3 skipped")
                                 .arg(Counted(qsizetype(log.sweeps.size()), "sweep", "sweeps"),
                                      QFileInfo(path).fileName(),
                                      Counted(log.malformed, "line", "lines")));
        });
}

bool HistoryWindow::SavePicture(const QString& path) {
    QString error;
    const QString source = &view_->model() == &log_ ? logName_ : QString();
    if (nerimo::SavePicture(view_->Picture(source), path, &error)) {
        return true;
    }
    messages_.Show(QStringLiteral("The picture %1 cannot be written: %2.").arg(path, error));
    return false;
}

void HistoryWindow::ChooseLog() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Open log"),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
        QStringLiteral("Sweep logs (*.csv);;All files (*)"));
    if (!path.isEmpty()) {
        LoadLog(path, false);
    }
}

void HistoryWindow::ChoosePicture() {
    const QString name = QDateTime::currentDateTime().toString(
        QStringLiteral("'nerimo-history-'yyyyMMdd-HHmmss'.png'"));
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save picture"),
        QDir(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)).filePath(name),
        QStringLiteral("PNG pictures (*.png)"));
    if (!path.isEmpty()) {
        SavePicture(path);
    }
}

}  // namespace nerimo
