#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include "Scheduler.h"

namespace nerimo::platform {

class QtScheduler : public QObject, public Scheduler {
    Q_OBJECT

  public:
    QtScheduler();

    void After(double seconds, Task task) override;
    void Soon(Task task) override;
    void Cancel() override;

  private:
    void Fire();
    void Arm();

    QTimer timer_;
    QElapsedTimer clock_;  // monotonic
    qint64 dueNs_ = 0;
    Task task_;
};

}  // namespace nerimo::platform
