#pragma once

#include <QByteArray>
#include <QStringList>
#include <functional>
#include <vector>

namespace nerimo {

// The highest frequency a file of frequencies may give: 100 GHz. Above it the number is a
// mistake (a frequency in kHz written as Hz twice over, a stray digit), not a receiver's.
inline constexpr long long kHighestFileHz = 100'000'000'000;

// A lockouts file read: its frequencies, and a line for each line that was skipped.
struct ReadLockouts {
    std::vector<long long> hertz;  // in file order
    QStringList problems;  // e.g. "line 3: \"abc\" is not a frequency in Hz; the line is skipped."
};

// "Frequency_Hz" as a header line (optional on reading; skipped if present as the first line
// that says anything), then one frequency in Hz a line: a whole positive number up to 100 GHz,
// surrounding spaces and CR allowed. A '#' begins a comment to the end of its line; blank lines
// and comments are skipped silently.
ReadLockouts ParseLockouts(const QByteArray& bytes);

// The file with a line for `hertz` added at its end, unless a line gives that frequency already,
// and the header first in a file that says nothing yet. Every other line stays as it stands:
// comments, lines that cannot be read, the file's own line ends.
QByteArray WithLockout(const QByteArray& file, long long hertz);

// The file without the lines whose frequency `removed` says; every other line as it stands.
QByteArray WithoutLockouts(const QByteArray& file, const std::function<bool(long long)>& removed);

}  // namespace nerimo
