#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>

#include "BandModel.h"
#include "CommandLog.h"
#include "CommandParser.h"
#include "PseudoTerminal.h"

namespace nerimo::sim {

struct Options {
    BandModel band = BandModel::Demo();
    int replyDelayMs = 30;         // from a command to its answer; well inside the program's 185 ms
    int silentAfter = 0;           // answer nothing after this many answers, as a receiver
                                   // switched off behind its adapter; 0 = never
    bool garbageStrength = false;  // as rigctld: answer a strength read with no number
    int repeatMs = 0;              // repeat the current level this often while no command comes
    int hangupAfter = 0;           // close the line at the first command after this many
                                   // answers, as an unplugged adapter would; 0 = never
    int replugAfterMs = 0;         // then open a new line behind the same link; 0 = never
    int floodBytesPerSecond = 0;   // also send random bytes at this rate; 0 = none
};

// The receiver on the wire: takes tuning commands, answers each with the level letter of the band
// model at the tuned frequency.
class Simulator : public QObject {
    Q_OBJECT

  public:
    Simulator(Options options, PseudoTerminal& terminal, CommandLog& log);
    // Reads the line and, where asked, repeats the level and floods it.
    void Listen();

  private:
    void ReadCommands();
    void AnswerLevel();
    void Send(const QByteArray& bytes);
    void Flood();
    void Hangup();
    void Replug();
    QByteArray LevelLetter() const;

    Options options_;
    PseudoTerminal& terminal_;
    std::unique_ptr<QSocketNotifier> notifier_;
    CommandParser parser_;
    CommandLog& log_;
    QTimer replyTimer_;
    QTimer repeatTimer_;
    QTimer floodTimer_;
    int answers_ = 0;
    double tunedMHz_ = 0.0;
    bool tuned_ = false;
};

}  // namespace nerimo::sim
