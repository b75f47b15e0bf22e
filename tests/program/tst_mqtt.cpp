// The program as a sensor on the network: unattended surveys publishing to a real Mosquitto
// broker on the loopback, started by the test with a configuration of its own, and what a
// subscriber of the broker receives.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include "SensorRig.h"
#include "TestBroker.h"

using namespace nerimo::testing;

namespace {

// The messages of one sweep published in parts, joined: its power, and the parts' fields.
QJsonArray Joined(const QList<QJsonObject>& parts) {
    QJsonArray power;
    for (const QJsonObject& part : parts) {
        for (const QJsonValue level : part.value("power").toArray()) {
            power.append(level);
        }
    }
    return power;
}

// The collector in both its formats, CSV rows and InfluxDB line protocol, for two sweeps.
struct Collectors {
    QProcess processes[2];
    QList<QByteArray> written[2];  // csv, influx: the lines each wrote

    // Started and subscribed, with these options besides the format and the count.
    bool Start(const QStringList& options) {
        const QStringList formats = {"csv", "influx"};
        for (int i = 0; i < 2; ++i) {
            processes[i].start(QStringLiteral(NERIMO_SOURCE_DIR "/tools/nerimo-collect"),
                               options + QStringList{"--format", formats[i], "--count", "2"});
            processes[i].setReadChannel(QProcess::StandardError);
            if (!processes[i].waitForReadyRead(10000)) {  // subscribed
                return false;
            }
        }
        return true;
    }
    // Both ended, with status 0, what they wrote in `written`.
    bool Finish() {
        for (int i = 0; i < 2; ++i) {
            if ((processes[i].state() != QProcess::NotRunning &&
                 !processes[i].waitForFinished(5000)) ||
                processes[i].exitCode() != 0) {
                return false;
            }
            written[i] = processes[i].readAllStandardOutput().split('\n');
        }
        return true;
    }
};

// A broker that speaks MQTT 3.1.1 only: it answers MQTT 5 with "unacceptable protocol version",
// takes the rest and acknowledges each message of QoS 1; what it was handed, "topic" a message.
class OldBroker : public QTcpServer {
  public:
    OldBroker() {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* client = nextPendingConnection();
            connect(client, &QTcpSocket::readyRead, client, [this, client] { Read(client); });
        });
    }
    QList<QByteArray> topics;
    int versionsRefused = 0;

  private:
    void Read(QTcpSocket* client) {
        QByteArray& in = buffers_[client];
        in += client->readAll();
        for (;;) {
            // The fixed header: the type, and the length in sevens of bits.
            qsizetype at = 1;
            int length = 0;
            for (int shift = 0; at < in.size(); shift += 7) {
                const auto byte = quint8(in[at++]);
                length |= (byte & 0x7f) << shift;
                if (!(byte & 0x80)) {
                    break;
                }
            }
            if (in.size() < 2 || in.size() < at + length) {
                return;
            }
            const auto type = quint8(in[0]) >> 4;
            const QByteArray body = in.mid(at, length);
            in.remove(0, at + length);
            if (type == 1 && body.size() > 6 && body[6] == 5) {  // CONNECT, MQTT 5
                ++versionsRefused;
                client->write(QByteArray::fromHex("20020001"));
                client->disconnectFromHost();
                return;
            }
            if (type == 1) {
                client->write(QByteArray::fromHex("20020000"));
            } else if (type == 3) {  // PUBLISH, QoS 1: its topic, then its packet id
                const int topicLength = quint8(body[0]) << 8 | quint8(body[1]);
                topics << body.mid(2, topicLength);
                client->write(QByteArray::fromHex("4002") + body.mid(2 + topicLength, 2));
            } else if (type == 12) {  // PINGREQ
                client->write(QByteArray::fromHex("d000"));
            }
        }
    }
    QHash<QTcpSocket*, QByteArray> buffers_;
};

}  // namespace

class MqttTest : public QObject {
    Q_OBJECT

  private slots:
    // A two-sweep survey with the right credentials: the sensor's state, each sweep and the last
    // whole one, in order and in rtl_power's field names; "offline" when it ends, and the same,
    // as the broker's will, for a sensor killed. Wrong credentials end a survey at once with
    // status 1.
    void sensorMessages() {
        TestBroker broker("secret");
        QVERIFY(broker.Start());
        const QStringList user = {"-u", "sensor", "-P", "secret"};
        QVERIFY(broker.Subscribe(user));
        const QString url = "mqtt://127.0.0.1:" + broker.port;
        // The collector, in both its formats, for the two sweeps.
        QTemporaryDir collected;
        QFile userFile(collected.filePath("credentials"));
        QVERIFY(userFile.open(QIODevice::WriteOnly) && userFile.write("sensor:secret\n") > 0);
        userFile.close();
        userFile.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        Collectors collectors;
        QVERIFY(collectors.Start({"--broker", url, "--credentials", userFile.fileName()}));
        {
            SensorRig rig({"--sweeps", "2", "--mqtt", url, "--activity", "%1/activity.csv"},
                          "sensor:secret");
            rig.CheckCleanEnd();
        }
        QVERIFY2(QTest::qWaitFor([&] { return broker.On("nerimo/s1/status").size() == 2; }, 2000),
                 broker.Heard().join('\n').constData());
        QList<QByteArray> topics;
        for (const QByteArray& line : broker.Heard()) {
            if (line.startsWith("nerimo/")) {
                topics << line.split(' ').value(0).mid(10);
            }
        }
        // The carrier at 145.025 MHz and its neighbour heard with it are one activity.
        QCOMPARE(topics.join(" "), QByteArray("status sweep scan sweep scan activity status"));
        const QList<QJsonObject> sweeps = broker.On("nerimo/s1/sweep");
        const QList<QJsonObject> states = broker.On("nerimo/s1/status");
        QCOMPARE(states.value(0).value("state"), "online");
        QCOMPARE(states.value(1).value("state"), "offline");
        const QDateTime began =
            QDateTime::fromString(states.value(0).value("since").toString(), Qt::ISODate);
        const QDateTime first =
            QDateTime::fromString(sweeps.value(0).value("timestamp").toString(), Qt::ISODate);
        const QDateTime second =
            QDateTime::fromString(sweeps.value(1).value("timestamp").toString(), Qt::ISODate);
        QVERIFY(began.timeSpec() == Qt::UTC && first.timeSpec() == Qt::UTC);
        QVERIFY2(began <= first && first.msecsTo(second) >= 1000,
                 qPrintable(first.toString(Qt::ISODateWithMs) + " " + second.toString()));
        for (const QJsonObject& sweep : sweeps) {
            QCOMPARE(sweep.value("id"), "s1");
            QCOMPARE(sweep.value("hz_lo").toInteger(), 145000000);
            QCOMPARE(sweep.value("hz_hi").toInteger(), 145075000);
            QCOMPARE(sweep.value("step").toInteger(), 12500);
            QCOMPARE(sweep.value("samples").toInteger(), 1);
            QCOMPARE(sweep.value("unit"), "level");
            QCOMPARE(sweep.value("power").toArray(), QJsonArray({0, 0, 9, 5, 0, 0, 0}));
            QVERIFY(sweep.value("device").toString().endsWith("/receiver"));
            QCOMPARE(sweep.value("mode"), "FM");
        }
        QCOMPARE(broker.On("nerimo/s1/scan").value(1), sweeps.value(1));
        const QJsonObject activity = broker.On("nerimo/s1/activity").value(0);
        QCOMPARE(activity.value("Frequency_Hz").toInteger(), 145025000);
        QCOMPARE(activity.value("Max_Level").toInteger(), 9);
        QCOMPARE(activity.value("Sweeps").toInteger(), 2);
        const QString started = activity.value("Start_Timestamp").toString();
        QVERIFY(sweeps[0].value("timestamp").toString() <= started &&
                started <= sweeps[1].value("timestamp").toString());

        // The collector's rows: rtl_power's layout, and a point a step for InfluxDB.
        QVERIFY(collectors.Finish());
        const QList<QByteArray>* written = collectors.written;
        const QDateTime time =
            QDateTime::fromString(sweeps[1].value("timestamp").toString(), Qt::ISODate);
        QCOMPARE(written[0].value(1), time.toString("yyyy-MM-dd, HH:mm:ss").toLatin1() +
                                          ", 145000000, 145075000, 12500, 1, 0, 0, 9, 5, 0, 0, 0");
        QCOMPARE(written[1].size(), 2 * 7 + 1);
        QCOMPARE(written[1].value(9), "sweep,sensor=s1,hz=145025000 level=9i " +
                                          QByteArray::number(time.toSecsSinceEpoch()) +
                                          "000000000");

        // A dashboard that connects later gets the last whole sweep and the state, retained: the
        // sensor's own "offline", not its will, for a sensor that ended cleanly.
        const QByteArray retained = broker.Retained({"nerimo/s1/scan", "nerimo/s1/status"}, user);
        QVERIFY2(
            retained.contains("nerimo/s1/scan " +
                              QJsonDocument(sweeps.value(1)).toJson(QJsonDocument::Compact)) &&
                retained.contains("nerimo/s1/status " +
                                  QJsonDocument(states.value(1)).toJson(QJsonDocument::Compact)),
            retained.constData());

        // Killed: the broker says "offline" for it, with no time, and keeps saying it to those
        // who connect later.
        {
            SensorRig rig({"--mqtt", url}, "sensor:secret");
            QVERIFY(
                QTest::qWaitFor([&] { return broker.On("nerimo/s1/sweep").size() == 3; }, 10000));
            ::kill(rig.program.processId(), SIGKILL);
            QVERIFY(QTest::qWaitFor(
                [&] {
                    return broker.On("nerimo/s1/status").value(3) ==
                           QJsonObject({{"state", "offline"}, {"since", QJsonValue::Null}});
                },
                5000));
        }
        QCOMPARE(broker.Retained({"nerimo/s1/status"}, user),
                 "nerimo/s1/status {\"since\":null,\"state\":\"offline\"}\n");

        // Refused: status 1 and why, long before a sweep could end.
        SensorRig rig({"--mqtt", url}, "sensor:wrong");
        QVERIFY(rig.Ended(1000));
        QCOMPARE(rig.program.exitCode(), 1);
        QVERIFY2(rig.Errors().contains("Nerimo: The broker at 127.0.0.1:" + broker.port.toLatin1() +
                                       " refused the sensor: not authorised.\n"),
                 rig.Errors().constData());
    }

    // A channel scan as a sensor: each pass on PREFIX/ID/channels (each channel's frequency,
    // name, mode and level), the last whole one retained on channels/last; the collector's
    // points (measurement "channel") and the channel log's rows from them.
    void channelScanMessages() {
        TestBroker broker;
        QVERIFY(broker.Start());
        QVERIFY(broker.Subscribe());
        const QString url = "mqtt://127.0.0.1:" + broker.port;
        Collectors collectors;
        QVERIFY(collectors.Start({"--broker", url}));
        Session session;
        Rig rig(session.session.path(), "xcb");
        rig.StartReceiver(kBand);
        rig.Write("channels.csv",
                  "Location,Name,Frequency,Mode\n0,\"Net, east\",145.025,FM\n1,Tower,118.1,AM\n");
        rig.StartProgram(
            "DEVICE=" + rig.Path("receiver").toLocal8Bit(), false,
            {"--headless", "--log", rig.Path("channels-log.csv"), "--channels",
             rig.Path("channels.csv"), "--sweeps", "2", "--mqtt", url, "--sensor-id", "s1"});
        rig.CheckCleanEnd();
        QVERIFY(QTest::qWaitFor([&] { return broker.On("nerimo/s1/status").size() == 2; }, 2000));
        const QList<QJsonObject> passes = broker.On("nerimo/s1/channels");
        QCOMPARE(passes.size(), 2);
        for (const QJsonObject& pass : passes) {
            QCOMPARE(pass.value("id"), "s1");
            QCOMPARE(
                pass.value("channels").toArray(),
                QJsonArray(
                    {QJsonObject(
                         {{"hz", 145025000}, {"name", "Net, east"}, {"mode", "FM"}, {"level", 9}}),
                     QJsonObject(
                         {{"hz", 118100000}, {"name", "Tower"}, {"mode", "AM"}, {"level", 0}})}));
        }
        QCOMPARE(broker.On("nerimo/s1/channels/last").value(1), passes.value(1));
        QVERIFY(broker.On("nerimo/s1/sweep").isEmpty());
        QVERIFY(collectors.Finish());
        const QList<QByteArray>* written = collectors.written;
        const QDateTime time =
            QDateTime::fromString(passes[1].value("timestamp").toString(), Qt::ISODate);
        // The collector's rows are the log's.
        QFile log(rig.Path("channels-log.csv"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(written[0].mid(0, 4), log.readAll().split('\n').mid(1, 4));
        QCOMPARE(written[0].value(2), time.toString("yyyy-MM-ddTHH:mm:ssZ").toLatin1() +
                                          ",145025000,\"Net, east\",FM,9");
        QCOMPARE(written[1].value(2),
                 "channel,sensor=s1,name=Net\\,\\ east,hz=145025000 level=9i " +
                     QByteArray::number(time.toSecsSinceEpoch()) + "000000000");
    }

    // The collector keeps its session at the broker: the sweeps published while it was killed
    // arrive when it comes back under the same client id, as the sensor's log has them.
    void collectorKeepsItsSession() {
        TestBroker broker;
        QVERIFY(broker.Start());
        const QStringList collector = {
            "--broker", "mqtt://127.0.0.1:" + broker.port, "--client-id", "keeper", "--count", "2"};
        QProcess first;
        first.setReadChannel(QProcess::StandardError);
        first.start(QStringLiteral(NERIMO_SOURCE_DIR "/tools/nerimo-collect"), collector);
        QVERIFY(first.waitForReadyRead(10000));  // subscribed
        first.kill();
        QVERIFY(first.waitForFinished(5000));
        QList<QByteArray> logged;
        {
            SensorRig rig({"--sweeps", "2", "--mqtt", "mqtt://127.0.0.1:" + broker.port});
            rig.CheckCleanEnd();
            QFile log(rig.Path("sweeps.csv"));
            QVERIFY(log.open(QIODevice::ReadOnly));
            logged = log.readAll().split('\n').mid(0, 2);
        }
        QProcess back;
        back.start(QStringLiteral(NERIMO_SOURCE_DIR "/tools/nerimo-collect"), collector);
        QVERIFY2(back.waitForFinished(10000), back.readAllStandardError().constData());
        QCOMPARE(back.exitCode(), 0);
        QCOMPARE(back.readAllStandardOutput().split('\n').mid(0, 2), logged);
    }

    // Messages that are not sweeps on a sweep's topic: the first said, all skipped and counted,
    // the count said at the end, status 1; the sweep among them written.
    void collectorSkipsWhatIsNoSweep() {
        TestBroker broker;
        QVERIFY(broker.Start());
        QProcess collector;
        collector.setReadChannel(QProcess::StandardError);
        collector.start(QStringLiteral(NERIMO_SOURCE_DIR "/tools/nerimo-collect"),
                        {"--broker", "mqtt://127.0.0.1:" + broker.port, "--count", "1"});
        QVERIFY(collector.waitForReadyRead(10000));  // subscribed
        const auto publish = [&](const QByteArray& payload) {
            QProcess::execute("mosquitto_pub", {"-p", broker.port, "-q", "1", "-t",
                                                "nerimo/s1/sweep", "-m", QString(payload)});
        };
        publish("{\"id\": \"s1\"");
        publish("[1, 2]");
        publish(
            "{\"id\":\"s1\",\"timestamp\":\"2026-12-08T10:00:00Z\",\"hz_lo\":145000000,"
            "\"hz_hi\":145012500,\"step\":12500,\"samples\":1,\"power\":[3,4]}");
        QVERIFY(collector.waitForFinished(10000));
        QCOMPARE(collector.exitCode(), 1);
        QCOMPARE(collector.readAllStandardOutput(),
                 QByteArray("2026-12-08, 10:00:00, 145000000, 145012500, 12500, 1, 3, 4\n"));
        const QByteArray said = collector.readAllStandardError();
        QCOMPARE(said.count("not a sweep ("), 1);
        QVERIFY2(said.endsWith("nerimo-collect: 2 messages that were not a sweep skipped.\n"),
                 said.constData());
    }

    // A broker as its operator set it up: an ACL that denies the sweeps' topic (each refusal
    // counted, said once, status 1); messages no larger than 280 bytes (a sweep in parts that
    // join into the log's row, never a reconnection); frozen (SIGSTOP) when the survey is ended
    // (the end within its 2 s all the same); one that speaks MQTT 3.1.1 only (the sweeps go, and
    // the sensor says what that hides).
    void brokersAsTheyAreSetUp_data() {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("topic denied")
            << QByteArray("acl_file %1/acl\n") << 1
            << QByteArray(" refuses to take nerimo/s1/sweep: not authorised.\n");
        QTest::newRow("small messages")
            << QByteArray("max_packet_size 280\n") << 0 << QByteArray(" takes messages of up to ");
        QTest::newRow("frozen at the end")
            << QByteArray() << 1 << QByteArray(" never reached the broker at 127.0.0.1:");
        QTest::newRow("MQTT 3.1.1 only")
            << QByteArray() << 0
            << QByteArray(
                   " speaks MQTT 3.1.1 only: a message it refuses cannot be told from one "
                   "it takes.\n");
    }
    void brokersAsTheyAreSetUp() {
        QFETCH(QByteArray, config);
        QFETCH(int, status);
        QFETCH(QByteArray, said);
        TestBroker broker({}, config);
        QFile acl(broker.dir.filePath("acl"));
        QVERIFY(acl.open(QIODevice::WriteOnly) &&
                acl.write("topic write nerimo/+/status\ntopic write nerimo/+/scan\n"
                          "topic readwrite test\ntopic read nerimo/#\n") > 0);
        acl.close();
        QVERIFY(broker.Start());
        QVERIFY(broker.Subscribe());
        OldBroker old;
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        const QString url =
            "mqtt://127.0.0.1:" +
            (tag == "MQTT 3.1.1 only" ? QString::number(old.serverPort()) : broker.port);
        const bool frozen = tag == "frozen at the end";
        SensorRig rig({"--sweeps", frozen ? "5" : "2", "--mqtt", url, "--range",
                       tag == "small messages" ? "145M:145.5M" : "145M:145.075M"});
        if (frozen) {
            QVERIFY(
                QTest::qWaitFor([&] { return broker.On("nerimo/s1/sweep").size() == 1; }, 10000));
            ::kill(pid_t(broker.server.processId()), SIGSTOP);
            QVERIFY(QTest::qWaitFor([&] { return rig.Log().size() >= 10; }, 5000));
            QElapsedTimer ending;
            ending.start();
            rig.program.terminate();
            QVERIFY(rig.Ended(2500));
            qInfo("ended %lld ms after SIGTERM with the broker frozen", ending.elapsed());
            ::kill(pid_t(broker.server.processId()), SIGCONT);
        }
        // The old broker is this test's own, and answers only while the test's events run.
        QVERIFY(
            QTest::qWaitFor([&] { return rig.program.state() == QProcess::NotRunning; }, 30000));
        const QByteArray errors = rig.Errors();
        qInfo("%s", errors.constData());
        QCOMPARE(rig.program.exitCode(), status);
        QVERIFY2(errors.contains(said), errors.constData());
        // Each refusal said once, and counted at the end.
        QCOMPARE(errors.count("refuses to take"), tag == "topic denied" ? 1 : 0);
        QCOMPARE(errors.contains("2 messages were refused by the broker at 127.0.0.1:" +
                                 broker.port.toLatin1() + "."),
                 tag == "topic denied");
        if (tag == "small messages") {
            QVERIFY(QTest::qWaitFor([&] { return broker.On("nerimo/s1/sweep").size() >= 2 * 2; },
                                    5000));
            const QList<QJsonObject> parts = broker.On("nerimo/s1/sweep");
            QCOMPARE(parts[0].value("parts").toInt() * 2, parts.size());
            QFile log(rig.Path("sweeps.csv"));
            QVERIFY(log.open(QIODevice::ReadOnly));
            QJsonArray row;
            for (const QByteArray& level : log.readLine().trimmed().split(',').mid(6)) {
                row.append(level.trimmed().toInt());
            }
            QCOMPARE(Joined(parts.mid(0, parts[0].value("parts").toInt())), row);
            // Once online, never the will: no reconnection.
            QCOMPARE(broker.On("nerimo/s1/status").size(), 2);
        }
        if (tag == "MQTT 3.1.1 only") {
            QCOMPARE(old.versionsRefused, 1);
            QCOMPARE(old.topics.count("nerimo/s1/sweep"), 2);
        }
    }

    // The broker stopped in the middle of a survey: the sweeps go on at their pace and wait; the
    // broker back, every one arrives, in order. Gone for good, the survey ends with status 1 and
    // says how many never reached it.
    void brokerAway_data() {
        QTest::addColumn<bool>("back");
        QTest::newRow("back in time") << true;
        QTest::newRow("gone for good") << false;
    }
    void brokerAway() {
        QFETCH(bool, back);
        TestBroker broker;
        QVERIFY(broker.Start());
        QVERIFY(broker.Subscribe());
        SensorRig rig({"--sweeps", "6", "--mqtt", "mqtt://127.0.0.1:" + broker.port});
        QVERIFY(QTest::qWaitFor([&] { return broker.On("nerimo/s1/sweep").size() == 2; }, 10000));
        broker.Stop();
        const qsizetype tuned = rig.Log().size();
        QVERIFY(QTest::qWaitFor([&] { return rig.Errors().contains(" is away ("); }, 2000));
        QTest::qWait(2500);
        QVERIFY2(rig.Log().size() >= tuned + 8, "the sweep waited for the broker");
        const QDateTime restarted = QDateTime::currentDateTimeUtc().addSecs(-1);
        if (back) {
            // Mosquitto kept the retained state over its restart (persistence on); a dashboard
            // that connects once the sensor is back gets "online" from the reconnection.
            QVERIFY(broker.Start());
            QVERIFY(QTest::qWaitFor([&] { return rig.Errors().contains(" is back."); }, 10000));
            const QByteArray retained = broker.Retained({"nerimo/s1/status"});
            qInfo("a later subscriber gets: %s", retained.constData());
            const QJsonObject state =
                QJsonDocument::fromJson(retained.mid(retained.indexOf('{'))).object();
            QCOMPARE(state.value("state"), "online");
            QVERIFY(QDateTime::fromString(state.value("since").toString(), Qt::ISODate) >=
                    restarted);
        }
        QVERIFY(rig.Ended(30000));
        const QByteArray errors = rig.Errors();
        QCOMPARE(rig.program.exitCode(), back ? 0 : 1);
        QCOMPARE(errors.contains("The broker at 127.0.0.1:" + broker.port.toLatin1() + " is back."),
                 back);
        if (!back) {
            QVERIFY2(errors.contains(" messages never reached the broker at 127.0.0.1:" +
                                     broker.port.toLatin1() + "."),
                     errors.constData());
            return;
        }
        QVERIFY(QTest::qWaitFor([&] { return broker.On("nerimo/s1/sweep").size() == 6; }, 10000));
        const QList<QJsonObject> sweeps = broker.On("nerimo/s1/sweep");
        for (qsizetype i = 1; i < sweeps.size(); ++i) {
            QVERIFY(sweeps[i - 1].value("timestamp").toString() <
                    sweeps[i].value("timestamp").toString());
        }
        QVERIFY(!errors.contains("dropped"));
    }
};

QTEST_GUILESS_MAIN(MqttTest)
#include "tst_mqtt.moc"
