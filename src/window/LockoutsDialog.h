#pragma once

#include <QDialog>
#include <QListWidget>
#include <functional>

#include "FrequencyMarks.h"

namespace nerimo {

// "Lockouts…": the frequencies locked out, to pick and remove.
class LockoutsDialog : public QDialog {
    Q_OBJECT

  public:
    // `remove`: takes the lockout of a frequency off, and writes the list.
    LockoutsDialog(QWidget* parent, const Lockouts& lockouts,
                   std::function<void(long long hertz)> remove);

    // The list as it stands now.
    void Refill();

  private:
    const Lockouts& lockouts_;
    std::function<void(long long)> remove_;
    QListWidget* list_;
};

}  // namespace nerimo
