#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <optional>

#include "CommandLine.h"
#include "Settings.h"
#include "Station.h"
#include "SurveyPanel.h"

namespace nerimo {

// An unattended survey (nerimo --headless): the sweep of the window, with the same settings file,
// and no window and no display; every sweep that measured logged, a line on standard error for
// each, and one at the end that sums it up and says what ended it. Its exit status says what came
// of it: 0 every sweep asked for measured and logged (or a signal ended it after at least one),
// 1 a file could not be written, 3 no receiver.
class Survey : public SweepListener, public ActivityListener {
  public:
    static constexpr int kDone = 0;
    static constexpr int kNotWritten = 1;
    static constexpr int kUsage = 2;
    static constexpr int kNoReceiver = 3;

    // `services.messages` says everything on standard error only.
    Survey(const CommandLine& options, const Services& services);

    // Runs the survey to its end; the exit status. Throws StartupError as the window's start-up
    // does.
    int Run();
    // Ends the survey with this status, for the reason `ending` (what its last line says ended
    // it), unless another has ended it already: the sweep under way is logged as far as it went,
    // the picture saved, the port closed.
    void Finish(int status, const QString& ending);

    void SweepBegan(const SweepStart& start) override;
    void Measured(long long hertz, int level, Reply reply) override;
    void SweepEnded(const SweepSummary& summary) override;
    void ActivityChanged(const Activity& activity, ActivityEvent event) override;

  private:
    // The lists of frequencies and the logs the command line asks for; the exit status when
    // the survey cannot begin.
    std::optional<int> Prepare();
    // Whether a log asked for has stopped at a write error.
    bool LogFailed();
    // How the first attempt to open the receiver went, or that it opened later.
    void Opened(const OpenOutcome& outcome);
    // A list's channels that the radio, now open, receives, the others said to be left out;
    // false, the survey ended with status 2, when it receives none.
    bool UseReceivedChannels();
    // Ends the run after the step under way, with this status, for the reason `ending`.
    void EndSoon(int status, const QString& ending);
    // The plot's picture and the waterfall's, where the command line asks for them.
    void SavePictures();
    // The line that sums up the survey once it has ended.
    QString Summary();

    CommandLine options_;
    Services services_;
    Settings settings_;
    SurveyPanel panel_{settings_};
    std::optional<Station> station_;
    bool finished_ = false;
    int status_ = kDone;
    int sweeps_ = 0;         // sweeps that measured
    int steps_ = 0;          // of the sweep under way
    int pictures_ = 0;       // written
    QString ending_;         // what ended the survey
    QString cutShort_;       // what its end did to the sweep under way, when it cut it short
    bool answered_ = false;  // the receiver has answered a step
    bool present_ = false;   // the receiver has been open, so its absence counts
    QElapsedTimer away_;     // since the receiver's last answer, while it is away
    int strongest_ = 0;
    int started_ = 0;  // activities begun in the sweep
    long long strongestHertz_ = 0;
    std::optional<SweepPlan> list_;           // a list's channels to scan
    bool channels_ = false;                   // a list's channels are scanned
    QHash<long long, QString> channelNames_;  // of a list's pass, by frequency
    QDateTime began_;
};

}  // namespace nerimo
