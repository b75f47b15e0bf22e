#pragma once

#include <vector>

#include "Activity.h"
#include "AppendFile.h"
#include "MessageBox.h"

namespace nerimo {

// The activity log: a CSV row for every activity once it has ended, under a header line when
// the file is new. Times in UTC, ISO 8601. A row is written whole or not at all; a write error
// stops the log with a message that does not wait for the user, and never the sweep.
class ActivityLog : public ActivityListener {
  public:
    ActivityLog(AppendFile& file, MessageBox& messages);

    // Logs to the file, appending; false, with a message that names it, when it cannot be
    // opened for writing.
    bool Start(const QString& path);
    void Stop();
    // Stops, and removes the file if Start created it: for a run that ended before it began.
    void Discard();
    bool Logging() const { return logging_; }
    // The rows written since Start.
    int Rows() const { return rows_; }

    // Tells the listener of each activity once its row is written (a sensor publishes those).
    void Listen(ActivityListener& listener) { listeners_.push_back(&listener); }

    void ActivityChanged(const Activity& activity, ActivityEvent event) override;

    // An activity's row, without its line end.
    static QByteArray Row(const Activity& activity);

  private:
    bool Write(const QByteArray& piece);

    AppendFile& file_;
    MessageBox& messages_;
    QString path_;
    bool logging_ = false;
    int rows_ = 0;
    std::vector<ActivityListener*> listeners_;
};

}  // namespace nerimo
