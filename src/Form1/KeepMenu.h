#pragma once

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "MessageBox.h"
#include "Surface.h"
#include "SweepLog.h"

namespace nerimo {

// What the window keeps of its sweeps: the plot's context menu, "Save picture…" (Ctrl+S) and
// "Log sweeps to…" or "Stop logging" (Ctrl+L).
class KeepMenu : public QObject {
    Q_OBJECT

  public:
    KeepMenu(QWidget* window, const platform::Surface& plot, const platform::Surface& scale,
             SweepLog& log, platform::MessageBox& messages);

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
    const platform::Surface& plot_;
    const platform::Surface& scale_;
    SweepLog& log_;
    platform::MessageBox& messages_;
    QMenu menu_;
    QAction* save_;
    QAction* logging_;
};

}  // namespace nerimo
