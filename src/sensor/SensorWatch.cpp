#include "SensorWatch.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>

namespace nerimo {

namespace {

// A sweep carries at most this many steps; a message that claims more is no sensor's.
constexpr qsizetype kMostSteps = 1 << 20;

QDateTime Time(const QJsonValue& value) {
    return QDateTime::fromString(value.toString(), Qt::ISODate).toLocalTime();
}

Mode ModeNamed(const QString& name) {
    for (const Mode mode : {Mode::Fm, Mode::Am, Mode::WideFm, Mode::Usb, Mode::Lsb, Mode::Cw}) {
        if (ModeName(mode) == name) {
            return mode;
        }
    }
    return Mode::Fm;
}

// A level as a sensor publishes it, 0 to 16; -1 for anything else.
int Level(const QJsonValue& value) {
    const int level = value.toInt(-1);
    return value.isDouble() && level >= 0 && level <= 16 ? level : -1;
}

}  // namespace

SensorWatch::SensorWatch(Parts parts) : parts_(std::move(parts)) {}

void SensorWatch::Start() {
    QList<QByteArray> filters;
    const QStringList ids = parts_.sensors.isEmpty() ? QStringList{"+"} : parts_.sensors;
    for (const QString& id : ids) {
        for (const char* leaf :
             {"status", "scan", "scan/+", "sweep", "activity", "channels", "channels/last"}) {
            filters << (parts_.options.prefix + '/' + id + '/' + QLatin1String(leaf)).toUtf8();
        }
    }
    parts_.broker.Subscribe(filters, [this](const QByteArray& topic, const QByteArray& payload) {
        Heard(topic, payload);
    });
    parts_.broker.Start(parts_.options, {}, {}, parts_.connection);
}

void SensorWatch::Heard(const QByteArray& topic, const QByteArray& payload) {
    // PREFIX/ID/LEAF, the prefix as given (it may hold slashes of its own).
    const QString text = QString::fromUtf8(topic);
    const QString prefix = parts_.options.prefix + '/';
    if (!text.startsWith(prefix)) {
        return;
    }
    const QStringList levels = text.mid(prefix.size()).split('/');
    const QJsonObject message = QJsonDocument::fromJson(payload).object();
    if (levels.size() < 2 || levels[0].isEmpty() || message.isEmpty()) {
        return;  // nothing a sensor of ours says: not for this window
    }
    RemoteSensor& sensor = sensors_[levels[0]];
    sensor.id = levels[0];
    const QString leaf = levels.mid(1).join('/');
    if (leaf == QLatin1String("status")) {
        Status(sensor, message);
    } else if (leaf == QLatin1String("sweep") || leaf.startsWith(QLatin1String("scan"))) {
        Sweep(sensor, message);
    } else if (leaf.startsWith(QLatin1String("channels"))) {
        Channels(sensor, message);
    } else if (leaf == QLatin1String("activity") && parts_.activity) {
        Activity activity;
        activity.hertz = message.value("Frequency_Hz").toInteger();
        activity.name = message.value("Name").toString();
        activity.strongest = message.value("Max_Level").toInt();
        activity.firstHeard = Time(message.value("Start_Timestamp"));
        activity.lastHeard = Time(message.value("End_Timestamp"));
        activity.sweeps = message.value("Sweeps").toInt();
        if (activity.hertz > 0 && activity.firstHeard.isValid()) {
            parts_.activity(sensor.id, activity);
        }
    }
}

void SensorWatch::Status(RemoteSensor& sensor, const QJsonObject& message) {
    sensor.state = message.value("state").toString();
    // The broker's will has no time: the sensor is offline from when it was heard so.
    const QDateTime since = Time(message.value("since"));
    sensor.since = since.isValid() ? since : parts_.clock.Now();
    parts_.sensorChanged(sensor);
}

void SensorWatch::Sweep(RemoteSensor& sensor, const QJsonObject& message) {
    const QDateTime time = Time(message.value("timestamp"));
    const int parts = std::max(1, message.value("parts").toInt(1));
    if (!time.isValid() || (sensor.lastSweep.isValid() && time <= sensor.lastSweep)) {
        return;  // heard already (the retained scan is the last sweep again)
    }
    Pending& pending = pending_[sensor.id];
    if (pending.time != time) {
        pending = {time, {}};
    }
    pending.parts[message.value("part").toInt(1)] = message;
    if (int(pending.parts.size()) < parts) {
        return;
    }
    RemoteSweep sweep{time,
                      {{}, message.value("step").toInteger(), false},
                      ModeNamed(message.value("mode").toString()),
                      {}};
    for (const auto& [number, part] : pending.parts) {
        const QJsonArray power = part.value("power").toArray();
        const long long low = part.value("hz_lo").toInteger();
        if (power.isEmpty() || power.size() > kMostSteps || sweep.plan.stepHertz <= 0 || low <= 0) {
            pending_.remove(sensor.id);
            return;
        }
        for (qsizetype step = 0; step < power.size(); ++step) {
            sweep.plan.steps.push_back(
                {low + step * sweep.plan.stepHertz, std::nullopt, {}, false});
            sweep.levels.push_back(std::max(0, Level(power[step])));
        }
    }
    pending_.remove(sensor.id);
    sensor.channels = 0;
    Hand(sensor, sweep);
}

void SensorWatch::Channels(RemoteSensor& sensor, const QJsonObject& message) {
    const QDateTime time = Time(message.value("timestamp"));
    const QJsonArray channels = message.value("channels").toArray();
    if (!time.isValid() || channels.isEmpty() || channels.size() > kMostSteps ||
        (sensor.lastSweep.isValid() && time <= sensor.lastSweep)) {
        return;
    }
    RemoteSweep pass{time, {{}, kStepHz, true}, Mode::Fm, {}};
    for (const QJsonValue value : channels) {
        const QJsonObject channel = value.toObject();
        const long long hertz = channel.value("hz").toInteger();
        if (hertz <= 0) {
            return;
        }
        pass.plan.steps.push_back({hertz, ModeNamed(channel.value("mode").toString()),
                                   channel.value("name").toString(), false});
        pass.levels.push_back(std::max(0, Level(channel.value("level"))));
    }
    sensor.channels = int(channels.size());
    Hand(sensor, pass);
}

void SensorWatch::Hand(RemoteSensor& sensor, const RemoteSweep& sweep) {
    sensor.lastSweep = sweep.time;
    const auto [low, high] =
        std::minmax_element(sweep.plan.steps.begin(), sweep.plan.steps.end(),
                            [](const PlanStep& a, const PlanStep& b) { return a.hertz < b.hertz; });
    sensor.lowHertz = low->hertz;
    sensor.highHertz = high->hertz;
    // A sensor heard sweeping is online, though its status was lost or comes later.
    if (sensor.state.isEmpty()) {
        sensor.state = QStringLiteral("online");
        sensor.since = sweep.time;
    }
    parts_.sensorChanged(sensor);
    parts_.swept(sensor.id, sweep);
}

}  // namespace nerimo
