#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <algorithm>
#include <deque>
#include <optional>
#include <vector>

#include "HistoryModel.h"

namespace nerimo {

// Reads a sweep log in the layout of rtl_power's CSV, a piece at a time: "date, time, Hz low,
// Hz high, Hz step, samples, value, value, ...". Rows of one time stamp are one sweep in pieces
// (rtl_power's hops, a tuner's width each), each value at its own frequency, in whatever order
// they come; a row that measures a frequency the sweep has already begins the next sweep (the
// program's own log has a row a sweep, several of them a second on a fast radio). A value of
// -inf, inf or nan is a step with no value. A line that is not such a row is skipped and counted.
// Keeps the last sweeps, as many as a history holds and at most 50 million values in all.
//
// A log that asks for more than a history can hold is refused, with the line and why: a sweep of
// more than 1,000,000 columns, or a line longer than 64 MB; nothing more is read of it.
class LogReader {
  public:
    static constexpr long long kWidestSweep = 1'000'000;         // columns
    static constexpr qsizetype kLongestLine = 64 * 1024 * 1024;  // bytes
    static constexpr long long kMostValues = 50'000'000;         // kept in all

    // The bytes that follow those already read; a line cut at the end waits for the next piece.
    void Feed(QByteArrayView bytes);
    // The end of the file: its last line, and its last sweep.
    void Finish();

    const std::deque<LoggedSweep>& sweeps() const { return sweeps_; }
    int Malformed() const { return malformed_; }
    // Why the log was refused ("line 3: ..."); empty while it is read.
    const QString& Refusal() const { return refusal_; }
    // Levels when every value is a whole number from 0 to 16 (the program's own log), else dB.
    HistoryUnit Unit() const;
    // The most decimals any value was written with, at most 2: the precision a history keeps.
    int Decimals() const { return std::min(decimals_, 2); }
    // The lowest and the highest value of the sweeps kept.
    double Low() const;
    double High() const;

  private:
    // A row of the sweep being joined: the column of its first value, and its values.
    struct Piece {
        long long column = 0;  // from the first row's low frequency, in steps; below it negative
        std::vector<float> values;
    };
    // A row of the log as it stands: its time stamp as written and as a time, its first
    // frequency, its step and its values.
    struct Row {
        QByteArray stamp;
        QDateTime time;
        long long low = 0;
        double step = 0;
        std::vector<float> values;
        int decimals = 0;  // the most of any of its values
    };
    void ReadLine(QByteArrayView line);
    // The row a line holds; nothing for a line that is none (counted), or one refused.
    std::optional<Row> ParseRow(QByteArrayView line);
    // The row into the sweep being joined, or as the first of the next.
    void Join(Row row);
    void EndSweep();
    void Refuse(const QString& why);

    QByteArray partial_;  // a line cut at the end of the last piece
    long long line_ = 0;  // lines read
    std::deque<LoggedSweep> sweeps_;
    long long kept_ = 0;  // values in sweeps_
    // The sweep being joined: its time stamp as written, its first row's low frequency and step,
    // its pieces and the columns they span.
    QByteArray stamp_;
    QDateTime time_;
    long long baseHertz_ = 0;
    double stepHertz_ = 0;
    std::vector<Piece> pieces_;
    long long lowest_ = 0;
    long long beyond_ = 0;  // the column after the highest
    int malformed_ = 0;
    bool levels_ = true;  // every value so far a whole level
    int decimals_ = 0;
    QString refusal_;
};

}  // namespace nerimo
