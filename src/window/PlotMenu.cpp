#include "PlotMenu.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

#include "Picture.h"

namespace nerimo {

PlotMenu::PlotMenu(QWidget* window, const platform::SurfaceWidget& plot,
                   const platform::SurfaceWidget& scale, SweepLog& log, MessageBox& messages)
    : QObject(window),
      window_(window),
      plot_(plot),
      scale_(scale),
      log_(log),
      messages_(messages),
      save_(menu_.addAction(QStringLiteral("Save picture…"), QKeySequence(Qt::CTRL | Qt::Key_S),
                            this, &PlotMenu::ChoosePicture)),
      logging_(menu_.addAction(QStringLiteral("Log sweeps to…"), QKeySequence(Qt::CTRL | Qt::Key_L),
                               this, &PlotMenu::ChooseLog)) {
    // The shortcuts work on the window, the menu open or not.
    for (QAction* action : {save_, logging_}) {
        action->setShortcutContext(Qt::WindowShortcut);
        window_->addAction(action);
    }
}

void PlotMenu::Popup(const QPoint& globalPlace) {
    menu_.popup(globalPlace);
}

bool PlotMenu::SavePicture(const QString& path) {
    QString error;
    if (nerimo::SavePicture(PlotPicture(plot_.Image(), scale_.Image()), path, &error)) {
        return true;
    }
    messages_.Show(QStringLiteral("The picture %1 cannot be written: %2.").arg(path, error));
    return false;
}

bool PlotMenu::StartLog(const QString& path) {
    if (!log_.Start(path)) {
        return false;
    }
    logging_->setText(QStringLiteral("Stop logging"));
    return true;
}

void PlotMenu::ChoosePicture() {
    const QString name =
        QDateTime::currentDateTime().toString(QStringLiteral("'nerimo-'yyyyMMdd-HHmmss'.png'"));
    const QString path = QFileDialog::getSaveFileName(
        window_, QStringLiteral("Save picture"),
        QDir(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)).filePath(name),
        QStringLiteral("PNG pictures (*.png)"));
    if (!path.isEmpty()) {
        SavePicture(path);
    }
}

void PlotMenu::ChooseLog() {
    if (log_.Logging()) {
        log_.Stop();
        logging_->setText(QStringLiteral("Log sweeps to…"));
        return;
    }
    // An existing log grows: a survey can be taken up again.
    const QString path = QFileDialog::getSaveFileName(
        window_, QStringLiteral("Log sweeps to"),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
        QStringLiteral("Sweep logs (*.csv)"), nullptr, QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty()) {
        StartLog(path);
    }
}

}  // namespace nerimo
