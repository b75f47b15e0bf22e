#include "HamlibReceiver.h"

#include <QFile>
#include <algorithm>
#include <cmath>

namespace nerimo {

namespace {

constexpr int kNetRigctl = 2;  // Hamlib's model of a rigctld on another machine
constexpr char kRigctldHost[] = "localhost";
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
    : state_(state),
      radio_(radio),
      messages_(messages),
      presence_(retry, [this] { return Name(); }) {}

QString HamlibReceiver::Name() const {
    if (state_.RigModel != kNetRigctl) {
        return PortName(state_);
    }
    QString address = state_.DevicePath.isEmpty() ? QLatin1String(kRigctldHost)
                                                  : QFile::decodeName(state_.DevicePath);
    if (!address.contains(QLatin1Char(':'))) {
        address += QLatin1String(kRigctldPort);
    }
    return address;
}

void HamlibReceiver::OpenPort(Opened opened) {
    opened_ = std::move(opened);
    Open(true);
}

void HamlibReceiver::Open(bool first) {
    radio_.Open({state_.RigModel, Name(), state_.RigSpeed}, [this, first](const auto& result) {
        if (closed_) {
            return;
        }
        if (result.ok) {
            open_ = true;
            mode_.clear();
            if (!first) {
                presence_.Back();
            }
            opened_({true, false});
            return;
        }
        const QString text =
            result.message.isEmpty()
                ? OpenFailureText(state_, Name(), result.error, result.permissionDenied)
                : result.message;
        if (first) {
            messages_.Show(text);
        } else if (result.permanent) {
            messages_.Notify(text);  // a sweep may be under way
        }
        if (!result.permanent) {
            presence_.Later([this] { Open(false); });
        }
        if (first) {
            opened_({false, result.permanent});
        }
    });
}

void HamlibReceiver::ClosePort() {
    closed_ = true;
    presence_.Cancel();
    open_ = false;
    radio_.Close();
}

void HamlibReceiver::Lost(const platform::RadioResult& result) {
    if (!open_) {
        return;
    }
    open_ = false;
    radio_.Close();
    presence_.Gone(result.error, [this] { Open(false); });
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

void HamlibReceiver::ReadLevel(Reading then) {
    if (!open_) {
        then(std::nullopt);
        return;
    }
    radio_.ReadStrength(
        [this, then = std::move(then)](const auto& result, std::optional<int> decibels) {
            if (!result.ok) {
                // Whatever value the failed call left is no level.
                Lost(result);
                then(std::nullopt);
                return;
            }
            // A reply that holds no number is no measurement, and no level.
            presence_.Read(decibels.has_value());
            then(decibels ? std::optional<int16_t>(LevelFromStrength(*decibels)) : std::nullopt);
        });
}

}  // namespace nerimo
