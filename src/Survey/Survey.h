#pragma once

#include <optional>

#include "AppendFile.h"
#include "CommandLine.h"
#include "FileAccess.h"
#include "HamlibReceiver.h"
#include "MessageBox.h"
#include "Plot.h"
#include "Program.h"
#include "Radio.h"
#include "ReceiverLink.h"
#include "Scheduler.h"
#include "SerialPort.h"
#include "State.h"
#include "SurveyPanel.h"
#include "Sweep.h"
#include "SweepLog.h"

namespace nerimo {

struct SurveyServices {
    platform::Program& program;
    platform::FileAccess& files;
    platform::MessageBox& messages;  // standard error only
    platform::SerialPort& port;
    platform::Radio& radio;
    platform::Scheduler& scheduler;
    platform::Scheduler& retry;
    platform::AppendFile& log;
};

// An unattended survey (nerimo --headless): the sweep of the window, with the same settings file,
// and no window and no display; every sweep logged, and a line on standard error for each. The
// last of --sweeps, or SIGINT, SIGTERM or SIGHUP, ends it with whole rows only and the port
// closed.
class Survey : public SweepListener {
  public:
    Survey(const CommandLine& options, SurveyServices services);

    // Runs the survey to its end; the exit status. Throws StartupError as the window's start-up
    // does.
    int Run();
    // Ends the survey: the sweep under way is logged as far as it went, the picture saved.
    void Finish();

    void SweepBegan() override;
    void Measured(double mhz, int16_t level, bool measured) override;
    void SweepEnded() override;

  private:
    CommandLine options_;
    SurveyServices services_;
    State state_;
    SurveyPanel panel_;
    ReceiverLink link_;
    HamlibReceiver hamlib_;
    Receiver* receiver_ = &link_;
    Plot plot_;
    SweepLog log_;
    std::optional<Sweep> sweep_;
    int status_ = 0;
    int sweeps_ = 0;
    int16_t strongest_ = 0;
    double strongestMHz_ = 0.0;
    QDateTime began_;
};

}  // namespace nerimo
