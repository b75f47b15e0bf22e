#pragma once

#include <QString>
#include <QStringList>

#include "BookmarkImport.h"
#include "FrequencyMarks.h"
#include "SweepPlan.h"

namespace nerimo {

// The channels of a file to scan, and what was left out.
struct ChannelChoice {
    SweepPlan plan;     // in the file's order, a frequency once
    QStringList notes;  // what was left out and why, a line each
    QString refusal;    // why there is nothing to scan; empty when there is
};

// The frequencies the receiver reaches, and whether it is a radio that Hamlib sets to any of
// FM, WFM, AM, USB, LSB and CW (else FM and AM only).
struct ChannelReach {
    long long lowestHertz = 0;
    long long highestHertz = 0;
    bool hamlibModes = false;
};

// The channels of `file` (named `fileName`, which stands for its one group when it has none of
// its own) to scan on the receiver's own protocol: those of the `groups` asked (all when none
// is), in FM or AM (NFM, FM and WFM go as FM; an entry without a mode in the run's; through
// Hamlib, also WFM, USB, LSB and CW as themselves), within
// reach, not locked out nor skipped by the file. Two entries on one frequency are one channel,
// named "A / B". The channels named in `priority`, or in a group named "priority", are
// priority channels.
ChannelChoice ChooseChannels(const ImportedBookmarks& file, const QString& fileName,
                             const QStringList& groups, const QStringList& priority,
                             const Lockouts& lockouts, const ChannelReach& reach);

}  // namespace nerimo
