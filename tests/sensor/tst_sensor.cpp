#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include "CoreFakes.h"
#include "SensorFakes.h"
#include "SensorWatch.h"
#include "SweepPublisher.h"

// The band sensor's messages, on a broker in memory: what goes, in what order, what waits while
// the broker is away, and what the broker will not take.
class SensorTest : public QObject {
    Q_OBJECT

  private slots:
    // The sensor's messages: each measured sweep and, retained, the last whole one and the
    // state, in order once the broker takes them; while it is away up to 1,000 sweeps wait and
    // the oldest go, counted; said once that it is away, back (a note, which a quiet survey
    // leaves out), or refuses us.
    void publishesTheSweeps() {
        nerimo::testing::FakeBroker broker;
        nerimo::testing::FixedClock clock;
        clock.now = QDateTime(QDate(2026, 12, 7), QTime(10, 20, 30), QTimeZone(3600));
        QStringList said;
        nerimo::SweepPublisher publisher({broker,
                                          clock,
                                          {"h", 1883, false, {}, "band", "s1", {}, {}},
                                          [] { return QStringLiteral("/dev/ttyUSB0"); },
                                          [&](const QString& why) { said << "refused: " + why; },
                                          [&](const QString& why) { said << "rejected: " + why; },
                                          [&](const QString& line) { said << line; },
                                          [&](const QString& line) { said << "note: " + line; }});
        // A sweep of 145 MHz and the steps after it, 12.5 kHz apart, its first level `first`.
        const auto sweep = [&](int first, int steps, int measured, bool answered = true) {
            publisher.SweepBegan(
                {nerimo::BandPlan(145000000, 12500, steps + 1), clock.now, nerimo::Mode::Fm});
            nerimo::SweepSummary summary;
            for (int i = 0; i < measured; ++i) {
                const nerimo::Reply reply =
                    answered ? nerimo::Reply::Answered : nerimo::Reply::NoReceiver;
                publisher.Measured(145000000 + i * 12500, i == 0 ? first : 16, reply);
                summary.Count(reply);
            }
            publisher.SweepEnded(summary);
        };
        publisher.Start();
        QCOMPARE(broker.will, QByteArray("band/s1/status {\"since\":null,\"state\":\"offline\"}"));
        sweep(3, 2, 3);
        QVERIFY(broker.published.isEmpty());
        broker.Say(nerimo::Broker::Event::Connected);
        const QByteArray firstSweep =
            "{\"device\":\"/dev/ttyUSB0\",\"hz_hi\":145025000,\"hz_lo\":145000000,\"id\":\"s1\","
            "\"mode\":\"FM\",\"power\":[3,16,16],\"samples\":1,\"step\":12500,"
            "\"timestamp\":\"2026-12-07T09:20:30Z\",\"unit\":\"level\"}";
        QCOMPARE(broker.published,
                 QList<QByteArray>({"band/s1/status {\"since\":\"2026-12-07T09:20:30Z\",\"state\":"
                                    "\"online\"} (retained)",
                                    "band/s1/sweep " + firstSweep,
                                    "band/s1/scan " + firstSweep + " (retained)"}));

        // Away: 1,003 sweeps and an activity wait, the three oldest sweeps dropped.
        broker.published.clear();
        broker.Say(nerimo::Broker::Event::Lost);
        broker.Say(nerimo::Broker::Event::Lost);
        for (int i = 0; i < 1002; ++i) {
            sweep(i % 17, 2, 3);
        }
        const QDateTime heard = clock.now;
        publisher.ActivityChanged({145012500, QStringLiteral("Net"), 16, heard, heard, 1},
                                  nerimo::ActivityEvent::Ended);
        sweep(5, 2, 2);  // stopped after two steps: published, but not the scan
        QVERIFY(broker.published.isEmpty());
        QCOMPARE(publisher.Dropped(), 3);
        // Back: the state first, retained again from the reconnection (the broker may have
        // kept the will meanwhile), then what waited.
        clock.now = clock.now.addSecs(60);
        broker.Say(nerimo::Broker::Event::Connected);
        QCOMPARE(broker.published.takeFirst(),
                 "band/s1/status {\"since\":\"2026-12-07T09:21:30Z\",\"state\":\"online\"} "
                 "(retained)");
        QCOMPARE(broker.published.size(), 1000 + 1 + 1);
        QVERIFY(broker.published[0].contains("\"power\":[3,16,16]"));     // the fourth
        QVERIFY(broker.published[998].contains("\"power\":[15,16,16]"));  // the last whole
        QVERIFY(broker.published[999].startsWith(
            "band/s1/activity {\"Duration_Seconds\":0,\"End_Timestamp\":\"2026-12-07T09:20:30Z\","
            "\"Frequency_Hz\":145012500,\"Frequency_MHz\":\"145.0125\",\"Max_Level\":16,"
            "\"Name\":\"Net\""));
        QVERIFY(broker.published[1000].contains("\"hz_hi\":145012500,"));
        QVERIFY(broker.published[1001].startsWith("band/s1/scan "));
        QVERIFY(broker.published[1001].contains("\"power\":[15,16,16]"));
        QCOMPARE(said, QStringList({"The broker at h:1883 is away (a reason); the sweeps wait for "
                                    "it.",
                                    "note: The broker at h:1883 is back."}));

        // No receiver: no sweep, and the state says so; refused: said once.
        broker.published.clear();
        sweep(0, 2, 3, false);
        QCOMPARE(broker.published.size(), 1);
        QVERIFY(broker.published[0].contains("\"state\":\"no receiver\"} (retained)"));
        broker.Say(nerimo::Broker::Event::Refused);
        broker.Say(nerimo::Broker::Event::Refused);
        QCOMPARE(said.mid(2), QStringList("refused: The broker at h:1883 refused the sensor: a "
                                          "reason."));
        QCOMPARE(publisher.Finish(100), 1);  // "offline", never handed over
        QVERIFY(broker.finished);
    }

    // What the broker takes: a sweep larger than its messages goes in parts, each with its own
    // frequencies and the sweep's time, the retained one on a topic a part; a sweep too large
    // even so is dropped and said once; the parts are a note, and a topic the broker refuses is
    // said once and each message counted; a broker of MQTT 3.1.1 is said to hide its refusals.
    void publishesWhatTheBrokerTakes() {
        nerimo::testing::FakeBroker broker;
        nerimo::testing::FixedClock clock;
        QStringList said;
        const auto say = [&](const QString& line) { said << line; };
        nerimo::SweepPublisher publisher({broker,
                                          clock,
                                          {"h", 1883, false, {}, "band", "s1", {}, {}},
                                          [] { return QStringLiteral("/dev/ttyUSB0"); },
                                          say,
                                          say,
                                          say,
                                          [&](const QString& line) { said << "note: " + line; }});
        const auto sweep = [&](int steps) {
            publisher.SweepBegan(
                {nerimo::BandPlan(145000000, 12500, steps), clock.now, nerimo::Mode::Am});
            nerimo::SweepSummary summary;
            for (int i = 0; i < steps; ++i) {
                publisher.Measured(145000000 + i * 12500, i % 17, nerimo::Reply::Answered);
                summary.Count(nerimo::Reply::Answered);
            }
            publisher.SweepEnded(summary);
        };
        publisher.Start();
        broker.largest = 300;
        broker.Say(nerimo::Broker::Event::Connected);
        broker.published.clear();
        sweep(101);
        QJsonArray levels;
        QList<QJsonObject> parts;
        QStringList scans;
        for (const QByteArray& message : broker.published) {
            const QByteArray topic = message.left(message.indexOf(' '));
            const QByteArray payload = message.mid(topic.size() + 1).replace(" (retained)", "");
            QVERIFY2(payload.size() <= 300, message.constData());
            if (topic != "band/s1/sweep") {
                scans << QString::fromLatin1(topic);
                continue;
            }
            parts << QJsonDocument::fromJson(payload).object();
            for (const QJsonValue level : parts.last().value("power").toArray()) {
                levels.append(level);
            }
        }
        QVERIFY(parts.size() > 1);
        QCOMPARE(levels.size(), 101);
        for (qsizetype i = 0; i < parts.size(); ++i) {
            QCOMPARE(parts[i].value("part").toInt(), i + 1);
            QCOMPARE(parts[i].value("parts").toInt(), parts.size());
            QCOMPARE(parts[i].value("timestamp"), parts[0].value("timestamp"));
            QCOMPARE(parts[i].value("mode"), "AM");  // the sweep's own, as it began
            QCOMPARE(parts[i].value("hz_lo").toInteger(),
                     i == 0 ? 145000000 : parts[i - 1].value("hz_hi").toInteger() + 12500);
        }
        for (int i = 0; i < 101; ++i) {
            QCOMPARE(levels[i].toInt(), i % 17);
        }
        QCOMPARE(parts.last().value("hz_hi").toInteger(), 146250000);
        QCOMPARE(scans.size(), parts.size());
        QCOMPARE(scans.first(), QStringLiteral("band/s1/scan/1"));
        QCOMPARE(said, QStringList(QStringLiteral("note: The broker at h:1883 takes messages of "
                                                  "up to 300 bytes; a sweep of 101 steps goes in "
                                                  "%1 parts.")
                                       .arg(parts.size())));

        // Too large even a step a part: dropped, counted, said once.
        broker.largest = 50;
        broker.published.clear();
        sweep(3);
        sweep(3);
        QVERIFY(broker.published.isEmpty());
        QCOMPARE(publisher.Dropped(), 2 + 2);  // the sweeps, and the last whole one retained
        QCOMPARE(said.size(), 2);
        QVERIFY2(said[1].startsWith("A sweep of 3 steps is too large for the broker at h:1883, "
                                    "even in parts; raise max_packet_size"),
                 qPrintable(said[1]));

        said.clear();
        broker.Say(nerimo::Broker::Event::Rejected, "band/s1/sweep: not authorised");
        broker.Say(nerimo::Broker::Event::Rejected, "band/s1/sweep: not authorised");
        broker.Say(nerimo::Broker::Event::Rejected, "band/s1/scan: not authorised");
        broker.Say(nerimo::Broker::Event::OldProtocol);
        QCOMPARE(publisher.Rejected(), 3);
        QCOMPARE(said, QStringList({"The broker at h:1883 refuses to take band/s1/sweep: not "
                                    "authorised.",
                                    "The broker at h:1883 refuses to take band/s1/scan: not "
                                    "authorised.",
                                    "The broker at h:1883 speaks MQTT 3.1.1 only: a message it "
                                    "refuses cannot be told from one it takes."}));
    }

    // What a watcher makes of a sensor's own messages, whole or in parts, retained or not: each
    // sweep once with its frequencies and levels, a list's pass with its channels' names and
    // modes, the activities, the state (the will's "offline" since it was heard); and what it
    // makes of messages no sensor sends: nothing.
    void watchesWhatTheSensorPublishes() {
        nerimo::testing::FakeBroker sensorSide;
        nerimo::testing::FakeBroker watcherSide;
        nerimo::testing::FixedClock clock;
        const auto quiet = [](const QString&) {};
        nerimo::SweepPublisher publisher({sensorSide,
                                          clock,
                                          {"h", 1883, false, {}, "band/east", "s1", {}, {}},
                                          [] { return QStringLiteral("/dev/ttyUSB0"); },
                                          quiet,
                                          quiet,
                                          quiet,
                                          quiet});
        QList<nerimo::RemoteSweep> swept;
        QList<nerimo::Activity> activities;
        nerimo::SensorWatch watch(
            {watcherSide,
             clock,
             {"h", 1883, false, {}, "band/east", "w", {}, {}},
             {"s1", "s2"},
             [](const nerimo::RemoteSensor&) {},
             [&](const QString& id, const nerimo::RemoteSweep& sweep) {
                 QCOMPARE(id, QStringLiteral("s1"));
                 swept << sweep;
             },
             [&](const QString&, const nerimo::Activity& activity) { activities << activity; },
             [](nerimo::Broker::Event, const QString&) {}});
        watch.Start();
        QCOMPARE(watcherSide.filters.size(), 14);
        QVERIFY(watcherSide.filters.contains("band/east/s2/scan/+"));
        publisher.Start();
        sensorSide.largest = 300;  // the 101 steps go in parts
        sensorSide.Say(nerimo::Broker::Event::Connected);
        const auto pass = [&](const nerimo::SweepPlan& plan) {
            publisher.SweepBegan({plan, clock.now, nerimo::Mode::Am});
            nerimo::SweepSummary summary;
            for (int i = 0; i < plan.Count(); ++i) {
                publisher.Measured(plan.HertzAt(i), (i * 7) % 17, nerimo::Reply::Answered);
                summary.Count(nerimo::Reply::Answered);
            }
            publisher.SweepEnded(summary);
            clock.now = clock.now.addSecs(10);
        };
        pass(nerimo::BandPlan(145000000, 12500, 101));
        nerimo::SweepPlan channels{{{118100000, nerimo::Mode::Am, "Tower", false},
                                    {145500000, std::nullopt, "Calling, east", false}},
                                   12500,
                                   true};
        pass(channels);
        publisher.ActivityChanged({145025000, "Net", 9, clock.now.addSecs(-60), clock.now, 4},
                                  nerimo::ActivityEvent::Ended);
        for (const QByteArray& message : std::as_const(sensorSide.published)) {
            const qsizetype space = message.indexOf(' ');
            watch.Heard(message.left(space), message.mid(space + 1).replace(" (retained)", ""));
        }
        QCOMPARE(swept.size(), 2);
        QCOMPARE(swept[0].plan.Count(), 101);
        QCOMPARE(swept[0].plan.HertzAt(100), 146250000);
        QCOMPARE(swept[0].mode, nerimo::Mode::Am);
        QCOMPARE(swept[0].levels[5], 1);  // 35 % 17
        QVERIFY(swept[1].plan.channels);
        QCOMPARE(swept[1].plan.steps[1].name, QStringLiteral("Calling, east"));
        QCOMPARE(swept[1].plan.steps[1].mode, nerimo::Mode::Am);  // the pass's own
        QCOMPARE(swept[1].levels, (std::vector<int>{0, 7}));
        QCOMPARE(activities.size(), 1);
        QCOMPARE(activities[0].hertz, 145025000);
        QCOMPARE(activities[0].sweeps, 4);
        const nerimo::RemoteSensor& sensor = watch.sensors().at("s1");
        QCOMPARE(sensor.state, QStringLiteral("online"));
        QCOMPARE(sensor.channels, 2);
        QCOMPARE(sensor.lowHertz, 118100000);

        // The will, with no time: offline since it was heard.
        clock.now = clock.now.addSecs(300);
        watch.Heard("band/east/s1/status", R"({"since":null,"state":"offline"})");
        QCOMPARE(sensor.state, QStringLiteral("offline"));
        QCOMPARE(sensor.since, clock.now);

        const QByteArray sweepTopic = "band/east/s1/sweep";
        for (
            const auto& [topic, payload] : std::initializer_list<std::pair<QByteArray, QByteArray>>{
                {sweepTopic, "not json"},
                {sweepTopic, "[1, 2]"},
                {sweepTopic,
                 R"({"timestamp":"2027-01-01T00:00:00Z","hz_lo":1,"step":0,"power":[1]})"},
                {sweepTopic,
                 R"({"timestamp":"2027-01-01T00:00:00Z","hz_lo":-5,"step":5,"power":[1]})"},
                {sweepTopic,
                 R"({"timestamp":"2027-01-01T00:00:00Z","hz_lo":5,"step":5,"power":[]})"},
                {sweepTopic, R"({"timestamp":"yesterday","hz_lo":5,"step":5,"power":[1]})"},
                {sweepTopic,
                 R"({"timestamp":"2027-01-01T00:00:00Z","hz_lo":5,"step":5,"power":[1],"part":1,"parts":2})"},
                {"band/east/s1/channels",
                 R"({"timestamp":"2027-01-01T00:00:01Z","channels":[{"hz":"x"}]})"},
                {"band/s1/sweep",
                 R"({"timestamp":"2027-01-01T00:00:02Z","hz_lo":5,"step":5,"power":[1]})"},
                {"band/east", "{}"}}) {
            watch.Heard(topic, payload);
        }
        QCOMPARE(swept.size(), 2);
        QCOMPARE(watch.sensors().size(), 1);
    }
};

QTEST_GUILESS_MAIN(SensorTest)
#include "tst_sensor.moc"
