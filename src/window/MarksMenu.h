#pragma once

#include <QAction>
#include <QMenu>
#include <functional>
#include <optional>

#include "LockoutsDialog.h"
#include "MessageBox.h"
#include "Station.h"
#include "WindowState.h"

namespace nerimo {

// The plot menu's items for the frequencies locked out and named: "Lock out 145.5000 MHz" (the
// step under the pointer) and "Remove lockout", "Lockouts…" (the list, to add to by frequency and
// remove from) and "Bookmarks…" (a file of named frequencies, remembered for the next start).
class MarksMenu : public QObject {
    Q_OBJECT

  public:
    struct Parts {
        QWidget* window;
        QWidget& plotView;  // L there locks out the step pointed at
        QMenu& menu;
        QAction* before;  // the items go before this one
        Station& station;
        WindowState& state;
        MessageBox& messages;
        std::function<void()> changed;  // the scale strip shows the marks afresh
    };

    explicit MarksMenu(const Parts& parts);

    // Before the menu opens: the step under the pointer, or none off the span.
    void PointAt(std::optional<long long> stepHertz);
    // Uses the named frequencies of a file from now on; false, with a message, when it cannot.
    bool UseBookmarks(const QString& path);

  private:
    // Each writes the lockouts file and has the scale strip show the change.
    void LockOut(long long hertz);
    void RemoveLockout(long long stepHertz);
    void ChooseBookmarks();
    // Says why the lockouts file could not be written, when it could not.
    void Saved(bool saved, const QString& error);

    Parts parts_;
    QAction* lockOut_;
    QAction* removeLockout_;
    std::optional<long long> step_;
    LockoutsDialog* dialog_ = nullptr;  // made when first asked for
};

}  // namespace nerimo
