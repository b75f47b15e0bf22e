#include "MarksMenu.h"

#include <QFileDialog>
#include <QStandardPaths>

#include "Frequency.h"

namespace nerimo {

MarksMenu::MarksMenu(const Parts& parts)
    : QObject(parts.window),
      parts_(parts),
      lockOut_(new QAction(QStringLiteral("Lock out"), this)),
      removeLockout_(new QAction(QStringLiteral("&Remove lockout"), this)) {
    auto* lockouts = new QAction(QStringLiteral("Lockouts…"), this);
    auto* bookmarks = new QAction(QStringLiteral("Bookmarks…"), this);
    parts_.menu.insertActions(parts_.before, {lockOut_, removeLockout_, lockouts, bookmarks});
    // L on the plot, as on the open menu, for the step the pointer or the tuning cursor is at.
    lockOut_->setShortcut(QKeySequence(Qt::Key_L));
    lockOut_->setShortcutContext(Qt::WidgetShortcut);
    parts_.plotView.addAction(lockOut_);
    parts_.menu.insertSeparator(parts_.before);
    connect(lockOut_, &QAction::triggered, this, [this] {
        // L in the open menu is the item's key as well as its letter: the menu goes either way.
        parts_.menu.close();
        if (step_) {
            LockOut(*step_);
        }
    });
    connect(removeLockout_, &QAction::triggered, this, [this] {
        if (step_) {
            RemoveLockout(*step_);
        }
    });
    connect(bookmarks, &QAction::triggered, this, &MarksMenu::ChooseBookmarks);
    connect(lockouts, &QAction::triggered, this, [this] {
        if (!dialog_) {
            dialog_ = new LockoutsDialog(
                parts_.window, parts_.station.lockouts(), parts_.station.bookmarks(),
                [this](long long hertz) { LockOut(hertz); },
                [this](long long hertz) { RemoveLockout(hertz); });
        }
        dialog_->Refill();
        dialog_->show();
        dialog_->raise();
    });
    PointAt(std::nullopt);
}

void MarksMenu::PointAt(std::optional<long long> stepHertz) {
    step_ = stepHertz;
    const bool locked = step_ && parts_.station.lockouts().Locks(*step_);
    // L and R in the open menu, as its underlined letters show.
    lockOut_->setText(step_
                          ? QStringLiteral("&Lock out %1 MHz").arg(QLatin1String(FreqText(*step_)))
                          : QStringLiteral("&Lock out"));
    lockOut_->setEnabled(step_ && !locked);
    removeLockout_->setEnabled(locked);
}

void MarksMenu::LockOut(long long hertz) {
    QString error;
    Saved(parts_.station.LockOut(hertz, &error), error);
    parts_.changed();
}

void MarksMenu::RemoveLockout(long long stepHertz) {
    QString error;
    Saved(parts_.station.RemoveLockout(stepHertz, &error), error);
    parts_.changed();
}

void MarksMenu::Saved(bool saved, const QString& error) {
    if (!saved) {
        parts_.messages.Notify(
            QStringLiteral("The lockouts file cannot be written (%1); the change holds until "
                           "Nerimo ends.")
                .arg(error));
    }
}

bool MarksMenu::UseBookmarks(const QString& path) {
    const FrequencyLists lists = ReadBookmarks(parts_.station.files(), path);
    if (!lists.refusal.isEmpty()) {
        parts_.messages.Notify(lists.refusal);
        return false;
    }
    if (!lists.notes.isEmpty()) {
        parts_.messages.Notify(lists.notes.join('\n'));
    }
    parts_.station.UseBookmarks(lists);
    parts_.changed();
    return true;
}

void MarksMenu::ChooseBookmarks() {
    const QString path =
        QFileDialog::getOpenFileName(parts_.window, QStringLiteral("Bookmarks"),
                                     QStandardPaths::writableLocation(QStandardPaths::HomeLocation),
                                     QStringLiteral("Bookmarks (*.csv *.json);;All files (*)"));
    if (!path.isEmpty() && UseBookmarks(path)) {
        parts_.state.SetBookmarksPath(path);
    }
}

}  // namespace nerimo
