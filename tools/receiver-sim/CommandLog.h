#pragma once

#include <QFile>
#include <QString>

namespace nerimo::sim {

// The commands the receiver got, a line each: "SECONDS COMMAND", SECONDS on the monotonic clock
// (CLOCK_MONOTONIC) when it was complete.
class CommandLog {
  public:
    // No path, no log. False with the reason when the file cannot be written.
    bool Open(const QString& path, QString* error);
    void Write(const QByteArray& command);

    // The monotonic clock, in seconds: the log's.
    static double Seconds();
    // Seconds since the simulator started: the band model's clock.
    static double SecondsSinceStart();

  private:
    QFile file_;
};

}  // namespace nerimo::sim
