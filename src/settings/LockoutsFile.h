#pragma once

#include <QByteArray>
#include <QStringList>
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

// "Frequency_Hz" as a header line (optional on reading; skipped if present as the first non-blank
// line), then one frequency in Hz a line: a whole positive number up to 100 GHz, surrounding
// spaces and CR allowed, blank lines skipped silently.
ReadLockouts ParseLockouts(const QByteArray& bytes);

// The file's text for these frequencies: the header line, then one a line, each line ending "\n".
QByteArray LockoutsText(const std::vector<long long>& hertz);

}  // namespace nerimo
