#pragma once

#include <QAction>
#include <QMenu>
#include <functional>

#include "FileAccess.h"
#include "MessageBox.h"
#include "ReceiverDialog.h"

namespace nerimo {

// "Receiver…" in the plot's menu, and from the receiver panel: the dialog, what it chose taken
// for this run, and written to the settings file when asked (the only time Nerimo writes it).
class ReceiverChooser : public QObject {
    Q_OBJECT

  public:
    struct Parts {
        QWidget* window;
        QMenu& menu;
        QAction* before;  // the item goes before this one
        FileAccess& files;
        MessageBox& messages;
        QString settingsFile;                     // the file in use; empty when there is none
        std::function<ReceiverChoice()> current;  // what the run uses now
        std::function<void(const ReceiverChoice&)> use;
    };

    explicit ReceiverChooser(Parts parts);

    // Opens the dialog, not waiting for it.
    void Choose();
    // The serial ports there are now.
    QList<platform::PortChoice> Ports() const { return ports_(); }
    // In place of the system's ports and Hamlib's radios (a test's own).
    void ListFrom(std::function<ReceiverLists()> lists);

  private:
    void Save(const ReceiverChoice& choice);

    Parts parts_;
    std::function<QList<platform::PortChoice>()> ports_;
    std::function<QList<platform::RadioModel>()> models_;  // loads every Hamlib backend
};

}  // namespace nerimo
