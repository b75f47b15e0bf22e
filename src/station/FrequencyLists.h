#pragma once

#include <QStringList>

#include "ChannelList.h"
#include "FileAccess.h"
#include "FrequencyMarks.h"

namespace nerimo {

// The lists of frequencies a run reads: those locked out (lockouts.csv beside the settings file,
// or --lockouts) and the named ones (--bookmarks, or the file chosen last in the window).
struct FrequencyLists {
    std::vector<long long> lockouts;  // from the lockouts file
    std::vector<long long> skipped;   // CHIRP's skipped channels: locked out, not written back
    Bookmarks bookmarks;
    QStringList notes;  // what was skipped of a file that was read, a sentence each
    QString refusal;    // a file that cannot be used at all, and why; empty when none
};

// lockouts.csv beside the settings file in use.
QString LockoutsBeside(const QString& settingsFile);

// Reads the lockouts file (a missing one is an empty list, unless it was `given`) and the file
// of named frequencies, if any.
FrequencyLists ReadFrequencyLists(FileAccess& files, const QString& lockoutsPath, bool given,
                                  const QString& bookmarksPath);

// The named frequencies of a file; `refusal` set when it cannot be used.
FrequencyLists ReadBookmarks(FileAccess& files, const QString& path);

// The channels of a list to scan, as ChooseChannels chooses them; `refusal` set also when the
// file cannot be read or used.
ChannelChoice ReadChannels(FileAccess& files, const QString& path, const QStringList& groups,
                           const QStringList& priority, const Lockouts& lockouts,
                           const ChannelReach& reach);

}  // namespace nerimo
