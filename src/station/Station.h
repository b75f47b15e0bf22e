#pragma once

#include "AppendFile.h"
#include "Clock.h"
#include "FileAccess.h"
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
    const Clock& clock;    // the time of day of log rows and a survey's lines
};

// Everything a run of sweeps needs, assembled in one place from the settings, for the window and
// for a survey alike: the receiver the settings choose (the receiver's own protocol, or Hamlib
// for RIG=), the plot on the given surface, the sweep, and the sweep log and the history
// listening to it.
class Station {
  public:
    Station(const Settings& settings, const Services& services, Panel& panel, Surface& plotSurface);

    Receiver& receiver() { return *receiver_; }
    Plot& plot() { return plot_; }
    Sweep& sweep() { return sweep_; }
    SweepLog& log() { return log_; }
    HistoryModel& history() { return history_; }

  private:
    SerialReceiver serial_;
    HamlibReceiver hamlib_;
    Receiver* receiver_;
    Plot plot_;
    SweepLog log_;
    HistoryModel history_;
    Sweep sweep_;
};

}  // namespace nerimo
