#include "Survey.h"

#include <QCoreApplication>
#include <QTimer>
#include <csignal>

#include "PictureFile.h"
#include "Report.h"
#include "Setup.h"
#include "UnixSignals.h"

namespace nerimo {

Survey::Survey(const CommandLine& options, SurveyServices services)
    : options_(options),
      services_(services),
      link_(state_, services.port, services.messages, services.retry),
      hamlib_(state_, services.radio, services.messages, services.retry),
      plot_(state_, panel_.plot, panel_),
      log_(services.log, services.messages) {}

int Survey::Run() {
    if (services_.program.AnotherInstanceRunning()) {
        // That copy holds the receiver.
        Report(QStringLiteral("Nerimo is already running; this survey ends."));
        return kNoReceiver;
    }
    // Before anything is sent: a survey that could not keep its picture would run for nothing.
    if (!options_.picturePath.isEmpty()) {
        if (const std::optional<QString> why = platform::PictureRefused(options_.picturePath)) {
            Report(QStringLiteral("The picture %1 cannot be written: %2.")
                       .arg(options_.picturePath, *why));
            return kNotWritten;
        }
    }
    if (!log_.Start(options_.logPath)) {
        return kNotWritten;
    }
    state_.ProgramName = QStringLiteral("Nerimo");
    const SettingsSource source{services_.program.Folder(), services_.program.UserFolder(),
                                options_.settingsPath, options_.device,
                                services_.program.Installed()};
    SetupWindow(state_, source, services_.files, panel_, [this] {
        if (state_.RigModel > 0) {
            receiver_ = &hamlib_;
        }
        sweep_.emplace(state_, *receiver_, plot_, panel_, services_.scheduler);
        // Taken up once the survey stands and its event loop runs.
        receiver_->OpenPort([this](const OpenOutcome& outcome) {
            QTimer::singleShot(0, [this, outcome] { Opened(outcome); });
        });
    });
    SetupDisplay(state_, panel_, panel_.scale);
    sweep_->Listen(log_);
    sweep_->Listen(*this);
    const platform::UnixSignals ending({SIGINT, SIGTERM, SIGHUP}, [this] { Finish(kDone); });
    QCoreApplication::exec();
    return status_;
}

void Survey::Opened(const OpenOutcome& outcome) {
    if (finished_ || sweep_->Running()) {
        return;
    }
    if (!outcome.opened) {
        if (outcome.permanent || !options_.waitForReceiver) {
            Finish(kNoReceiver);
            return;
        }
        // The survey begins once the receiver is there.
        Report(QStringLiteral("Waiting for the receiver at %1; trying again every 2 s.")
                   .arg(receiver_->Name()));
        return;
    }
    present_ = true;
    state_.Scanning = 1;
    sweep_->RunSweep();
}

void Survey::EndSoon(int status) {
    if (finished_) {  // ending already, inside Finish: the worse outcome stands
        status_ = status_ == kDone ? status : status_;
        return;
    }
    state_.StopRequested = 1;  // no further sweep begins
    QTimer::singleShot(0, [this, status] { Finish(status); });
}

void Survey::Finish(int status) {
    if (finished_) {
        return;
    }
    finished_ = true;
    status_ = status;
    sweep_->End();  // the sweep under way is logged as far as it went
    if (status_ == kDone && sweeps_ == 0) {
        Report(QStringLiteral("The survey ends before the receiver measured a sweep."));
        status_ = kNoReceiver;
    }
    if (!options_.picturePath.isEmpty() && answered_) {
        QString error;
        if (!platform::SavePicture(PlotPicture(panel_.plot, panel_.scale), options_.picturePath,
                                   &error)) {
            Report(QStringLiteral("The picture %1 cannot be written: %2.")
                       .arg(options_.picturePath, error));
            status_ = status_ == kDone ? kNotWritten : status_;
        }
    }
    receiver_->ClosePort();
    QCoreApplication::exit(status_);
}

void Survey::SweepBegan() {
    began_ = QDateTime::currentDateTime();
    strongest_ = 0;
    strongestMHz_ = state_.StartMHz;
}

void Survey::Measured(double mhz, int16_t level, Reply reply) {
    if (reply == Reply::Answered) {
        answered_ = present_ = true;
        away_.invalidate();
        if (level > strongest_) {
            strongest_ = level;
            strongestMHz_ = mhz;
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
                   .arg(receiver_->Name())
                   .arg(options_.giveUpAfter));
        away_.invalidate();
        EndSoon(kNoReceiver);
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
    Report(QStringLiteral("sweep %1 at %2: strongest level %3 at %4 MHz")
               .arg(sweeps_)
               .arg(began_.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
               .arg(strongest_)
               .arg(QString::fromLatin1(QByteArray::number(strongestMHz_, 'f', 4))));
    // The log stops at a write error (its message said so); the survey with it.
    if (!log_.Logging()) {
        EndSoon(kNotWritten);
    } else if (sweeps_ == options_.sweeps) {
        EndSoon(kDone);
    }
}

}  // namespace nerimo
