#include "Survey.h"

#include <QCoreApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>

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
        std::fprintf(stderr, "Nerimo is already running; this survey ends.\n");
        return 1;
    }
    if (!log_.Start(options_.logPath)) {
        return 1;
    }
    state_.ProgramName = QStringLiteral("Nerimo");
    const SettingsSource source{services_.program.Folder(), services_.program.UserFolder(),
                                options_.settingsPath, options_.device};
    SetupWindow(state_, source, services_.files, panel_, [this] {
        if (state_.RigModel > 0) {
            receiver_ = &hamlib_;
        }
        sweep_.emplace(state_, *receiver_, plot_, panel_, services_.scheduler);
        receiver_->OpenPort();
    });
    SetupDisplay(state_, panel_, panel_.scale);
    sweep_->Listen(log_);
    sweep_->Listen(*this);
    const platform::UnixSignals ending({SIGINT, SIGTERM, SIGHUP}, [this] { Finish(); });
    state_.Scanning = 1;
    sweep_->RunSweep();
    QCoreApplication::exec();
    return status_;
}

void Survey::Finish() {
    sweep_->End();
    if (!options_.picturePath.isEmpty() &&
        !PlotPicture(panel_.plot, panel_.scale).save(options_.picturePath, "PNG")) {
        services_.messages.Show(
            QStringLiteral("The picture %1 cannot be written.").arg(options_.picturePath));
        status_ = 1;
    }
    receiver_->ClosePort();
    QCoreApplication::exit(status_);
}

void Survey::SweepBegan() {
    began_ = QDateTime::currentDateTime();
    strongest_ = 0;
    strongestMHz_ = state_.StartMHz;
}

void Survey::Measured(double mhz, int16_t level, bool) {
    if (level > strongest_) {
        strongest_ = level;
        strongestMHz_ = mhz;
    }
}

void Survey::SweepEnded() {
    ++sweeps_;
    std::fprintf(stderr, "sweep %d at %s: strongest level %d at %s MHz\n", sweeps_,
                 qPrintable(began_.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))), strongest_,
                 QByteArray::number(strongestMHz_, 'f', 4).constData());
    if (sweeps_ == options_.sweeps) {
        state_.StopRequested = 1;  // the run ends with this sweep
        QTimer::singleShot(0, [this] { Finish(); });
    }
}

}  // namespace nerimo
