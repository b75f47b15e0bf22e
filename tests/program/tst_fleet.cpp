// Sensors → a real Mosquitto → the collector → a real InfluxDB: what the database holds when each
// of them goes away in turn, what the collector says when the database refuses, and the README's
// queries run against what it wrote.

#include <QJsonArray>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include "SensorRig.h"
#include "TestBroker.h"
#include "TestInflux.h"

using namespace nerimo::testing;

namespace {

// nerimo-collect with these options, its standard error read as it comes.
struct Collector {
    QProcess process;
    QByteArray said;

    // Started and subscribed.
    bool Start(const QStringList& options) {
        process.setReadChannel(QProcess::StandardError);
        process.start(QStringLiteral(NERIMO_SOURCE_DIR "/tools/nerimo-collect"), options);
        return QTest::qWaitFor([&] { return Said().contains("subscribed to"); }, 10000);
    }
    QByteArray Said() {
        said += process.readAllStandardError();
        return said;
    }
    // Ended of itself, with this status.
    bool Ends(int status, int timeoutMs = 20000) {
        const bool ended =
            process.state() == QProcess::NotRunning || process.waitForFinished(timeoutMs);
        Said();
        return ended && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == status;
    }
};

// The log's sweeps as InfluxDB holds them, "time hz level" a step.
QSet<QString> LoggedPoints(const QString& path) {
    QFile log(path);
    log.open(QIODevice::ReadOnly);
    QSet<QString> points;
    for (const QByteArray& row : log.readAll().split('\n')) {
        const QList<QByteArray> fields = row.split(',');
        for (qsizetype i = 6; i < fields.size(); ++i) {
            const qint64 hz = fields[2].trimmed().toLongLong() + (i - 6) * 12500;
            points << fields[0] + "T" + fields[1].trimmed() + "Z " + QString::number(hz) + " " +
                          fields[i].trimmed();
        }
    }
    return points;
}
QSet<QString> StoredPoints(TestInflux& influx) {
    QSet<QString> points;
    for (const QJsonArray& row : influx.Select("SELECT level, hz FROM sweep")) {
        points << row[0].toString() + " " + row[2].toString() + " " +
                      QString::number(row[1].toInt());
    }
    return points;
}

// A file of one line that is its owner's alone, as credentials and tokens must be.
bool WriteSecret(const QString& path, const QByteArray& line) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(line + "\n") > 0 &&
           file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

// A sweep message of two steps, as a sensor publishes it.
QString Sweep(int second) {
    return QStringLiteral(
               "{\"id\":\"s9\",\"timestamp\":\"2026-12-08T10:00:%1Z\",\"hz_lo\":145000000,"
               "\"hz_hi\":145012500,\"step\":12500,\"samples\":1,\"power\":[3,4]}")
        .arg(second, 2, 10, QChar('0'));
}

// InfluxDB 2.x as the collector sees it: buckets looked up and points written with the token
// "t0ken", the bucket "radio" of "home" the only one; each request's head and body kept.
class InfluxTwo : public QTcpServer {
  public:
    InfluxTwo() {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* client = nextPendingConnection();
            connect(client, &QTcpSocket::readyRead, client, [this, client] { Read(client); });
        });
    }
    QList<QByteArray> requests;

  private:
    void Read(QTcpSocket* client) {
        QByteArray& in = buffers_[client];
        in += client->readAll();
        const qsizetype end = in.indexOf("\r\n\r\n");
        const QRegularExpressionMatch length =
            QRegularExpression("Content-Length: (\\d+)", QRegularExpression::CaseInsensitiveOption)
                .match(QString::fromLatin1(in));
        if (end < 0 || in.size() < end + 4 + (length.hasMatch() ? length.captured(1).toInt() : 0)) {
            return;
        }
        requests << in;
        QByteArray answer =
            "HTTP/1.1 401 Unauthorized\r\nContent-Length: 26\r\n\r\n"
            "{\"message\":\"unauthorized\"}";
        if (in.contains("\r\nAuthorization: Token t0ken\r\n")) {
            answer = in.startsWith("GET /api/v2/buckets?org=home&name=radio ")
                         ? "HTTP/1.1 200 OK\r\nContent-Length: 31\r\n\r\n"
                           "{\"buckets\":[{\"name\":\"radio\"}]}"
                         : "HTTP/1.1 204 No Content\r\n\r\n";
        }
        client->write(answer);
        client->disconnectFromHost();
    }
    QHash<QTcpSocket*, QByteArray> buffers_;
};

}  // namespace

class FleetTest : public QObject {
    Q_OBJECT

  private slots:
    // A sensor surveying while the broker restarts, the collector is killed and started again,
    // and InfluxDB is stopped for 60 s: every sweep the sensor logged is in the database, each
    // step once, with its level at its time; then the README's queries over it.
    void collectorLosesNothing() {
        TestBroker broker;
        TestInflux influx;
        QVERIFY(broker.Start());
        QVERIFY(influx.Start());
        QTemporaryDir spool;
        const QStringList options = {"--broker",    "mqtt://127.0.0.1:" + broker.port,
                                     "--influx",    influx.url,
                                     "--db",        "radio",
                                     "--spool",     spool.path(),
                                     "--client-id", "fleet"};
        auto collector = std::make_unique<Collector>();
        QVERIFY(collector->Start(options));
        SensorRig rig({"--sweeps", "1000", "--mqtt", "mqtt://127.0.0.1:" + broker.port});
        const auto grows = [&](int by) {
            const int from = influx.Count();
            return QTest::qWaitFor([&] { return influx.Count() >= from + by; }, 30000);
        };
        QVERIFY(grows(2 * 7));

        broker.Stop();
        QTest::qWait(2000);
        QVERIFY(broker.Start());
        QVERIFY(grows(2 * 7));

        collector->process.kill();
        QVERIFY(collector->process.waitForFinished());
        QTest::qWait(3000);
        collector = std::make_unique<Collector>();
        QVERIFY(collector->Start(options));
        QVERIFY(grows(2 * 7));

        const int before = influx.Count();
        influx.Stop();
        QTest::qWait(60000);
        const qsizetype loggedMeanwhile = LoggedPoints(rig.Path("sweeps.csv")).size();
        QVERIFY(influx.Start());
        QVERIFY(grows(7));

        rig.program.terminate();
        QVERIFY(rig.Ended(20000));
        const QSet<QString> logged = LoggedPoints(rig.Path("sweeps.csv"));
        QVERIFY(QTest::qWaitFor([&] { return influx.Count() >= logged.size(); }, 60000));
        QTest::qWait(1500);  // nothing more comes
        QCOMPARE(influx.Count(), logged.size());
        QCOMPARE(StoredPoints(influx), logged);
        qInfo(
            "InfluxDB stopped for 60 s with %d points, the sensor's log at %lld; %d points at "
            "the end, the %lld sweeps logged",
            before, loggedMeanwhile, influx.Count(), logged.size() / 7);
        collector->process.terminate();
        QVERIFY(collector->Ends(0));
        QVERIFY(collector->said.contains("is away (") && collector->said.contains("is back."));

        // The README's queries, as a user pastes them: a band's heat map (a row a frequency and
        // minute) and the sensor's strongest level over a day, the signal at 145.025 MHz.
        QFile readme(QStringLiteral(NERIMO_SOURCE_DIR "/README.md"));
        QVERIFY(readme.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(readme.readAll());
        QList<QString> queries;
        for (const QRegularExpressionMatch& match :
             QRegularExpression("^    (SELECT .*)$", QRegularExpression::MultilineOption)
                 .globalMatch(text)) {
            queries << match.captured(1).replace("'home'", "'s1'");
        }
        QCOMPARE(queries.size(), 2);
        const QList<QJsonArray> heat = influx.Select(queries[0]);
        QSet<QString> heard;
        for (const QJsonArray& row : heat) {
            heard << row[0].toString();
            const QString hz = row[0].toString();
            QCOMPARE(row[2].toInt(), hz == "145025000" ? 9 : hz == "145037500" ? 5 : 0);
        }
        QCOMPARE(heard.size(), 7);
        const QList<QJsonArray> strongest = influx.Select(queries[1]);
        QCOMPARE(strongest.size(), 1);
        QCOMPARE(strongest[0][1].toInt(), 9);
        QCOMPARE(strongest[0][2].toString(), "145025000");
    }

    // A database that will not take the points ends the collector at once with status 3 and what
    // to do.
    void databaseRefuses_data() {
        QTest::addColumn<bool>("auth");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("said");
        QTest::newRow("wrong password")
            << true << QStringList{"--db", "radio"} << "refused our credentials (401: ";
        QTest::newRow("no such database")
            << false << QStringList{"--db", "nope"} << "has no database nope: create it";
    }
    void databaseRefuses() {
        QFETCH(bool, auth);
        QFETCH(QStringList, options);
        QFETCH(QString, said);
        TestBroker broker;
        TestInflux influx(auth);
        QVERIFY(broker.Start());
        QVERIFY(influx.Start());
        QTemporaryDir folder;
        QVERIFY(WriteSecret(folder.filePath("influx"), "admin:wrong"));
        Collector collector;
        collector.process.start(QStringLiteral(NERIMO_SOURCE_DIR "/tools/nerimo-collect"),
                                QStringList{"--broker", "mqtt://127.0.0.1:" + broker.port,
                                            "--influx", influx.url, "--influx-credentials",
                                            folder.filePath("influx"), "--spool", folder.path()} +
                                    options);
        QVERIFY(collector.Ends(3, 10000));
        QVERIFY2(collector.said.contains(said.toUtf8()), collector.said.constData());
    }

    // InfluxDB 2.x: the token from its file, the bucket looked up, the points written to it; a
    // token it refuses ends the collector at once with status 3.
    void writesToInfluxTwo_data() {
        QTest::addColumn<QByteArray>("token");
        QTest::newRow("its token") << QByteArray("t0ken");
        QTest::newRow("a wrong token") << QByteArray("stale");
    }
    void writesToInfluxTwo() {
        QFETCH(QByteArray, token);
        TestBroker broker;
        QVERIFY(broker.Start());
        InfluxTwo influx;
        QTemporaryDir folder;
        QVERIFY(WriteSecret(folder.filePath("token"), token));
        const QStringList options = {
            "--broker",       "mqtt://127.0.0.1:" + broker.port,
            "--influx",       "http://127.0.0.1:" + QString::number(influx.serverPort()),
            "--org",          "home",
            "--bucket",       "radio",
            "--influx-token", folder.filePath("token"),
            "--spool",        folder.path(),
            "--count",        "1"};
        Collector collector;
        if (token != "t0ken") {
            collector.process.start(QStringLiteral(NERIMO_SOURCE_DIR "/tools/nerimo-collect"),
                                    options);
            QVERIFY(QTest::qWaitFor(
                [&] { return collector.process.state() == QProcess::NotRunning; }, 10000));
            QVERIFY(collector.Ends(3));
            QVERIFY2(collector.said.contains("refused our credentials (401: "),
                     collector.said.constData());
            return;
        }
        QVERIFY(collector.Start(options));
        QProcess::execute("mosquitto_pub",
                          {"-p", broker.port, "-q", "1", "-t", "nerimo/s9/sweep", "-m", Sweep(7)});
        QVERIFY(QTest::qWaitFor([&] { return collector.process.state() == QProcess::NotRunning; },
                                10000));
        QVERIFY(collector.Ends(0));
        QCOMPARE(influx.requests.size(), 2);
        const QByteArray write = influx.requests[1];
        QVERIFY2(write.startsWith("POST /api/v2/write?org=home&bucket=radio&precision=ns "),
                 write.constData());
        QVERIFY(
            write.endsWith("\r\n\r\nsweep,sensor=s9,hz=145000000 level=3i 1796724007000000000\n"
                           "sweep,sensor=s9,hz=145012500 level=4i 1796724007000000000\n"));
    }

    // InfluxDB away and a spool that fills: its oldest batches dropped, said, status 1; the rest
    // handed over once InfluxDB is back.
    void spoolFills() {
        TestBroker broker;
        TestInflux influx;
        QVERIFY(broker.Start());
        QTemporaryDir spool;
        // 300 bytes: two sweeps of two points.
        const QStringList options = {"--broker",     "mqtt://127.0.0.1:" + broker.port,
                                     "--influx",     influx.url,
                                     "--db",         "radio",
                                     "--spool",      spool.path(),
                                     "--spool-size", "0.0003",
                                     "--client-id",  "small"};
        Collector away;
        QVERIFY(away.Start(options + QStringList{"--count", "5"}));
        for (int second = 0; second < 5; ++second) {
            QProcess::execute("mosquitto_pub", {"-p", broker.port, "-q", "1", "-t",
                                                "nerimo/s9/sweep", "-m", Sweep(second)});
            QTest::qWait(1100);  // a batch a sweep
        }
        QVERIFY(away.Ends(1));
        QVERIFY2(away.said.contains("nerimo-collect: 6 points lost: dropped from the full "
                                    "spool.\n") &&
                     away.said.contains("4 points wait in the spool"),
                 away.said.constData());

        QVERIFY(influx.Start());
        Collector back;
        QVERIFY(back.Start(options + QStringList{"--count", "1"}));
        QProcess::execute("mosquitto_pub",
                          {"-p", broker.port, "-q", "1", "-t", "nerimo/s9/sweep", "-m", Sweep(9)});
        QVERIFY(back.Ends(0));
        QSet<QString> times;
        for (const QJsonArray& row : influx.Select("SELECT level FROM sweep")) {
            times << row[0].toString();
        }
        QCOMPARE(times, (QSet<QString>{"2026-12-08T10:00:03Z", "2026-12-08T10:00:04Z",
                                       "2026-12-08T10:00:09Z"}));
    }
};

QTEST_GUILESS_MAIN(FleetTest)
#include "tst_fleet.moc"
