#pragma once

#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QStringList>
#include <functional>
#include <map>

#include "Activity.h"
#include "Broker.h"
#include "Clock.h"
#include "Mode.h"
#include "SweepPlan.h"

namespace nerimo {

// A sensor as a watcher knows it from what the broker holds and what it publishes.
struct RemoteSensor {
    QString id;
    QString state;  // "online", "no receiver", "offline", or empty before it said
    QDateTime since;
    long long lowHertz = 0;  // its last sweep's range; or its channels'
    long long highHertz = 0;
    int channels = 0;  // its last pass's, of a list it scans
    QDateTime lastSweep;
};

// One sweep (or a list's pass) of a remote sensor, whole.
struct RemoteSweep {
    QDateTime time;
    SweepPlan plan;
    Mode mode = Mode::Fm;
    std::vector<int> levels;  // a step's
};

// Watching sensors through their broker: their state, their sweeps and their activities as they
// publish them under PREFIX/ID/ (all of them, or those named), with what is retained there first.
// A sweep that comes in parts is handed on once whole; each sweep once, though it comes both as
// the last scan and as a sweep.
class SensorWatch {
  public:
    struct Parts {
        Broker& broker;
        const Clock& clock;
        BrokerOptions options;
        QStringList sensors;  // none: every sensor
        std::function<void(const RemoteSensor& sensor)> sensorChanged;
        std::function<void(const QString& id, const RemoteSweep& sweep)> swept;
        std::function<void(const QString& id, const Activity& activity)> activity;
        std::function<void(Broker::Event event, const QString& why)> connection;
    };

    explicit SensorWatch(Parts parts);

    void Start();
    void Finish() { parts_.broker.Finish(0); }
    const std::map<QString, RemoteSensor>& sensors() const { return sensors_; }
    // A message from the broker.
    void Heard(const QByteArray& topic, const QByteArray& payload);

  private:
    struct Pending {  // the parts of a sweep heard so far
        QDateTime time;
        std::map<int, QJsonObject> parts;  // by number, from 1
    };
    void Status(RemoteSensor& sensor, const QJsonObject& message);
    void Sweep(RemoteSensor& sensor, const QJsonObject& message);
    void Channels(RemoteSensor& sensor, const QJsonObject& message);
    void Hand(RemoteSensor& sensor, const RemoteSweep& sweep);

    Parts parts_;
    std::map<QString, RemoteSensor> sensors_;
    QHash<QString, Pending> pending_;
};

}  // namespace nerimo
