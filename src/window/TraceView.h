#pragma once

#include <QWidget>
#include <optional>

#include "SensorWatch.h"

namespace nerimo {

// A remote sensor's last sweep as a trace: its levels, 0 to 16 from the bottom up, across the
// width from its first step to its last (a list's channels evenly), the range under it. Empty,
// with a line that says so, before a sweep comes.
class TraceView : public QWidget {
    Q_OBJECT

  public:
    explicit TraceView(QWidget* parent);

    void Show(const QString& sensor, const std::optional<RemoteSweep>& sweep);
    QSize sizeHint() const override { return {720, 200}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString sensor_;
    std::optional<RemoteSweep> sweep_;
};

}  // namespace nerimo
