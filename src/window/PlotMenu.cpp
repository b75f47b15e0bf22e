#include "PlotMenu.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

#include "Picture.h"

namespace nerimo {

PlotMenu::PlotMenu(const Parts& parts)
    : QObject(parts.window),
      parts_(parts),
      save_(menu_.addAction(QStringLiteral("Save picture…"), QKeySequence(Qt::CTRL | Qt::Key_S),
                            this, &PlotMenu::ChoosePicture)),
      logging_(menu_.addAction(QStringLiteral("Log sweeps to…"), QKeySequence(Qt::CTRL | Qt::Key_L),
                               this, &PlotMenu::ChooseLog)),
      activityLogging_(menu_.addAction(QStringLiteral("Activity log to…"),
                                       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L), this,
                                       &PlotMenu::ChooseActivityLog)),
      legend_(new HoldLegendView(&parts.plotView)) {
    menu_.addSeparator();
    AddHold(Hold::Max, QStringLiteral("Max hold"), Qt::Key_M);
    AddHold(Hold::Min, QStringLiteral("Min hold"), Qt::Key_N);
    AddHold(Hold::Average, QStringLiteral("Average"), Qt::Key_A);
    menu_.addAction(QStringLiteral("Reset holds"), this, &PlotMenu::ResetHolds);
    menu_.addSeparator();
    history_ = menu_.addAction(QStringLiteral("History…"), QKeySequence(Qt::CTRL | Qt::Key_H),
                               parts_.showHistory);
    // A log stopped by a write error offers to log again.
    connect(&menu_, &QMenu::aboutToShow, this, [this] {
        logging_->setText(parts_.log.Logging() ? QStringLiteral("Stop logging")
                                               : QStringLiteral("Log sweeps to…"));
        activityLogging_->setText(parts_.activityLog.Logging()
                                      ? QStringLiteral("Stop activity log")
                                      : QStringLiteral("Activity log to…"));
    });
    // These shortcuts work on the window, the menu open or not.
    for (QAction* action : {save_, logging_, activityLogging_, history_}) {
        action->setShortcutContext(Qt::WindowShortcut);
        parts_.window->addAction(action);
    }
}

void PlotMenu::AddHold(Hold hold, const QString& text, Qt::Key key) {
    QAction* item = menu_.addAction(text);
    item->setCheckable(true);
    item->setShortcut(QKeySequence(key));
    // A letter alone acts only while the plot has the focus.
    item->setShortcutContext(Qt::WidgetShortcut);
    parts_.plotView.addAction(item);
    const bool shown = parts_.state.HoldShown(hold);
    item->setChecked(shown);
    ShowHold(hold, shown);
    connect(item, &QAction::toggled, this, [this, hold](bool checked) {
        ShowHold(hold, checked);
        parts_.state.SetHoldShown(hold, checked);
    });
}

void PlotMenu::ShowHold(Hold hold, bool shown) {
    parts_.plot.ShowHold(hold, shown);
    legend_->Show(parts_.plot.holds().ShownHolds());
}

// The values forgotten, and the plot erased with the traces drawn from them.
void PlotMenu::ResetHolds() {
    parts_.plot.Erase();
}

void PlotMenu::Popup(const QPoint& globalPlace) {
    menu_.popup(globalPlace);
}

bool PlotMenu::SavePicture(const QString& path) {
    QString error;
    if (nerimo::SavePicture(
            PlotPicture(parts_.plotView.Image(), parts_.scaleStrip.Image(), parts_.caption()), path,
            &error)) {
        return true;
    }
    parts_.messages.Show(QStringLiteral("The picture %1 cannot be written: %2.").arg(path, error));
    return false;
}

bool PlotMenu::StartLog(const QString& path) {
    if (!parts_.log.Start(path)) {
        return false;
    }
    logging_->setText(QStringLiteral("Stop logging"));
    return true;
}

bool PlotMenu::StartActivityLog(const QString& path) {
    if (!parts_.activityLog.Start(path)) {
        return false;
    }
    activityLogging_->setText(QStringLiteral("Stop activity log"));
    return true;
}

void PlotMenu::ChooseActivityLog() {
    if (parts_.activityLog.Logging()) {
        parts_.activityLog.Stop();
        activityLogging_->setText(QStringLiteral("Activity log to…"));
        return;
    }
    const QString path = QFileDialog::getSaveFileName(
        parts_.window, QStringLiteral("Activity log to"),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
        QStringLiteral("Activity logs (*.csv)"), nullptr, QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty()) {
        StartActivityLog(path);
    }
}

void PlotMenu::ChoosePicture() {
    const QString name =
        QDateTime::currentDateTime().toString(QStringLiteral("'nerimo-'yyyyMMdd-HHmmss'.png'"));
    const QString path = QFileDialog::getSaveFileName(
        parts_.window, QStringLiteral("Save picture"),
        QDir(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)).filePath(name),
        QStringLiteral("PNG pictures (*.png)"));
    if (!path.isEmpty()) {
        SavePicture(path);
    }
}

void PlotMenu::ChooseLog() {
    if (parts_.log.Logging()) {
        parts_.log.Stop();
        logging_->setText(QStringLiteral("Log sweeps to…"));
        return;
    }
    // An existing log grows: a survey can be taken up again.
    const QString path = QFileDialog::getSaveFileName(
        parts_.window, QStringLiteral("Log sweeps to"),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
        QStringLiteral("Sweep logs (*.csv)"), nullptr, QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty()) {
        StartLog(path);
    }
}

}  // namespace nerimo
