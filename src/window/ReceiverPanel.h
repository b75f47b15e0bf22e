#pragma once

#include <QFrame>
#include <functional>

#include "SerialPortList.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace nerimo {

// What keeps the receiver from answering, over the plot's top right corner while it lasts: what
// standard error says, with the ports to pick another from and the whole choice of receiver. It
// never blocks the window; "Hide"
// puts it away until the trouble changes, and it goes by itself once the receiver answers.
class ReceiverPanel : public QFrame {
    Q_OBJECT

  public:
    struct Parts {
        std::function<QList<platform::PortChoice>()> ports;  // to pick from, as they are now
        std::function<void(const QByteArray& device)> usePort;
        std::function<void()> choose;  // the whole choice of receiver
    };

    ReceiverPanel(QWidget* plotView, Parts parts);

    // The trouble now; empty when there is none.
    void Show(const QString& trouble);

  private:
    Parts parts_;
    QLabel* text_;
    QComboBox* ports_;
    QPushButton* usePort_;
};

}  // namespace nerimo
