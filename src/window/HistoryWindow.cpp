#include "HistoryWindow.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenuBar>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>

#include "Picture.h"
#include "Report.h"

namespace nerimo {

namespace {

constexpr QSize kDefaultSize(900, 620);
constexpr int kActivitiesHeight = 150;
constexpr int kRememberAfterMs = 500;

}  // namespace

HistoryWindow::HistoryWindow(HistoryModel& model, ActivityTable& activities, WindowState& state,
                             MessageBox& messages, FileAccess& files,
                             const std::function<void(long long hertz)>& tune)
    : model_(model),
      state_(state),
      messages_(messages),
      view_(new HistoryView(model, state.HistoryPalette(), this)),
      activityView_(new QTableView(this)),
      readout_(new QLabel(this)),
      loaded_(new QLabel(this)),
      progress_(new QProgressBar(this)),
      loader_(files) {
    setObjectName(QStringLiteral("historyWindow"));
    setWindowTitle(QStringLiteral("Nerimo history"));
    readout_->setObjectName(QStringLiteral("historyReadout"));
    loaded_->setObjectName(QStringLiteral("historyLoaded"));
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(view_);
    split->addWidget(activityView_);
    split->setStretchFactor(0, 1);
    split->setSizes({kDefaultSize.height() - kActivitiesHeight, kActivitiesHeight});
    setCentralWidget(split);
    resize(kDefaultSize);
    auto* sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(&activities);
    sorted->setSortRole(ActivityTable::SortRole);
    activityView_->setObjectName(QStringLiteral("activityView"));
    activityView_->setModel(sorted);
    activityView_->setSortingEnabled(true);
    activityView_->sortByColumn(ActivityTable::FirstHeard, Qt::DescendingOrder);
    activityView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    activityView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    activityView_->verticalHeader()->hide();
    activityView_->horizontalHeader()->setStretchLastSection(true);
    connect(activityView_, &QTableView::doubleClicked, this, [tune](const QModelIndex& index) {
        tune(index.data(ActivityTable::HertzRole).toLongLong());
    });
    restoreGeometry(state.HistoryGeometry());

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
    statusBar()->addPermanentWidget(loaded_);
    statusBar()->addPermanentWidget(progress_);
    progress_->setMaximumWidth(160);
    progress_->hide();
    view_->onPointer = [this](const QString& text) { readout_->setText(text); };
    view_->onClick = tune;
    model_.OnChanged([this](bool reloaded) { view_->ModelChanged(reloaded); });

    rememberPlace_.setSingleShot(true);
    rememberPlace_.setInterval(kRememberAfterMs);
    connect(&rememberPlace_, &QTimer::timeout, this,
            [this] { state_.SetHistoryGeometry(saveGeometry()); });
}

HistoryWindow::~HistoryWindow() {
    model_.OnChanged({});
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
            model_.Load(log.sweeps, log.unit, log.low, log.high, keepRows);
            loaded_->setText(QStringLiteral("%1 from %2; %3 skipped")
                                 .arg(Counted(qsizetype(log.sweeps.size()), "sweep", "sweeps"),
                                      QFileInfo(path).fileName(),
                                      Counted(log.malformed, "line", "lines")));
        });
}

bool HistoryWindow::SavePicture(const QString& path) {
    QString error;
    if (nerimo::SavePicture(view_->Picture(), path, &error)) {
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
