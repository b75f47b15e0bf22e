#pragma once

#include <QDateTime>
#include <QList>
#include <functional>

#include "AppendFile.h"
#include "MessageBox.h"
#include "SweepListener.h"

namespace nerimo {

// The sweep log: a row for every sweep in the layout of the CSV that rtl_power writes, which the
// heat-map tools of band surveys read: date, time of the first step, the first and the last
// frequency measured in Hz, the step (12500 Hz), samples (1), then the level of every step,
// 0 to 16 as plotted. A row is written whole when its sweep ends; a sweep that measured nothing
// (no receiver at a step, or no answer at any) writes none.
class SweepLog : public SweepListener {
  public:
    SweepLog(platform::AppendFile& file, platform::MessageBox& messages,
             std::function<QDateTime()> now = &QDateTime::currentDateTime);

    // Logs to the file, appending; false, with a message that names it, when it cannot be
    // opened for writing.
    bool Start(const QString& path);
    void Stop();
    bool Logging() const { return logging_; }

    void SweepBegan() override;
    void Measured(double mhz, int16_t level, Reply reply) override;
    void SweepEnded(const SweepSummary& summary) override;

  private:
    platform::AppendFile& file_;
    platform::MessageBox& messages_;
    std::function<QDateTime()> now_;
    QString path_;
    bool logging_ = false;
    QDateTime began_;
    double firstMHz_ = 0.0;
    double lastMHz_ = 0.0;
    QList<int16_t> levels_;
};

}  // namespace nerimo
