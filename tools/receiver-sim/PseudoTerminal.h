#pragma once

#include <QString>

namespace nerimo::sim {

// The simulator's end of a pseudo-terminal, and a symbolic link to the other end that a settings
// file can name as DEVICE=. The link goes when this does.
class PseudoTerminal {
  public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Opens the master in raw mode and links `linkPath` to the slave. False with the reason.
    bool Open(const QString& linkPath, QString* error);

    // Closes our side and takes the link away, as an unplugged adapter would: the program's
    // reads and writes then fail, and its attempts to open the link again.
    void Hangup();
    // A new terminal behind the same link, after a hang-up.
    bool Replug(QString* error) { return Open(linkPath_, error); }

    int MasterFd() const { return master_; }
    QString SlavePath() const { return slavePath_; }

  private:
    int master_ = -1;
    int slave_ = -1;  // held open, so the line stays up while the program is not connected
    QString slavePath_;
    QString linkPath_;
};

}  // namespace nerimo::sim
