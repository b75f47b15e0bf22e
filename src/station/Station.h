#pragma once

#include "ActivityLog.h"
#include "ActivityTracker.h"
#include "AppendFile.h"
#include "Broker.h"
#include "Clock.h"
#include "FileAccess.h"
#include "FrequencyLists.h"
#include "HamlibReceiver.h"
#include "HistoryModel.h"
#include "MessageBox.h"
#include "Panel.h"
#include "Plot.h"
#include "Program.h"
#include "Radio.h"
#include "Scheduler.h"
#include "SerialPort.h"
#include "SerialReceiver.h"
#include "Settings.h"
#include "Surface.h"
#include "Sweep.h"
#include "SweepLog.h"
#include "SweepPublisher.h"

namespace nerimo {

// The platform's services, which the window and a survey reach through these seams, so that tests
// can put fakes in their place.
struct Services {
    Program& program;
    FileAccess& files;
    MessageBox& messages;
    SerialPort& port;      // the receiver's own protocol
    Radio& radio;          // a radio that Hamlib drives (RIG=)
    Scheduler& scheduler;  // the sweep's
    Scheduler& retry;      // the receiver's, while it is away
    AppendFile& log;       // the sweep log
    AppendFile& activity;  // the activity log
    Broker& broker;        // an MQTT broker, for --mqtt
    const Clock& clock;    // the time of day of log rows and a survey's lines
};

// Everything a run of sweeps needs, assembled in one place from the settings, for the window and
// for a survey alike: the receiver the settings choose (the receiver's own protocol, or Hamlib
// for RIG=), the plot on the given surface, the frequencies locked out and named, the sweep, and
// listening to it the sweep log, the history and the activities with their log.
class Station {
  public:
    Station(const Settings& settings, const Services& services, Panel& panel, Surface& plotSurface);

    Receiver& receiver() { return *receiver_; }
    Plot& plot() { return plot_; }
    Sweep& sweep() { return sweep_; }
    SweepLog& log() { return log_; }
    HistoryModel& history() { return history_; }
    ActivityTracker& activity() { return activity_; }
    ActivityLog& activityLog() { return activityLog_; }
    const Lockouts& lockouts() const { return lockouts_; }
    FileAccess& files() { return files_; }
    const Bookmarks& bookmarks() const { return bookmarks_; }

    // The lists read at the start, the lockouts to be written back to `lockoutsPath`.
    void UseLists(const FrequencyLists& lists, const QString& lockoutsPath);
    // Publishes the sweeps, the activities and the state to an MQTT broker from now on;
    // `refused` hears once if the broker will not take the sensor, `rejected` once a topic if it
    // takes the sensor but not its messages, `note` when it goes and comes back.
    void PublishTo(const BrokerOptions& options, std::function<void(const QString& why)> refused,
                   std::function<void(const QString& why)> rejected,
                   std::function<void(const QString& line)> note);
    // The publisher, once PublishTo made it.
    SweepPublisher* publisher() { return publisher_ ? &*publisher_ : nullptr; }
    // The named frequencies of another file, and the lockouts its skipped channels make.
    void UseBookmarks(const FrequencyLists& lists);
    // A step locked out, or its lockouts removed, and the change merged into the lockouts file
    // as it is now (lines added by hand then count too); false with the reason when the file
    // could not be read or written (the change holds for this run).
    bool LockOut(long long hertz, QString* error);
    bool RemoveLockout(long long stepHertz, QString* error);

  private:
    // The lockouts file as it is on disk now, changed, written back whole in its place.
    bool RewriteLockouts(const std::function<QByteArray(const QByteArray&)>& change,
                         QString* error);

    FileAccess& files_;
    Broker& broker_;
    const Clock& clock_;
    SerialReceiver serial_;
    HamlibReceiver hamlib_;
    Receiver* receiver_;
    Plot plot_;
    Lockouts lockouts_;
    std::vector<long long> skipped_;  // CHIRP's skipped channels, not written back
    QString lockoutsPath_;
    Bookmarks bookmarks_;
    SweepLog log_;
    HistoryModel history_;
    ActivityTracker activity_;
    ActivityLog activityLog_;
    Sweep sweep_;
    std::optional<SweepPublisher> publisher_;
};

}  // namespace nerimo
