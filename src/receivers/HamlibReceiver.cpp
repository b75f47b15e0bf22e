#include "HamlibReceiver.h"

#include <QFile>
#include <QStringList>
#include <algorithm>

#include "Frequency.h"
#include "PortMessages.h"

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
constexpr int kHighestLevel = 16;

}  // namespace

int LevelFromStrength(int decibels) {
    if (decibels < kWeakestDecibels) {
        return 0;
    }
    if (decibels <= 0) {
        return (decibels + kDecibelsBelowS1) / kDecibelsPerSUnit;
    }
    return std::min(kS9Level + decibels / kDecibelsPerLevelOverS9, kHighestLevel);
}

HamlibReceiver::HamlibReceiver(const Settings& settings, Radio& radio, MessageBox& messages,
                               Scheduler& retry)
    : settings_(settings),
      radio_(radio),
      presence_(
          retry, [this] { return Name(); }, messages),
      messages_(messages) {}

QString HamlibReceiver::Name() const {
    if (settings_.rigModel != kNetRigctl) {
        return PortName(settings_);
    }
    QString address = settings_.device.isEmpty() ? QLatin1String(kRigctldHost)
                                                 : QFile::decodeName(settings_.device);
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
    radio_.Open(
        {settings_.rigModel, Name(), settings_.rigSpeed}, [this, first](const auto& result) {
            if (closed_) {
                return;
            }
            if (result.ok) {
                open_ = true;
                modeSet_.reset();
                ranges_ = result.ranges;
                if (!first) {
                    presence_.Back();
                }
                opened_({true, false});
                return;
            }
            const QString text =
                result.message.isEmpty()
                    ? OpenFailureText(settings_, Name(), result.error, result.permissionDenied,
                                      false, settings_.rigModel == kNetRigctl)
                    : result.message;
            if (first || result.permanent) {
                // Later, a sweep may be under way: a message that does not wait.
                presence_.Unopened(text, !result.permanent, first);
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

void HamlibReceiver::Lost(const RadioResult& result) {
    if (!open_) {
        return;
    }
    open_ = false;
    radio_.Close();
    presence_.Gone(result.error, [this] { Open(false); });
}

void HamlibReceiver::SendTune(long long hertz, Mode mode, Then then) {
    if (!open_) {
        then();
        return;
    }
    if (modeSet_ == mode) {
        SetFrequency(hertz, std::move(then));
        return;
    }
    radio_.SetMode(mode, [this, hertz, mode, then = std::move(then)](const auto& result) mutable {
        if (!result.ok && result.refused && !refused_.contains(mode)) {
            refused_.insert(mode);
            messages_.Notify(
                QStringLiteral("The radio at %1 cannot be set to %2 (%3); the channels in %2 "
                               "are left out.")
                    .arg(Name(), ModeName(mode), result.error));
            then();
            return;
        }
        if (!result.ok) {
            Lost(result);
            then();
            return;
        }
        modeSet_ = mode;
        SetFrequency(hertz, std::move(then));
    });
}

void HamlibReceiver::SetFrequency(long long hertz, Then then) {
    radio_.SetFrequency(double(hertz), [this, then = std::move(then)](const auto& result) {
        if (!result.ok) {
            Lost(result);
        }
        then();
    });
}

void HamlibReceiver::Read(Reading then) {
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
            then(decibels ? std::optional<int>(LevelFromStrength(*decibels)) : std::nullopt);
        });
}

bool HamlibReceiver::Receives(long long hertz) const {
    return ranges_.empty() ||
           std::any_of(ranges_.begin(), ranges_.end(), [hertz](const auto& range) {
               return range.first <= double(hertz) && double(hertz) <= range.second;
           });
}

std::optional<QString> HamlibReceiver::RefusesPlan(const SweepPlan& plan) const {
    if (plan.stepHertz < 1) {
        return QStringLiteral("A radio through Hamlib takes steps of 1 Hz or more.");
    }
    const auto covers = [&](const std::pair<double, double>& range) {
        return range.first <= double(plan.FirstHertz()) && double(plan.LastHertz()) <= range.second;
    };
    if (ranges_.empty() || std::any_of(ranges_.begin(), ranges_.end(), covers)) {
        return std::nullopt;
    }
    QStringList ranges;
    for (const auto& [from, to] : ranges_) {
        ranges
            << QStringLiteral("%1 to %2 MHz").arg(from / 1e6, 0, 'f', 4).arg(to / 1e6, 0, 'f', 4);
    }
    return QStringLiteral("The radio at %1 receives %2 only, not %3 to %4 MHz.")
        .arg(Name(), ranges.join(QStringLiteral(", ")),
             QString::fromLatin1(FreqText(plan.FirstHertz())),
             QString::fromLatin1(FreqText(plan.LastHertz())));
}

}  // namespace nerimo
