#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace nerimo {

// A trap in a settings file: something a user would not see happen.
struct SettingsWarning {
    int line = 0;
    QString text;        // a sentence that names the line: "line 4 starts with '#' but ..."
    bool fatal = false;  // the program will not start with it
};

// A key as the program takes it, and the line that set it.
struct SettingReading {
    QByteArray key;   // "MHZ="
    QString value;    // the value in effect
    int line = 0;     // 0: the default
    QByteArray text;  // that line as written, without its line end
};

struct SettingsCheck {
    QList<SettingReading> keys;  // every key Nerimo knows, in its order
    QList<SettingsWarning> warnings;
};

// What a settings file comes to, read by the program's own rules, which it does not change:
// each key's value and the line that set it, and the traps in it: a line that sets a key but
// looks like a comment; a line that looks like a setting but is not read (a space before "=",
// a key Nerimo does not know); a value replaced by its range rule; a key set on more than one
// line; keys that share a line, each value running on into the next.
SettingsCheck CheckSettings(const QByteArray& bytes);

// The check as `nerimo --check-settings` prints it: the file and why it is the one, each key,
// then each warning with the file and its line.
QString SettingsCheckReport(const QString& path, const QString& why, bool exists,
                            const SettingsCheck& check);

}  // namespace nerimo
