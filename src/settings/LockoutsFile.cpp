#include "LockoutsFile.h"

#include <algorithm>
#include <optional>

namespace nerimo {

namespace {

constexpr char kHeader[] = "Frequency_Hz";

bool AllDigits(const QByteArray& text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// What a line says, its comment and surrounding spaces (a CR too) taken off.
QByteArray Said(const QByteArray& line) {
    const qsizetype comment = line.indexOf('#');
    return (comment < 0 ? line : line.left(comment)).trimmed();
}

// The frequency a line gives; nothing for a line that gives none.
std::optional<long long> FrequencyOf(const QByteArray& said) {
    // Digits only: "+145500000" or "1.4e8" are not what Nerimo writes, and a sign or an exponent
    // read leniently would lock out a frequency the user never meant.
    bool ok = AllDigits(said);
    const long long hertz = ok ? said.toLongLong(&ok) : 0;
    return ok && hertz > 0 && hertz <= kHighestFileHz ? std::optional(hertz) : std::nullopt;
}

// The file's lines, each with its own line end; the last one without, if the file has none.
QList<QByteArray> Lines(const QByteArray& file) {
    QList<QByteArray> lines;
    for (qsizetype from = 0; from < file.size();) {
        const qsizetype end = file.indexOf('\n', from);
        const qsizetype next = end < 0 ? file.size() : end + 1;
        lines << file.mid(from, next - from);
        from = next;
    }
    return lines;
}

}  // namespace

ReadLockouts ParseLockouts(const QByteArray& bytes) {
    ReadLockouts read;
    bool seenLine = false;
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray said = Said(lines[i]);
        if (said.isEmpty()) {
            continue;
        }
        const bool first = !seenLine;
        seenLine = true;
        if (first && said == kHeader) {
            continue;
        }
        if (const std::optional<long long> hertz = FrequencyOf(said)) {
            read.hertz.push_back(*hertz);
        } else {
            read.problems << QStringLiteral(
                                 "line %1: \"%2\" is not a frequency in Hz; Nerimo skips it "
                                 "and keeps it in the file.")
                                 .arg(i + 1)
                                 .arg(QString::fromUtf8(said));
        }
    }
    return read;
}

QByteArray WithLockout(const QByteArray& file, long long hertz) {
    const QList<QByteArray> lines = Lines(file);
    bool saysAnything = false;
    for (const QByteArray& line : lines) {
        const QByteArray said = Said(line);
        if (FrequencyOf(said) == hertz) {
            return file;
        }
        saysAnything = saysAnything || !said.isEmpty();
    }
    // The file's own line end, and one after a last line that has none.
    const QByteArray end = file.contains("\r\n") ? "\r\n" : "\n";
    QByteArray text = file;
    if (!text.isEmpty() && !text.endsWith('\n')) {
        text += end;
    }
    if (!saysAnything) {
        text += kHeader + end;
    }
    return text + QByteArray::number(hertz) + end;
}

QByteArray WithoutLockouts(const QByteArray& file, const std::function<bool(long long)>& removed) {
    QByteArray text;
    for (const QByteArray& line : Lines(file)) {
        const std::optional<long long> hertz = FrequencyOf(Said(line));
        if (!hertz || !removed(*hertz)) {
            text += line;
        }
    }
    return text;
}

}  // namespace nerimo
