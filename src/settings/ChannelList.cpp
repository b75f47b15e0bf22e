#include "ChannelList.h"

#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <map>

namespace nerimo {

namespace {

// How the receiver's own protocol hears a mode, if it can.
struct Hearing {
    bool heard = false;
    std::optional<Mode> mode;  // none: the run's
};

Hearing ModeOf(const QString& mode, bool hamlibModes) {
    if (mode.isEmpty()) {
        return {true, std::nullopt};
    }
    if (mode == QLatin1String("NFM") || mode == QLatin1String("FM") ||
        (mode == QLatin1String("WFM") && !hamlibModes)) {
        return {true, Mode::Fm};
    }
    if (mode == QLatin1String("AM")) {
        return {true, Mode::Am};
    }
    if (!hamlibModes) {
        return {};
    }
    for (const Mode other : {Mode::WideFm, Mode::Usb, Mode::Lsb, Mode::Cw}) {
        if (mode == ModeName(other)) {
            return {true, other};
        }
    }
    return {};
}

bool InGroups(const ImportedChannel& entry, const QStringList& ownGroups,
              const QStringList& asked) {
    const QStringList& groups = entry.groups.isEmpty() ? ownGroups : entry.groups;
    return std::any_of(asked.begin(), asked.end(), [&groups](const QString& group) {
        return groups.contains(group, Qt::CaseInsensitive);
    });
}

QString Counts(const std::map<QString, int>& byWhat) {
    QStringList parts;
    for (const auto& [what, count] : byWhat) {
        parts << QStringLiteral("%1 %2").arg(count).arg(what);
    }
    return parts.join(QStringLiteral(", "));
}

}  // namespace

ChannelChoice ChooseChannels(const ImportedBookmarks& file, const QString& fileName,
                             const QStringList& groups, const QStringList& priority,
                             const Lockouts& lockouts, const ChannelReach& reach) {
    ChannelChoice choice;
    choice.plan.stepHertz = kStepHz;
    choice.plan.channels = true;
    // A file without groups of its own is one group, named as the file is.
    bool anyGroups = false;
    for (const ImportedChannel& entry : file.entries) {
        anyGroups = anyGroups || !entry.groups.isEmpty();
    }
    const QStringList ownGroups =
        anyGroups ? QStringList() : QStringList{QFileInfo(fileName).completeBaseName()};

    std::map<QString, int> unheard;  // by mode
    int outOfReach = 0;
    int lockedOut = 0;
    QHash<long long, size_t> planned;  // the step of each frequency
    for (const ImportedChannel& entry : file.entries) {
        if (!groups.isEmpty() && !InGroups(entry, ownGroups, groups)) {
            continue;
        }
        const Hearing hearing = ModeOf(entry.mode, reach.hamlibModes);
        if (!hearing.heard) {
            ++unheard[entry.mode];
            continue;
        }
        if (entry.hertz < reach.lowestHertz || entry.hertz > reach.highestHertz) {
            ++outOfReach;
            continue;
        }
        if (lockouts.Locks(entry.hertz, 1) || std::find(file.skipped.begin(), file.skipped.end(),
                                                        entry.hertz) != file.skipped.end()) {
            ++lockedOut;
            continue;
        }
        const bool first = priority.contains(entry.name, Qt::CaseInsensitive) ||
                           entry.groups.contains(QStringLiteral("priority"), Qt::CaseInsensitive);
        if (const auto there = planned.constFind(entry.hertz); there != planned.cend()) {
            PlanStep& step = choice.plan.steps[*there];
            step.name += QStringLiteral(" / ") + entry.name;
            step.priority = step.priority || first;
            continue;
        }
        planned.insert(entry.hertz, choice.plan.steps.size());
        choice.plan.steps.push_back({entry.hertz, hearing.mode, entry.name, first});
    }

    if (!unheard.empty()) {
        int count = 0;
        for (const auto& [mode, n] : unheard) {
            count += n;
        }
        choice.notes << QStringLiteral("%1 of %2 left out: %3 (%4).")
                            .arg(count)
                            .arg(fileName,
                                 reach.hamlibModes
                                     ? QStringLiteral("Nerimo sets a radio to FM, WFM, AM, USB, "
                                                      "LSB and CW only")
                                     : QStringLiteral("the receiver hears FM and AM only"),
                                 Counts(unheard));
    }
    if (outOfReach > 0) {
        choice.notes << QStringLiteral("%1 of %2 left out: outside the receiver's %3 to %4 MHz.")
                            .arg(outOfReach)
                            .arg(fileName)
                            .arg(reach.lowestHertz / 1e6, 0, 'f', 1)
                            .arg(reach.highestHertz / 1e6, 0, 'f', 1);
    }
    if (lockedOut > 0) {
        choice.notes
            << QStringLiteral("%1 of %2 left out: locked out.").arg(lockedOut).arg(fileName);
    }
    if (choice.plan.steps.empty()) {
        QStringList known;
        for (const ImportedChannel& entry : file.entries) {
            for (const QString& group : entry.groups.isEmpty() ? ownGroups : entry.groups) {
                if (!known.contains(group)) {
                    known << group;
                }
            }
        }
        const bool noGroupMatched =
            !groups.isEmpty() && std::none_of(file.entries.begin(), file.entries.end(),
                                              [&](const ImportedChannel& entry) {
                                                  return InGroups(entry, ownGroups, groups);
                                              });
        choice.refusal =
            noGroupMatched
                ? QStringLiteral("%1 has no channel in %2; its groups are %3.")
                      .arg(fileName, groups.join(QStringLiteral(", ")),
                           known.isEmpty() ? QStringLiteral("none") : known.join(", "))
                : QStringLiteral("%1 has no channel the receiver can scan%2")
                      .arg(fileName, choice.notes.isEmpty()
                                         ? QStringLiteral(".")
                                         : QStringLiteral(": ") + choice.notes.join(' '));
    }
    return choice;
}

}  // namespace nerimo
