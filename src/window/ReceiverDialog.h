#pragma once

#include <QDialog>
#include <optional>

#include "RadioModels.h"
#include "SerialPortList.h"

class QButtonGroup;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace nerimo {

// What "Receiver…" chooses: the keys of the settings file it stands for.
struct ReceiverChoice {
    QByteArray device;                 // DEVICE=: a serial port, or rigctld's host:port
    int rigModel = 0;                  // RIG=: 0 for the receiver's own protocol
    double startMHz = 145.0;           // MHZ=
    int spanMHz = 1;                   // SPAN=
    std::optional<int> activityLevel;  // ACTIVITY=; none: the band's floor and its margin

    // The same on a serial port of the receiver's own protocol.
    ReceiverChoice WithPort(const QByteArray& port) const {
        ReceiverChoice choice = *this;
        choice.device = port;
        choice.rigModel = 0;
        return choice;
    }
};

// The ports and radios there are to choose from.
struct ReceiverLists {
    QList<platform::PortChoice> ports;
    QList<platform::RadioModel> models;
};

// The ports in a list to pick from, each with what the system says of it as its tooltip.
void ListPorts(QComboBox* list, const QList<platform::PortChoice>& ports);

// "Receiver…": the receiver (a serial port as --list-ports lists them, or a radio through
// Hamlib and its address), the band and the activity level. "Use" takes them for this run;
// "Save as start-up settings" also writes them to the settings file.
class ReceiverDialog : public QDialog {
    Q_OBJECT

  public:
    ReceiverDialog(QWidget* parent, const ReceiverLists& lists, const ReceiverChoice& now,
                   const QString& settingsFile);

    ReceiverChoice Chosen() const;
    // The user asked for the choice to be the start-up settings too.
    bool SaveAsked() const { return saveAsked_; }

  private:
    void ShowKind();
    void FitStartToSpan();

    QButtonGroup* kind_;
    QComboBox* port_;
    QComboBox* model_;
    QLineEdit* address_;
    QDoubleSpinBox* start_;
    QComboBox* span_;
    QSpinBox* activity_;
    bool saveAsked_ = false;
};

}  // namespace nerimo
