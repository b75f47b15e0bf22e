#pragma once

#include <QDateTime>
#include <QList>

#include "AppendFile.h"
#include "MessageBox.h"
#include "SweepListener.h"

namespace nerimo {

// The sweep log: a row for every sweep in the layout of the CSV that rtl_power writes, which the
// heat-map tools of band surveys read: date, time of the first step, the first and the last
// frequency measured in Hz, the step (12500 Hz), samples (1), then the level of every step,
// 0 to 16 as plotted. A row is written whole when its sweep ends; a sweep that measured nothing
// (no receiver at a step, or no answer at any) writes none.
//
// A scan of a list's channels is logged a row a channel a pass, under a header of its own:
// Timestamp (the pass's, UTC, ISO 8601), Frequency_Hz, Name, Mode, Level.
class SweepLog : public SweepListener {
  public:
    SweepLog(AppendFile& file, MessageBox& messages);

    // Logs to the file, appending; false, with a message that names it, when it cannot be
    // opened for writing.
    bool Start(const QString& path);
    void Stop();
    // Stops, and removes the file if Start created it: for a run that ended before it began.
    void Discard();
    bool Logging() const { return logging_; }
    // The sweeps logged, and the rows written, since Start.
    int Sweeps() const { return sweeps_; }
    int Rows() const { return rows_; }

    void SweepBegan(const SweepStart& start) override;
    void Measured(long long hertz, int level, Reply reply) override;
    void SweepEnded(const SweepSummary& summary) override;

  private:
    AppendFile& file_;
    MessageBox& messages_;
    QString path_;
    bool logging_ = false;
    int sweeps_ = 0;
    int rows_ = 0;
    // The row of a band's sweep; the rows of a list's pass, whole.
    QByteArray BandRow() const;
    QByteArray ChannelRows() const;

    QDateTime began_;
    SweepPlan plan_;  // a list's; none of a band
    Mode mode_ = Mode::Fm;
    QList<QPair<long long, int>> measured_;  // a list's channels, as measured
    long long firstHertz_ = 0;
    long long lastHertz_ = 0;
    long long stepHertz_ = 0;
    QList<int> levels_;
};

}  // namespace nerimo
