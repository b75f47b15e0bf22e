#include "HamlibReceiver.h"

#include <QDebug>
#include <algorithm>
#include <cmath>

namespace nerimo {

namespace {

constexpr double kRetrySeconds = 2.0;
constexpr int kNetRigctl = 2;             // Hamlib's model of a rigctld on another machine
constexpr char kRigctldPort[] = ":4532";  // rigctld's own port
constexpr int kWeakestDecibels = -48;     // level 1, S1
constexpr int kDecibelsPerSUnit = 6;
constexpr int kDecibelsBelowS1 = 54;  // S9 is 0 dB and level 9
constexpr int kS9Level = 9;
constexpr int kDecibelsPerLevelOverS9 = 10;
constexpr int16_t kHighestLevel = 16;

}  // namespace

int16_t LevelFromStrength(int decibels) {
    if (decibels < kWeakestDecibels) {
        return 0;
    }
    if (decibels <= 0) {
        return static_cast<int16_t>((decibels + kDecibelsBelowS1) / kDecibelsPerSUnit);
    }
    return static_cast<int16_t>(
        std::min(kS9Level + decibels / kDecibelsPerLevelOverS9, int(kHighestLevel)));
}

HamlibReceiver::HamlibReceiver(State& state, platform::Radio& radio, platform::MessageBox& messages,
                               platform::Scheduler& retry)
    : state_(state), radio_(radio), messages_(messages), retry_(retry) {}

QString HamlibReceiver::PortName() const {
    QString path = nerimo::PortName(state_);
    if (state_.RigModel == kNetRigctl && !path.contains(QLatin1Char(':'))) {
        path += QLatin1String(kRigctldPort);
    }
    return path;
}

void HamlibReceiver::OpenPort() {
    Open(true);
}

void HamlibReceiver::Open(bool first) {
    radio_.Open({state_.RigModel, PortName(), state_.RigSpeed}, [this, first](const auto& result) {
        if (closed_) {
            return;
        }
        if (result.ok) {
            open_ = true;
            mode_.clear();
            if (!first) {
                qWarning().noquote()
                    << QStringLiteral("Nerimo: %1: the receiver is back").arg(PortName());
            }
            return;
        }
        if (result.noStrength) {
            // No use trying again: this model cannot be swept.
            messages_.Show(OpenFailureText(state_, PortName(),
                                           QStringLiteral("Hamlib's radio model %1 reports no "
                                                          "signal strength, so Nerimo cannot "
                                                          "sweep with it.")
                                               .arg(state_.RigModel),
                                           false));
            return;
        }
        if (first) {
            messages_.Show(
                OpenFailureText(state_, PortName(), result.error, result.permissionDenied));
        }
        RetryLater();
    });
}

void HamlibReceiver::RetryLater() {
    retry_.After(kRetrySeconds, [this] { Open(false); });
}

void HamlibReceiver::ClosePort() {
    closed_ = true;
    retry_.Cancel();
    open_ = false;
    radio_.Close();
}

void HamlibReceiver::Lost(const platform::RadioResult& result) {
    if (!open_) {
        return;
    }
    open_ = false;
    qWarning().noquote() << QStringLiteral(
                                "Nerimo: %1: the receiver is gone (%2); trying again "
                                "every 2 s")
                                .arg(PortName(), result.error);
    radio_.Close();
    RetryLater();
}

void HamlibReceiver::Tune(Then then) {
    if (!open_) {
        then();
        return;
    }
    if (state_.ModeLetter == mode_) {
        SetFrequency(std::move(then));
        return;
    }
    const QByteArray mode = state_.ModeLetter;
    radio_.SetMode(mode == "A", [this, mode, then = std::move(then)](const auto& result) mutable {
        if (!result.ok) {
            Lost(result);
            then();
            return;
        }
        mode_ = mode;
        SetFrequency(std::move(then));
    });
}

void HamlibReceiver::SetFrequency(Then then) {
    const double hertz = std::round(state_.FreqText.toDouble() * 1e6);
    radio_.SetFrequency(hertz, [this, then = std::move(then)](const auto& result) {
        if (!result.ok) {
            Lost(result);
        }
        then();
    });
}

void HamlibReceiver::ReadLevel(Then then) {
    if (!open_) {
        state_.SignalLevel = 0;
        then();
        return;
    }
    radio_.ReadStrength([this, then = std::move(then)](const auto& result, int decibels) {
        state_.SignalLevel = result.ok ? LevelFromStrength(decibels) : 0;
        if (!result.ok) {
            Lost(result);
        }
        then();
    });
}

}  // namespace nerimo
