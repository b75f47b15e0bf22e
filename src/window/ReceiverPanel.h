#pragma once

#include <QFrame>
#include <functional>

class QLabel;

namespace nerimo {

// What keeps the receiver from answering, over the plot's top right corner while it lasts: what
// standard error says, with a way to choose another receiver. It never blocks the window; "Hide"
// puts it away until the trouble changes, and it goes by itself once the receiver answers.
class ReceiverPanel : public QFrame {
    Q_OBJECT

  public:
    // `choose` opens the choice of receiver.
    ReceiverPanel(QWidget* plotView, std::function<void()> choose);

    // The trouble now; empty when there is none.
    void Show(const QString& trouble);

  private:
    QLabel* text_;
};

}  // namespace nerimo
