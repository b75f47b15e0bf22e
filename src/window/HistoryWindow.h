#pragma once

#include <QActionGroup>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include "ActivityTable.h"
#include "ChannelTable.h"
#include "FileAccess.h"
#include "HistoryModel.h"
#include "HistoryView.h"
#include "LogLoader.h"
#include "MessageBox.h"
#include "WindowState.h"

namespace nerimo {

// The history window: an ordinary window beside the main one, with the waterfall of the sweeps,
// the read-out of the cell under the pointer, the table of activities under it (and beside it,
// while a list is scanned, the table of its channels, shown in its place), and its own
// menu: "Open log…", "Save picture…" and the palette. Its place, size and palette are remembered
// for the next start.
class HistoryWindow : public QMainWindow {
    Q_OBJECT

  public:
    // `tune`: a click on a cell, or a double-click on an activity or a channel, asks the
    // receiver to tune there.
    HistoryWindow(HistoryModel& model, ActivityTable& activities, ChannelTable& channels,
                  WindowState& state, MessageBox& messages, FileAccess& files,
                  const std::function<void(long long hertz)>& tune);
    ~HistoryWindow() override;

    // Loads a log in the rtl_power layout off the window's thread, a progress bar meanwhile; its
    // sweeps go before those of this run (`keepRows`) or in place of them.
    void LoadLog(const QString& path, bool keepRows);
    bool Loading() const { return loader_.Loading(); }
    // The window's title while it shows the live rows ("Nerimo history").
    void SetLiveTitle(const QString& title);
    HistoryView& view() { return *view_; }
    QTableView& activityView() { return *activityView_; }
    QTableView& channelView() { return *channelView_; }
    // The window's picture, with its axes and legend; false, with a message, when it cannot be
    // written.
    bool SavePicture(const QString& path);

  protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ChooseLog();
    void ChoosePicture();
    // "View": whose rows (the run's, a log's) and how many a pixel row.
    void AddViewMenu();
    // The view on these rows, and the window's title saying whose they are.
    void ShowRows(const HistoryModel& model);
    // The scroll bar and the status bar follow the view's zoom and scroll.
    void ShownChanged();

    HistoryModel& live_;  // the run's
    HistoryModel log_;    // a log opened, apart from the run
    QString logName_;
    QString liveTitle_ = QStringLiteral("Nerimo history");
    WindowState& state_;
    MessageBox& messages_;
    HistoryView* view_;
    QScrollBar* scroll_;
    QTableView* activityView_;
    QTableView* channelView_;
    QLabel* readout_;
    QLabel* zoom_;  // "4 sweeps a row"
    QLabel* loaded_;
    QAction* thisRun_ = nullptr;
    QAction* logItem_ = nullptr;
    QList<QAction*> fits_;  // the zooms of the View menu
    QProgressBar* progress_;
    LogLoader loader_;
    QTimer rememberPlace_;  // the place saved once it has stopped changing
};

}  // namespace nerimo
