#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <functional>

#include "FrequencyMarks.h"

namespace nerimo {

// "Lockouts…": the frequencies locked out, each with its name where a bookmark gives one, to pick
// and remove; and a field to lock out a frequency typed in (145.5, 145.5 MHz, 145500k,
// 145500000), added by "Add" or Enter.
class LockoutsDialog : public QDialog {
    Q_OBJECT

  public:
    // `add` locks a frequency out and `remove` takes its lockout off, each writing the list.
    LockoutsDialog(QWidget* parent, const Lockouts& lockouts, const Bookmarks& bookmarks,
                   std::function<void(long long hertz)> add,
                   std::function<void(long long hertz)> remove);

    // The list as it stands now.
    void Refill();

  private:
    void AddTyped();

    const Lockouts& lockouts_;
    const Bookmarks& bookmarks_;
    std::function<void(long long)> add_;
    std::function<void(long long)> remove_;
    QListWidget* list_;
    QLineEdit* entry_;
    QLabel* problem_;  // why the frequency typed was not added
};

}  // namespace nerimo
