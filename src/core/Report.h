#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>

namespace nerimo {

// A message's text as one line: its first line, a line that names a place, runs on into the next
// after ": "; every other line ends as a sentence.
inline QString OneLine(const QString& text) {
    const QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QString line;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& part = lines[i];
        const bool sentence = part.endsWith(QLatin1Char('.')) || part.endsWith(QLatin1Char('?')) ||
                              part.endsWith(QLatin1Char('!'));
        if (i == 0 && !sentence && lines.size() > 1) {
            line += part + QStringLiteral(": ");
            continue;
        }
        line += part + (sentence ? QString() : QStringLiteral("."));
        if (i + 1 < lines.size()) {
            line += QLatin1Char(' ');
        }
    }
    return line;
}

// A count and what it counts, in English: "1 message", "2 messages".
inline QString Counted(long long count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

// One line on standard error, "Nerimo: " and a full sentence, so a run with no desktop keeps a
// record of everything it was told.
inline void Report(const QString& text) {
    std::fprintf(stderr, "Nerimo: %s\n", OneLine(text).toLocal8Bit().constData());
    std::fflush(stderr);
}

// Set once, before anything runs, for a quiet survey (--quiet), which says only what went wrong.
inline bool notesQuiet = false;

// A line that means nothing went wrong (a sweep's progress, a receiver or a broker back): said as
// Report says it, unless notesQuiet.
inline void Note(const QString& text) {
    if (!notesQuiet) {
        Report(text);
    }
}

}  // namespace nerimo
