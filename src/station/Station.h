#pragma once

#include "ActivityLog.h"
#include "ActivityTracker.h"
#include "AppendFile.h"
#include "Broker.h"
#include "ChannelBars.h"
#include "Clock.h"
#include "CommandLine.h"
#include "FileAccess.h"
#include "FrequencyLists.h"
#include "HamlibReceiver.h"
#include "HistoryModel.h"
#include "MessageBox.h"
#include "Panel.h"
#include "Picture.h"
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
// can put fakes in their place. Built with designated initialisers: several have the same type.
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

// The settings of a run: the file that the command line and the program's place choose, with
// --device and --settle over it. Throws StartupError as LoadSettings does.
Settings LoadRunSettings(const CommandLine& options, const Program& program, FileAccess& files);

// Everything a run of sweeps needs, assembled in one place from the settings, for the window and
// for a survey alike: the receiver the settings choose (the receiver's own protocol, or Hamlib
// for RIG=), the plot on the given surface, the frequencies locked out and named, the sweep, and
// listening to it the sweep log, the history, the activities with their log and the sensor; its
// pictures' caption and its end. The window and a survey only present it.
class Station {
  public:
    Station(const Settings& settings, const Services& services, Panel& panel, Surface& plotSurface);

    Receiver& receiver() { return *receiver_; }
    Plot& plot() { return plot_; }
    ChannelBars& bars() { return bars_; }
    const ChannelBars& bars() const { return bars_; }
    Sweep& sweep() { return sweep_; }
    SweepLog& log() { return log_; }
    HistoryModel& history() { return history_; }
    ActivityTracker& activity() { return activity_; }
    ActivityLog& activityLog() { return activityLog_; }
    const Lockouts& lockouts() const { return lockouts_; }
    FileAccess& files() { return files_; }
    const Bookmarks& bookmarks() const { return bookmarks_; }

    // Tells `trouble` what keeps the receiver from answering, whichever the settings choose.
    void ShowReceiverTroubleIn(Receiver::Trouble trouble);
    // The receiver the settings choose now, in place of the one before, for a panel with no run
    // in progress: the one before let go, its trouble gone, the new one opened.
    void ChangeReceiver(Receiver::Opened opened);
    // Reads and uses the lockouts (--lockouts, or lockouts.csv beside the settings file, written
    // back as they change) and the named frequencies of `bookmarksPath`; what was skipped, and
    // what cannot be used at all, for the client to say. A --lockouts file that is not there is
    // refused when it `mustExist` (a survey, which never writes it).
    FrequencyLists ReadLists(const CommandLine& options, const QString& bookmarksPath,
                             bool mustExist);
    // The channels of a list to scan on the receiver the settings choose, with the lockouts in
    // use; its refusal, when there is none, and what was left out.
    ChannelChoice ReadChannels(const QString& path, const QStringList& groups,
                               const QStringList& priority) const;
    // Publishes the sweeps, the activities and the state to an MQTT broker from now on. What the
    // broker does is said as the user sees messages (a refusal of a topic once, the broker gone
    // and back on standard error); `refused` hears once that it will not take the sensor at all.
    void PublishTo(const BrokerOptions& options, std::function<void()> refused);
    // What a picture of the plot says of itself, for the span and mode it shows.
    PictureCaption Caption(int spanMHz, Mode mode) const;
    // Ends the run: the sweep under way logged as far as it went, the sensor "offline" with
    // what waits handed over within the deadline, the port let go. The messages that never
    // reached the broker.
    int Finish(int brokerDeadlineMs);
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
    // The receiver the settings choose: Hamlib's for RIG=, else the receiver's own protocol.
    Receiver* Chosen();
    void UseLists(const FrequencyLists& lists, const QString& lockoutsPath);
    // The lockouts file as it is on disk now, changed, written back whole in its place.
    bool RewriteLockouts(const std::function<QByteArray(const QByteArray&)>& change,
                         QString* error);

    const Settings& settings_;
    FileAccess& files_;
    MessageBox& messages_;
    Broker& broker_;
    const Clock& clock_;
    SerialReceiver serial_;
    HamlibReceiver hamlib_;
    Receiver* receiver_;
    Receiver::Trouble trouble_;
    Plot plot_;
    ChannelBars bars_;  // on the plot's surface, while a list is scanned
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
