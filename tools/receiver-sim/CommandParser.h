#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace nerimo::sim {

// One tuning command as the receiver takes it: digits, ".", four decimals, then N or A.
struct Command {
    QByteArray text;  // as received, e.g. "145.1250N"
    double mhz = 0.0;
    char mode = 'N';
};

// Takes the bytes of the serial line as they come, with no terminator between commands, and
// picks out the commands; anything else is dropped and the parser finds its feet again at the
// next digit.
class CommandParser {
  public:
    QList<Command> Feed(QByteArrayView bytes);

  private:
    void Restart(char c);

    QByteArray buffer_;
    int decimals_ = -1;  // -1 before the point
};

}  // namespace nerimo::sim
