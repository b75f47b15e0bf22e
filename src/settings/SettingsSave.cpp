#include "SettingsSave.h"

#include "SettingsCheck.h"
#include "SettingsReader.h"

namespace nerimo {

namespace {

// The value the program takes for a key from the file, as --check-settings shows it.
QString InEffect(const QByteArray& file, const QByteArray& key) {
    for (const SettingReading& reading : CheckSettings(file).keys) {
        if (reading.key == key) {
            return reading.value;
        }
    }
    return {};
}

QByteArray LineEnd(const QByteArray& line) {
    return line.endsWith("\r\n") ? QByteArray("\r\n")
           : line.endsWith('\n') ? QByteArray("\n")
                                 : QByteArray();
}

}  // namespace

SettingsMerge MergeSettings(const QByteArray& file, const QList<SettingValue>& values) {
    QList<QByteArray> lines = SettingsLines(file);
    // Lines added take the file's own ends: CR LF when it has them.
    const QByteArray end = file.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    QList<int> changed;  // 0-based
    for (const SettingValue& setting : values) {
        // The reader takes every space out of a value: such a value would come back another.
        if (setting.value.contains(' ') || setting.value.contains('\t')) {
            return {{},
                    QStringLiteral("%1%2 holds a space, which the settings file cannot keep "
                                   "(spaces are taken out of a value when it is read).")
                        .arg(QString::fromLatin1(setting.key), QString::fromUtf8(setting.value))};
        }
        if (InEffect(lines.join(), setting.key) ==
            InEffect(setting.key + setting.value, setting.key)) {
            continue;  // already so: its line, shared or not, stays as it is
        }
        QList<int> holding;
        for (int i = 0; i < lines.size(); ++i) {
            for (const KeyInLine& found : KeysIn(lines[i])) {
                if (found.key == setting.key) {
                    holding << i;
                }
            }
        }
        if (holding.size() > 1) {
            return {{},
                    QStringLiteral("%1 is set on line %2 and again on line %3: keep one of them, "
                                   "then save again.")
                        .arg(QString::fromLatin1(setting.key))
                        .arg(holding[0] + 1)
                        .arg(holding[1] + 1)};
        }
        QList<QByteArray> merged = lines;
        int line = 0;
        if (holding.isEmpty()) {
            if (!merged.isEmpty() && LineEnd(merged.last()).isEmpty()) {
                merged.last() += end;
            }
            merged << setting.key + setting.value + end;
            line = int(merged.size()) - 1;
        } else {
            line = holding[0];
            const QList<KeyInLine> keys = KeysIn(lines[line]);
            if (keys.size() > 1) {
                return {{},
                        QStringLiteral("Line %1 holds %2 keys (%3): give %4 a line of its own, "
                                       "then save again.")
                            .arg(line + 1)
                            .arg(keys.size())
                            .arg(QString::fromUtf8(lines[line].trimmed()))
                            .arg(QString::fromLatin1(setting.key))};
            }
            // The key as written, in its own letter case, with only its value new.
            const QByteArray& old = lines[line];
            merged[line] = old.left(keys[0].at + setting.key.size()) + setting.value + LineEnd(old);
        }
        lines = merged;
        changed << line;
    }
    const QByteArray bytes = lines.join();
    // What is written must read back as meant: each key as a file of its line alone gives it,
    // and no trap on a line written.
    for (const SettingValue& setting : values) {
        if (InEffect(bytes, setting.key) != InEffect(setting.key + setting.value, setting.key)) {
            return {{},
                    QStringLiteral("%1%2 would not be read back as written.")
                        .arg(QString::fromLatin1(setting.key), QString::fromUtf8(setting.value))};
        }
    }
    for (const SettingsWarning& warning : CheckSettings(bytes).warnings) {
        if (changed.contains(warning.line - 1)) {
            return {{}, warning.text};
        }
    }
    return {bytes, {}};
}

QString SaveSettings(FileAccess& files, const QString& path, const QList<SettingValue>& values) {
    if (const std::optional<QString> why = files.NotOursToChange(path)) {
        return *why;
    }
    const FileRead file = files.ReadOrCreate(path);
    if (file.outcome != FileRead::Outcome::Read && file.outcome != FileRead::Outcome::Created) {
        return file.error;
    }
    const SettingsMerge merge = MergeSettings(file.bytes, values);
    if (!merge.refusal.isEmpty()) {
        return merge.refusal;
    }
    QString error;
    if (merge.bytes != file.bytes && !files.Replace(path, merge.bytes, &error)) {
        return error;
    }
    return {};
}

}  // namespace nerimo
