#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "FrequencyMarks.h"

namespace nerimo {

// One entry of a file of named frequencies, as a channel to scan too.
struct ImportedChannel {
    long long hertz = 0;
    QString name;
    // The mode as a receiver names it: "NFM", "WFM", "FM", "AM", "USB", "LSB", "CW", "DSB",
    // "RAW", or the file's own word in capitals; empty when the file gives none.
    QString mode;
    QStringList groups;  // gqrx's tags, the SDR++ list it is in
};

// What a file of named frequencies gave.
struct ImportedBookmarks {
    QString format;                        // "gqrx", "SDR++" or "CHIRP"
    std::vector<ImportedChannel> entries;  // in file order (SDR++'s in name order: JSON keeps none)
    std::vector<long long> skipped;  // CHIRP rows whose Skip column is "S": to lock out, in Hz
    // Where each entry of a recognised format that could not be read, and is skipped, stands:
    // "line 7", or an SDR++ bookmark's name in quotes (JSON has no lines to count).
    QStringList malformed;
};

// The entries as named frequencies.
std::vector<Bookmark> AsBookmarks(const std::vector<ImportedChannel>& entries);

// Recognises the format by content (not by file name) and reads it: gqrx's bookmarks.csv, SDR++'s
// frequency manager JSON (its whole configuration or one exported list), CHIRP's CSV export.
// A UTF-8 BOM and CR LF line ends are taken. Frequencies above 100 GHz, or not positive, make
// an entry malformed. Nothing, with `error` set, when the bytes are none of the three formats:
// the message then says which formats are read.
std::optional<ImportedBookmarks> ImportBookmarks(const QByteArray& bytes, QString* error);

}  // namespace nerimo
