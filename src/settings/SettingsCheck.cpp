#include "SettingsCheck.h"

#include <QHash>
#include <QRegularExpression>

#include "SettingsReader.h"
#include "StartupError.h"

namespace nerimo {

namespace {

// The line as shown to the user: without its line end.
QByteArray Shown(const QByteArray& line) {
    QByteArray shown = line;
    while (shown.endsWith('\n') || shown.endsWith('\r')) {
        shown.chop(1);
    }
    return shown.size() > 60 ? shown.left(60) + "..." : shown;
}

QString Text(const QByteArray& bytes) {
    return QString::fromLatin1(bytes);
}

// A key's value in effect, for the eye; `read` as the lines gave the values.
QString Value(const Settings& settings, const RawSettings& read, const QByteArray& key) {
    static const char* const kColours[] = {"green", "cyan", "orange", "white"};
    if (key == "FM_AM=") {
        return settings.mode == Mode::Am ? QStringLiteral("A (AM)") : QStringLiteral("N (FM)");
    }
    if (key == "SPAN=") {
        return QStringLiteral("%1 (MHz)").arg(settings.spanMHz);
    }
    if (key == "MHZ=") {
        return QString::number(settings.startMHz, 'g', 12);
    }
    if (key == "GRID=") {
        return QString::number(int(settings.grid));
    }
    if (key == "CLEAR_SCREEN=") {
        return QString::number(int(settings.clearAtStart));
    }
    if (key == "COM=") {
        return QStringLiteral("%1 (/dev/ttyS%2)").arg(settings.comPort).arg(settings.comPort - 1);
    }
    if (key == "COLOR=") {
        return QStringLiteral("%1 (%2)")
            .arg(settings.colorIndex)
            .arg(QLatin1String(kColours[settings.colorIndex]));
    }
    if (key == "PAUSE=") {
        switch (settings.pause.kind) {
            case Pause::Kind::Hold:
                return QStringLiteral("%1 (hold)").arg(kHoldPause);
            case Pause::Kind::Dwell:
                return QStringLiteral("%1 (dwell %1 s)").arg(settings.pause.seconds);
            case Pause::Kind::None:
                break;
        }
        // 0 or less as the file gave it; a value out of range was read as 0.
        return QStringLiteral("%1 (no pause)").arg(std::min<int>(read.pauseSeconds, 0));
    }
    if (key == "DEVICE=") {
        return settings.device.isEmpty() ? QStringLiteral("unset") : Text(settings.device);
    }
    if (key == "RIG=") {
        return settings.rigModel == 0 ? QStringLiteral("0 (the receiver's own protocol)")
                                      : QString::number(settings.rigModel);
    }
    if (key == "RIG_SPEED=") {
        return settings.rigSpeed == 0 ? QStringLiteral("0 (the model's own)")
                                      : QString::number(settings.rigSpeed);
    }
    if (key == "ACTIVITY=") {
        return settings.activityLevel
                   ? QStringLiteral("%1 (heard at level %1 and above)").arg(*settings.activityLevel)
                   : QStringLiteral("floor + %1 (the band's median + %1)").arg(kActivityMargin);
    }
    if (key == "HANG=") {
        return QStringLiteral("%1 (s a channel scan holds on after a signal drops)")
            .arg(settings.hangSeconds);
    }
    if (key == "PRIORITY_EVERY=") {
        return QStringLiteral("%1 (s between looks at the priority channels)")
            .arg(settings.priorityEverySeconds);
    }
    return QStringLiteral("%1 (ms, for a Hamlib radio)").arg(settings.settleMs);
}

// Whether a key's value as its line gives it was replaced by its range rule.
bool Replaced(const RawSettings& read, const Settings& valid, const QByteArray& key) {
    if (key == "FM_AM=") {
        // "A" chooses AM; N and FM say FM and get it; anything else falls to FM unasked.
        return read.modeLetter != "A" && read.modeLetter != "N" && read.modeLetter != "FM";
    }
    if (key == "PAUSE=") {  // 0 or less is no pause as meant; a dwell past 10 s is none unasked
        return read.pauseSeconds > 0 && valid.pause.kind == Pause::Kind::None;
    }
    if (key == "ACTIVITY=") {  // outside 1 to 16, the floor's rule instead; 0 asks for it
        return read.activityLevel != 0 && !valid.activityLevel;
    }
    const QHash<QByteArray, std::pair<double, double>> kAsReadAndValid = {
        {"SPAN=", {read.spanMHz, valid.spanMHz}},
        {"MHZ=", {read.startMHz, valid.startMHz}},
        {"GRID=", {read.grid, valid.grid}},
        {"CLEAR_SCREEN=", {read.clearAtStart, valid.clearAtStart}},
        {"COM=", {read.comPort, valid.comPort}},
        {"COLOR=", {read.colorIndex, valid.colorIndex}},
        {"SETTLE=", {read.settleMs.value_or(valid.settleMs), valid.settleMs}},
        {"HANG=", {read.hangSeconds.value_or(valid.hangSeconds), valid.hangSeconds}},
        {"PRIORITY_EVERY=",
         {read.priorityEvery.value_or(valid.priorityEverySeconds), valid.priorityEverySeconds}},
    };
    const auto values = kAsReadAndValid.find(key);
    return values != kAsReadAndValid.end() && values->first != values->second;
}

// Whether a number key's value holds no number at its start, so that it reads as 0 whatever the
// user meant ("GRID=yes").
bool NoNumber(const QByteArray& key, const QByteArray& value) {
    static const QRegularExpression number(
        QStringLiteral("^\\t*([+-]\\t*)?(\\d|\\.\\t*\\d|&[HhOo])"));
    return key != "FM_AM=" && key != "DEVICE=" && !value.isEmpty() &&
           !number.match(Text(value)).hasMatch();
}

// The known key nearest to an unknown one, where one is near: one letter apart at most.
QByteArray Nearest(const QByteArray& unknown) {
    for (const QByteArray& key : SettingsKeys()) {
        const QByteArray word = key.chopped(1);
        int differ = 0;
        qsizetype i = 0;
        qsizetype j = 0;
        while (i < unknown.size() && j < word.size() && differ <= 1) {
            if (unknown[i] == word[j]) {
                ++i;
                ++j;
                continue;
            }
            ++differ;
            // One letter left out, one too many, or one changed.
            if (unknown.size() < word.size()) {
                ++j;
            } else if (unknown.size() > word.size()) {
                ++i;
            } else {
                ++i;
                ++j;
            }
        }
        differ += int(unknown.size() - i + word.size() - j);
        if (differ <= 1) {
            return key;
        }
    }
    return {};
}

// The traps of one line, by its number.
void CheckLine(int number, const QByteArray& line, const QList<KeyInLine>& keys,
               QList<SettingsWarning>* warnings) {
    const QString place = QStringLiteral("line %1").arg(number);
    if (!keys.isEmpty()) {
        const QByteArray start = line.trimmed().left(1);
        if (start == "#" || start == ";") {
            warnings->append(
                {number, QStringLiteral("%1 starts with '%2' but sets %3%4; Nerimo has no "
                                        "comments, and the line is obeyed.")
                             .arg(place, Text(start), Text(keys[0].key), Text(keys[0].value))});
        }
        if (keys.size() > 1) {
            const KeyInLine& first = *std::min_element(
                keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.at < b.at; });
            warnings->append(
                {number, QStringLiteral("%1 holds %2 keys, and a value runs on to the end of its "
                                        "line (%3%4): give each key a line of its own.")
                             .arg(place)
                             .arg(keys.size())
                             .arg(Text(first.key), Text(first.value))});
        }
        return;
    }
    // A line that reads like a setting but holds no key the program finds.
    static const QRegularExpression setting(
        QStringLiteral("^[\\s#;]*([A-Za-z_][A-Za-z0-9_]*)(\\s*)="));
    const QRegularExpressionMatch match = setting.match(Text(line));
    if (!match.hasMatch()) {
        return;
    }
    const QByteArray word = match.captured(1).toLatin1().toUpper();
    const QByteArray key = word + '=';
    if (SettingsKeys().contains(key)) {
        warnings->append({number, QStringLiteral("%1 has a space before '=' (%2), so %3 is not "
                                                 "read there; write it with none.")
                                      .arg(place, Text(Shown(line).trimmed()), Text(key))});
        return;
    }
    const QByteArray nearest = Nearest(word);
    warnings->append(
        {number,
         QStringLiteral("%1 sets %2, a key Nerimo does not know, so the line is not "
                        "read%3")
             .arg(place, Text(key),
                  nearest.isEmpty() ? QStringLiteral(".")
                                    : QStringLiteral("; did you mean %1?").arg(Text(nearest)))});
}

}  // namespace

SettingsCheck CheckSettings(const QByteArray& bytes) {
    SettingsCheck check;
    RawSettings read;  // every line as the program reads it
    QHash<QByteArray, QList<int>> linesOf;
    const QList<QByteArray> lines = SettingsLines(bytes);
    for (int i = 0; i < lines.size(); ++i) {
        const QList<KeyInLine> keys = KeysIn(lines[i]);
        CheckLine(i + 1, lines[i], keys, &check.warnings);
        for (const KeyInLine& key : keys) {
            linesOf[key.key] << i + 1;
        }
        try {
            ParseSettings(lines[i], QString(), read);
        } catch (const StartupError& error) {
            check.warnings.append({i + 1,
                                   QStringLiteral("line %1: %2")
                                       .arg(i + 1)
                                       .arg(error.Message().section(QLatin1String(". "), 0, 0) +
                                            QStringLiteral("; Nerimo will not start with it.")),
                                   true});
        }
    }
    const Settings valid = ValidateSettings(read);

    for (const QByteArray& key : SettingsKeys()) {
        const QList<int> on = linesOf.value(key);
        if (on.isEmpty()) {
            check.keys.append({key, Value(valid, read, key), 0, {}});
            continue;
        }
        const int last = on.last();
        check.keys.append({key, Value(valid, read, key), last, Shown(lines[last - 1])});
        if (on.size() > 1) {
            QStringList numbers;
            for (const int line : on) {
                numbers << QString::number(line);
            }
            check.warnings.append(
                {last, QStringLiteral("%1 is set on lines %2; the last, line %3, wins.")
                           .arg(Text(key), numbers.join(QStringLiteral(", ")))
                           .arg(last)});
        }
        // The key's own line, read alone, against the value in effect.
        RawSettings alone;
        try {
            ParseSettings(lines[last - 1], QString(), alone);
        } catch (const StartupError&) {
            continue;
        }
        const QList<KeyInLine> keys = KeysIn(lines[last - 1]);
        const KeyInLine& found = *std::find_if(keys.begin(), keys.end(),
                                               [&](const KeyInLine& k) { return k.key == key; });
        if (NoNumber(key, found.value)) {
            check.warnings.append(
                {last, QStringLiteral("line %1: %2%3 is not a number, so it was read as 0 and "
                                      "the value in effect is %4.")
                           .arg(last)
                           .arg(Text(key), Text(found.value), Value(valid, read, key))});
        } else if (Replaced(alone, valid, key)) {
            check.warnings.append(
                {last, QStringLiteral("line %1: %2%3 was read as %4.")
                           .arg(last)
                           .arg(Text(key), Text(found.value), Value(valid, read, key))});
        }
    }
    std::stable_sort(check.warnings.begin(), check.warnings.end(),
                     [](const auto& a, const auto& b) { return a.line < b.line; });
    return check;
}

QString SettingsCheckReport(const QString& path, const QString& why, bool exists,
                            const SettingsCheck& check) {
    QString report = QStringLiteral("Settings file: %1\n  %2%3\n\n")
                         .arg(path, why,
                              exists ? QString()
                                     : QStringLiteral(";\n  it does not exist yet: it is created "
                                                      "empty at the next start, and the defaults "
                                                      "apply"));
    for (const SettingReading& key : check.keys) {
        report += QStringLiteral("%1 %2 %3\n")
                      .arg(Text(key.key), -14)
                      .arg(key.value, -34)
                      .arg(key.line == 0
                               ? QStringLiteral("default")
                               : QStringLiteral("line %1: %2").arg(key.line).arg(Text(key.text)));
    }
    report += check.warnings.isEmpty() ? QStringLiteral("\nNo warnings.\n")
                                       : QStringLiteral("\n%1 warning%2:\n")
                                             .arg(check.warnings.size())
                                             .arg(check.warnings.size() == 1 ? "" : "s");
    for (const SettingsWarning& warning : check.warnings) {
        report += QStringLiteral("%1: %2\n").arg(path, warning.text);
    }
    return report;
}

}  // namespace nerimo
