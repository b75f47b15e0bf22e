#pragma once

#include <QAction>
#include <QMenu>
#include <QWidget>
#include <functional>

#include "ActivityLog.h"
#include "HoldLegendView.h"
#include "MessageBox.h"
#include "Picture.h"
#include "Plot.h"
#include "SurfaceWidget.h"
#include "SweepLog.h"
#include "WindowState.h"

namespace nerimo {

// What the window keeps and shows of its sweeps, from the plot's context menu: "Save picture…"
// (Ctrl+S), "Log sweeps to…" or "Stop logging" (Ctrl+L), "Activity log to…" or "Stop activity
// log"; the hold traces "Max hold", "Min hold" and "Average" (M, N and A while the plot has the
// focus), with their legend on the plot, and "Reset holds"; "History…" (Ctrl+H).
class PlotMenu : public QObject {
    Q_OBJECT

  public:
    // What the menu acts on.
    struct Parts {
        QWidget* window;
        platform::SurfaceWidget& plotView;
        const platform::SurfaceWidget& scaleStrip;
        Plot& plot;
        SweepLog& log;
        ActivityLog& activityLog;
        WindowState& state;
        MessageBox& messages;
        std::function<PictureCaption()> caption;  // of a picture saved now
        std::function<void()> showHistory;
    };

    explicit PlotMenu(const Parts& parts);

    // At a right click on the plot.
    void Popup(const QPoint& globalPlace);
    // The plot and its scale strip as a PNG picture, with its caption; false, with a message,
    // when it cannot be written.
    bool SavePicture(const QString& path);
    // Logs to the file from now on; false, with a message, when it cannot be opened.
    bool StartLog(const QString& path);
    bool StartActivityLog(const QString& path);
    QMenu& menu() { return menu_; }
    QAction* historyItem() { return history_; }

  private:
    void ChoosePicture();
    void ChooseLog();
    void ChooseActivityLog();
    void AddHold(Hold hold, const QString& text, Qt::Key key);
    // On the plot at once, and in its legend.
    void ShowHold(Hold hold, bool shown);
    void ResetHolds();

    Parts parts_;
    QMenu menu_;
    QAction* save_;
    QAction* logging_;
    QAction* activityLogging_;
    HoldLegendView* legend_;  // the plot's child
    QAction* history_ = nullptr;
};

}  // namespace nerimo
