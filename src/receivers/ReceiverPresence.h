#pragma once

#include <QString>
#include <functional>

#include "MessageBox.h"
#include "Receiver.h"
#include "Scheduler.h"

namespace nerimo {

// What both receivers do while their receiver is away: try it again every 2 s, quietly, with one
// line on standard error at each change, and the trouble told to the window as it changes. A
// receiver that is open but has answered none of its last 8 reads (a port on the wrong device, a
// receiver switched off behind its adapter) counts as away too, until it answers again.
class ReceiverPresence {
  public:
    using Attempt = std::function<void()>;

    // `name` names the receiver in the lines.
    ReceiverPresence(Scheduler& retry, std::function<QString()> name, MessageBox& messages);

    // From now on the trouble goes to `trouble` too.
    void ShowTroubleIn(Receiver::Trouble trouble) { trouble_ = std::move(trouble); }
    // The receiver could not be opened: `text` says why and what to do, in a message that `waits`
    // for the user or not, and with the retries, when it is `retried`, as the trouble.
    void Unopened(const QString& text, bool retried, bool waits);
    // Runs `attempt` 2 s from now; it calls Back when it opens the receiver, or Later again.
    void Later(Attempt attempt);
    // No more attempts.
    void Cancel();
    // The open receiver went away (for `reason`, if known): a line, and attempts every 2 s.
    void Gone(const QString& reason, Attempt attempt);
    // An attempt opened it again: a line.
    void Back();
    // A read of the open receiver, and whether it brought an answer.
    void Read(bool answered);
    bool Silent() const;

  private:
    // A line on standard error, and the same with what to do for the window's panel.
    void Say(const QString& line, const QString& todo);
    void Solved(const QString& line);

    Scheduler& retry_;
    std::function<QString()> name_;
    MessageBox& messages_;
    Receiver::Trouble trouble_;
    int unanswered_ = 0;  // reads in a row without an answer
};

}  // namespace nerimo
