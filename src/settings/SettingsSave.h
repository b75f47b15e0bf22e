#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "FileAccess.h"

namespace nerimo {

// A key to write and its value, as a line of the settings file holds them ("MHZ=", "145.5").
struct SettingValue {
    QByteArray key;
    QByteArray value;
};

// The settings file with the values merged in, or why they cannot be.
struct SettingsMerge {
    QByteArray bytes;
    QString refusal;  // empty when `bytes` holds the merge
};

// The file with each value in effect: the one line that sets its key changed in its value alone,
// or, where none does, a line added at the end, in the file's own line ends; every other byte as
// it was, and a key whose value is already in effect left alone. Refused, naming the line, where
// a key shares its line with another or is set on more than one, where a value holds a space
// (the reader takes spaces out), and where the file that results
// would not read back each key as a file of that line alone would (a line read as a comment,
// a value replaced by its range rule).
SettingsMerge MergeSettings(const QByteArray& file, const QList<SettingValue>& values);

// Merges the values into the settings file at `path` as it is on disk now (made, its folder too,
// when it is not there) and puts the result in its place whole. Nothing is written when the file
// is not the user's alone to change (read-only, another user's, a link, a file of several
// names), cannot be read, or the merge is refused: the reason is returned, else nothing.
QString SaveSettings(FileAccess& files, const QString& path, const QList<SettingValue>& values);

}  // namespace nerimo
