#include "LockoutsFile.h"

#include <algorithm>

namespace nerimo {

namespace {

constexpr char kHeader[] = "Frequency_Hz";

bool AllDigits(const QByteArray& text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

ReadLockouts ParseLockouts(const QByteArray& bytes) {
    ReadLockouts read;
    bool seenLine = false;
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();  // spaces, tabs and a CR
        if (line.isEmpty()) {
            continue;
        }
        const bool first = !seenLine;
        seenLine = true;
        if (first && line == kHeader) {
            continue;
        }
        // Digits only: "+145500000" or "1.4e8" are not what Nerimo writes, and a sign or an
        // exponent read leniently would lock out a frequency the user never meant.
        bool ok = AllDigits(line);
        const long long hertz = ok ? line.toLongLong(&ok) : 0;
        if (ok && hertz > 0 && hertz <= kHighestFileHz) {
            read.hertz.push_back(hertz);
        } else {
            read.problems << QStringLiteral(
                                 "line %1: \"%2\" is not a frequency in Hz; the line is "
                                 "skipped.")
                                 .arg(i + 1)
                                 .arg(QString::fromUtf8(line));
        }
    }
    return read;
}

QByteArray LockoutsText(const std::vector<long long>& hertz) {
    QByteArray text = QByteArray(kHeader) + '\n';
    for (const long long hz : hertz) {
        text += QByteArray::number(hz) + '\n';
    }
    return text;
}

}  // namespace nerimo
