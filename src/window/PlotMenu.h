#pragma once

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "MessageBox.h"
#include "SurfaceWidget.h"
#include "SweepLog.h"

namespace nerimo {

// What the window keeps of its sweeps, from the plot's context menu: "Save picture…" (Ctrl+S) and
// "Log sweeps to…" or "Stop logging" (Ctrl+L).
class PlotMenu : public QObject {
    Q_OBJECT

  public:
    PlotMenu(QWidget* window, const platform::SurfaceWidget& plot,
             const platform::SurfaceWidget& scale, SweepLog& log, MessageBox& messages);

    // At a right click on the plot.
    void Popup(const QPoint& globalPlace);
    // The plot and its scale strip as a PNG picture; false, with a message, when it cannot be
    // written.
    bool SavePicture(const QString& path);
    // Logs to the file from now on; false, with a message, when it cannot be opened.
    bool StartLog(const QString& path);

  private:
    void ChoosePicture();
    void ChooseLog();

    QWidget* window_;
    const platform::SurfaceWidget& plot_;
    const platform::SurfaceWidget& scale_;
    SweepLog& log_;
    MessageBox& messages_;
    QMenu menu_;
    QAction* save_;
    QAction* logging_;
};

}  // namespace nerimo
