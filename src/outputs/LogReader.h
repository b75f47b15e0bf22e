#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <deque>

#include "HistoryModel.h"

namespace nerimo {

// Reads a sweep log in the layout of rtl_power's CSV, a piece at a time: "date, time, Hz low,
// Hz high, Hz step, samples, value, value, ...". Rows with the same date and time are one sweep
// in pieces (rtl_power's hops, a tuner's width each), each value at its own frequency. A line
// that is not such a row is skipped and counted. Keeps the last sweeps, as many as a history
// holds.
class LogReader {
  public:
    // The bytes that follow those already read; a line cut at the end waits for the next piece.
    void Feed(QByteArrayView bytes);
    // The end of the file: its last line, and its last sweep.
    void Finish();

    const std::deque<LoggedSweep>& sweeps() const { return sweeps_; }
    int Malformed() const { return malformed_; }
    // Levels when every value is a whole number from 0 to 16 (the program's own log), else dB.
    HistoryUnit Unit() const;
    // The lowest and the highest value of the sweeps kept.
    double Low() const;
    double High() const;

  private:
    void ReadLine(QByteArrayView line);
    void EndSweep();

    QByteArray partial_;  // a line cut at the end of the last piece
    std::deque<LoggedSweep> sweeps_;
    LoggedSweep sweep_;  // the sweep being joined
    QByteArray stamp_;   // its date and time as written
    int malformed_ = 0;
    bool levels_ = true;  // every value so far a whole level
};

}  // namespace nerimo
