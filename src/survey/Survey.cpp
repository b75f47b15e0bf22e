#include "Survey.h"

#include <QCoreApplication>
#include <QTimer>
#include <csignal>
#include <cstring>

#include "Frequency.h"
#include "Picture.h"
#include "PlotGeometry.h"
#include "Report.h"
#include "SettingsFile.h"
#include "UnixSignals.h"
#include "Waterfall.h"

namespace nerimo {

namespace {

constexpr QSize kHistoryPictureSize(900, 620);  // as the history window opens
constexpr int kBrokerDeadlineMs = 2000;         // for the broker to take the last messages

// A signal's name as kill -l gives it, with its SIG: "SIGTERM".
QString SignalName(int signal) {
    const char* name = sigabbrev_np(signal);
    return name ? QStringLiteral("SIG%1").arg(QLatin1String(name))
                : QStringLiteral("signal %1").arg(signal);
}

}  // namespace

Survey::Survey(const CommandLine& options, const Services& services)
    : options_(options), services_(services) {}

int Survey::Run() {
    // From the start: a signal that comes while the files are read ends the survey once it
    // stands, as it would end a survey under way.
    const platform::UnixSignals ending({SIGINT, SIGTERM, SIGHUP},
                                       [this](int signal) { Finish(kDone, SignalName(signal)); });
    // Before anything is sent: a survey that could not keep its pictures would run for nothing.
    for (const QString& path : {options_.picturePath, options_.historyPicturePath}) {
        if (path.isEmpty()) {
            continue;
        }
        if (!PictureFormat(path)) {
            Report(QStringLiteral("The picture %1: %2.").arg(path, PictureFormatsText()));
            return kUsage;
        }
        if (const std::optional<QString> why = PictureRefused(path)) {
            Report(QStringLiteral("The picture %1 cannot be written: %2.").arg(path, *why));
            return kNotWritten;
        }
    }
    settings_ = LoadSettings(
        {services_.program.Folder(), services_.program.UserFolder(), options_.settingsPath,
         options_.device, services_.program.Installed(), options_.settleMs},
        services_.files);
    station_.emplace(settings_, services_, panel_, panel_.plot);
    if (services_.program.AnotherInstanceRunning(station_->receiver().Name())) {
        // That copy holds the receiver.
        Report(QStringLiteral("Nerimo is already running on %1; this survey ends.")
                   .arg(station_->receiver().Name()));
        return kNoReceiver;
    }
    if (const std::optional<int> status = Prepare()) {
        return *status;
    }
    panel_.plot.SetPixelSize(kPlotWidth, kPlotHeight);
    panel_.scale.SetPixelSize(kPlotWidth, kScaleHeight);
    DrawScale(panel_.scale, Hertz(settings_.startMHz), settings_.spanMHz, station_->lockouts(),
              station_->bookmarks());
    station_->sweep().Listen(*this);
    station_->activity().Listen(*this);
    // Taken up once the survey stands and its event loop runs.
    station_->receiver().OpenPort([this](const OpenOutcome& outcome) {
        QTimer::singleShot(0, [this, outcome] { Opened(outcome); });
    });
    QCoreApplication::exec();
    return status_;
}

std::optional<int> Survey::Prepare() {
    const FrequencyLists lists = station_->ReadLists(options_, options_.bookmarksPath, true);
    for (const QString& note : lists.notes) {
        Report(note);
    }
    // A survey that was given a list it cannot use would run for the wrong names or steps.
    if (!lists.refusal.isEmpty()) {
        Report(lists.refusal);
        return kUsage;
    }
    if (options_.range) {
        if (const std::optional<QString> why = station_->receiver().RefusesPlan(*options_.range)) {
            Report(*why);
            return kUsage;
        }
        station_->sweep().UsePlan(*options_.range);
    }
    if (!options_.channelsPath.isEmpty()) {
        const ChannelChoice channels =
            station_->ReadChannels(options_.channelsPath, options_.groups, options_.priority);
        // One line says why a list cannot be scanned at all; its notes are in it.
        if (!channels.refusal.isEmpty()) {
            Report(channels.refusal);
            return kUsage;
        }
        for (const QString& note : channels.notes) {
            Report(note);
        }
        station_->sweep().UsePlan(channels.plan);
        list_ = channels.plan;
    }
    if (!station_->log().Start(options_.logPath) ||
        (!options_.activityPath.isEmpty() &&
         !station_->activityLog().Start(options_.activityPath))) {
        return kNotWritten;
    }
    if (options_.broker) {
        station_->PublishTo(*options_.broker, [this] {
            EndSoon(kNotWritten, QStringLiteral("a broker that refused the sensor"));
        });
    }
    return std::nullopt;
}

bool Survey::LogFailed() {
    return !station_->log().Logging() ||
           (!options_.activityPath.isEmpty() && !station_->activityLog().Logging());
}

void Survey::Opened(const OpenOutcome& outcome) {
    if (finished_ || station_->sweep().Running()) {
        return;
    }
    if (!outcome.opened) {
        if (outcome.permanent || !options_.waitForReceiver) {
            Finish(kNoReceiver, QStringLiteral("a receiver that could not be opened"));
            return;
        }
        // The survey begins once the receiver is there.
        Note(QStringLiteral("Waiting for the receiver at %1; trying again every 2 s.")
                 .arg(station_->receiver().Name()));
        return;
    }
    present_ = true;
    // A radio says what it receives once it is open.
    if (options_.range) {
        if (const std::optional<QString> why = station_->receiver().RefusesPlan(*options_.range)) {
            Report(*why);
            Finish(kUsage, QStringLiteral("a range the radio cannot tune"));
            return;
        }
    }
    if (list_ && !UseReceivedChannels()) {
        return;
    }
    station_->sweep().RunSweep();
}

bool Survey::UseReceivedChannels() {
    SweepPlan received = *list_;
    std::erase_if(received.steps, [this](const PlanStep& step) {
        return !station_->receiver().Receives(step.hertz);
    });
    const int outside = list_->Count() - received.Count();
    if (outside == 0) {
        return true;
    }
    const QString said = QStringLiteral("%1 of %2 left out: outside what the radio at %3 receives.")
                             .arg(outside)
                             .arg(options_.channelsPath, station_->receiver().Name());
    if (received.steps.empty()) {
        Report(QStringLiteral("%1 has no channel the receiver can scan: %2")
                   .arg(options_.channelsPath, said));
        Finish(kUsage, QStringLiteral("a list the radio cannot tune"));
        return false;
    }
    Report(said);
    station_->sweep().UsePlan(received);
    list_ = received;
    return true;
}

void Survey::EndSoon(int status, const QString& ending) {
    if (finished_) {  // ending already, inside Finish: the worse outcome stands
        status_ = status_ == kDone ? status : status_;
        return;
    }
    station_->sweep().RequestStop();  // no further sweep begins
    QTimer::singleShot(0, [this, status, ending] { Finish(status, ending); });
}

void Survey::Finish(int status, const QString& ending) {
    if (finished_) {
        return;
    }
    finished_ = true;
    status_ = status;
    ending_ = ending;
    const int lost = station_->Finish(kBrokerDeadlineMs);  // the last sweep logged as it went
    if (status_ == kUsage) {  // a range the radio refused once open: the logs it made go too
        station_->log().Discard();
        station_->activityLog().Discard();
    }
    if (status_ == kDone && LogFailed()) {  // the activities still going on, written at the end
        status_ = kNotWritten;
    }
    if (const SweepPublisher* publisher = station_->publisher()) {
        const QString broker =
            QStringLiteral("%1:%2").arg(options_.broker->host).arg(options_.broker->port);
        if (lost > 0) {
            Report(QStringLiteral("%1 never reached the broker at %2.")
                       .arg(Counted(lost, "message", "messages"), broker));
        }
        if (publisher->Rejected() > 0) {
            Report(
                QStringLiteral("%1 refused by the broker at %2.")
                    .arg(Counted(publisher->Rejected(), "message was", "messages were"), broker));
        }
        if (lost > 0 || publisher->Rejected() > 0) {
            status_ = status_ == kDone ? kNotWritten : status_;
        }
    }
    if (status_ == kDone && sweeps_ == 0) {
        Report(QStringLiteral("The survey ends before the receiver measured a sweep."));
        status_ = kNoReceiver;
    }
    if (answered_) {
        SavePictures();
    }
    // Nothing went wrong in a survey that ends with status 0, so a quiet one leaves it unsaid.
    if (status_ == kDone) {
        Note(Summary());
    } else {
        Report(Summary());
    }
    QCoreApplication::exit(status_);
}

QString Survey::Summary() {
    const int rows = station_->log().Rows();
    QStringList written = {
        QStringLiteral("%1 to %2").arg(Counted(rows, "row", "rows"), options_.logPath)};
    if (!options_.activityPath.isEmpty()) {
        written << QStringLiteral("%1 to %2")
                       .arg(Counted(station_->activityLog().Rows(), "activity", "activities"),
                            options_.activityPath);
    }
    if (!options_.picturePath.isEmpty() || !options_.historyPicturePath.isEmpty()) {
        written << Counted(pictures_, "picture", "pictures");
    }
    return QStringLiteral("The survey ends after %1 %2 (%3): %4%5.")
        .arg(channels_ ? Counted(sweeps_, "pass", "passes") : Counted(sweeps_, "sweep", "sweeps"),
             station_->log().Sweeps() == sweeps_ ? QStringLiteral("measured and logged")
                                                 : QStringLiteral("measured"),
             written.join(QStringLiteral(", ")), ending_, cutShort_);
}

void Survey::SavePictures() {
    const PictureCaption caption = station_->Caption(settings_.spanMHz, settings_.mode);
    const std::pair<QString, QImage> pictures[] = {
        {options_.picturePath,
         options_.picturePath.isEmpty()
             ? QImage()
             : PlotPicture(panel_.plot.Image(), panel_.scale.Image(), caption)},
        {options_.historyPicturePath,
         options_.historyPicturePath.isEmpty()
             ? QImage()
             : waterfall::Picture(station_->history(), Palette::Viridis, kHistoryPictureSize, {})},
    };
    for (const auto& [path, picture] : pictures) {
        if (path.isEmpty()) {
            continue;
        }
        QString error;
        if (SavePicture(picture, path, &error)) {
            ++pictures_;
        } else {
            Report(QStringLiteral("The picture %1 cannot be written: %2.").arg(path, error));
            status_ = status_ == kDone ? kNotWritten : status_;
        }
    }
}

void Survey::SweepBegan(const SweepStart& start) {
    began_ = start.time;
    steps_ = start.plan.Count();
    strongest_ = 0;
    started_ = 0;
    strongestHertz_ = start.plan.FirstHertz();
    channelNames_.clear();
    channels_ = start.plan.channels;
    if (channels_) {
        for (const PlanStep& step : start.plan.steps) {
            channelNames_.insert(step.hertz, step.name);
        }
    }
}

void Survey::Measured(long long hertz, int level, Reply reply) {
    if (reply == Reply::Answered) {
        answered_ = present_ = true;
        away_.invalidate();
        if (level > strongest_) {
            strongest_ = level;
            strongestHertz_ = hertz;
        }
        return;
    }
    // The clock runs while a receiver that was there is away; not while one is awaited.
    present_ = present_ || reply == Reply::Silent;
    if (!present_ || options_.giveUpAfter == 0 || finished_) {
        return;
    }
    if (!away_.isValid()) {
        away_.start();
    } else if (away_.elapsed() >= options_.giveUpAfter * 1000LL) {
        Report(QStringLiteral("The receiver at %1 has been away for %2 s; the survey ends.")
                   .arg(station_->receiver().Name())
                   .arg(options_.giveUpAfter));
        away_.invalidate();
        EndSoon(kNoReceiver, QStringLiteral("a lost receiver"));
    }
}

void Survey::SweepEnded(const SweepSummary& summary) {
    if (!summary.Measured()) {
        Report(summary.withoutReceiver > 0
                   ? QStringLiteral("sweep %1: no receiver").arg(sweeps_ + 1)
                   : QStringLiteral("sweep %1: the receiver answered none of its %2 steps")
                         .arg(sweeps_ + 1)
                         .arg(summary.steps));
        return;
    }
    ++sweeps_;
    // Only the end of the survey stops a sweep before its last step.
    if (summary.steps < steps_) {
        cutShort_ = QStringLiteral(", which cut sweep %1 short after %2 of %3 steps")
                        .arg(sweeps_)
                        .arg(summary.steps)
                        .arg(steps_);
        if (station_->log().Logging()) {
            cutShort_ += QStringLiteral("; its row holds those %1").arg(summary.steps);
        }
    }
    const SweepPublisher* publisher = station_->publisher();
    const QString strongest = !channels_ ? QStringLiteral("strongest level %1 at %2 MHz")
                                               .arg(strongest_)
                                               .arg(QString::fromLatin1(FreqText(strongestHertz_)))
                                         : QStringLiteral("busiest channel %1 (%2 MHz), level %3")
                                               .arg(channelNames_.value(strongestHertz_),
                                                    QString::fromLatin1(FreqText(strongestHertz_)),
                                                    QString::number(strongest_));
    Note(QStringLiteral("%1 %2 at %3: %4; %5 started%6")
             .arg(channels_ ? QStringLiteral("pass") : QStringLiteral("sweep"))
             .arg(sweeps_)
             .arg(began_.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), strongest)
             .arg(Counted(started_, "activity", "activities"))
             .arg(publisher && publisher->Dropped() > 0
                      ? QStringLiteral("; %1 dropped while the broker was away")
                            .arg(Counted(publisher->Dropped(), "message", "messages"))
                      : QString()));
    // A log stops at a write error (its message said so); the survey with it.
    if (LogFailed()) {
        EndSoon(kNotWritten, QStringLiteral("a log that could not be written"));
    } else if (sweeps_ == options_.sweeps) {
        EndSoon(kDone, QStringLiteral("--sweeps reached"));
    }
}

void Survey::ActivityChanged(const Activity&, ActivityEvent event) {
    started_ += event == ActivityEvent::Started;
}

}  // namespace nerimo
