#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QTableView>
#include <map>
#include <memory>

#include "ActivityTable.h"
#include "ChannelTable.h"
#include "FileAccess.h"
#include "HistoryModel.h"
#include "HistoryWindow.h"
#include "MessageBox.h"
#include "SensorTable.h"
#include "SensorWatch.h"
#include "TraceView.h"
#include "WindowState.h"

namespace nerimo {

// Sensors watched through their broker, with no receiver: the table of those it knows (their
// state as it changes, their range), the last sweep of the one chosen in it as a trace, and for
// each one opened (a double click, Enter, or named on the command line) a history window fed by
// its sweeps and activities as they come. Nothing here tunes anything. The broker's state is in
// the status bar; a broker away is tried again, 1 s doubling to 60 s.
class WatchWindow : public QMainWindow {
    Q_OBJECT

  public:
    struct Parts {
        Broker& broker;
        const Clock& clock;
        MessageBox& messages;
        FileAccess& files;
        QString settingsFile;  // beside which the history windows' place is remembered
        BrokerOptions options;
        QStringList sensors;  // these alone, each opened as it is heard; none: every sensor
    };

    explicit WatchWindow(Parts parts);
    ~WatchWindow() override;

    void Start();
    QTableView& sensorView() { return *sensorView_; }
    TraceView& trace() { return *trace_; }
    // The history window of a sensor opened, or null.
    HistoryWindow* HistoryOf(const QString& sensor) const;
    QString Status() const { return status_->text(); }

  private:
    // A sensor opened: its history and what shows it.
    struct Opened {
        HistoryModel history;
        ActivityTable activities;
        Lockouts none;  // nothing is locked out from here
        ChannelTable channels{none};
        std::unique_ptr<HistoryWindow> window;
    };
    void Connection(Broker::Event event, const QString& why);
    void SensorChanged(const RemoteSensor& sensor);
    void Swept(const QString& sensor, const RemoteSweep& sweep);
    void Heard(const QString& sensor, const Activity& activity);
    void Open(const QString& sensor);
    // Its history window's title, with the sensor's state now.
    void TitleHistory(const QString& sensor);
    // The sensor whose row is current, its last sweep on the trace.
    void ShowCurrent();
    QString BrokerName() const;
    // "Nerimo: 3 sensors at HOST:PORT, 2 online", and whether the broker is away.
    void UpdateTitle();

    Parts parts_;
    WindowState state_;
    SensorTable table_;
    QTableView* sensorView_;
    TraceView* trace_;
    QLabel* status_;
    bool away_ = false;  // the broker
    std::map<QString, std::unique_ptr<Opened>> opened_;
    QHash<QString, RemoteSweep> last_;  // each sensor's last sweep
    SensorWatch watch_;                 // last: what it hears reaches all of the above
};

}  // namespace nerimo
