// A fleet on one machine: SENSORS unattended surveys of 641 steps (145 to 153 MHz, a sweep some
// 15 s through simulated radios served as rigctld), publishing to one Mosquitto, one collector
// writing them into one InfluxDB, and a window watching four of them, for SECONDS. Prints the
// points written a second, the sweeps lost (logged by a sensor, not in the database), the delay
// from a sweep's delivery by the broker to its being in the database (median and 99th
// percentile), the processor and memory of the collector, the broker, the database and the
// watching window, and the delay from delivery to a watching window's drawing.
//
// nerimo-bench-fleet [SENSORS [SECONDS]]   (20 and 120 by default)

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "ProcessFigures.h"
#include "TestBroker.h"
#include "TestInflux.h"

namespace {

using nerimo::testing::AllThreadsSeconds;
using nerimo::testing::StatusKiB;
using nerimo::testing::TestBroker;
using nerimo::testing::TestInflux;

constexpr int kSteps = 641;
// Milliseconds between tuning and reading: with the loopback's round trips, a sweep a 15 s.
constexpr const char* kSettleMs = "23";
constexpr int kWatched = 4;
constexpr double kDelayTarget = 2.0;
constexpr double kCollectorTarget = 5.0;  // % of a core
constexpr double kWatchTarget = 0.5;
constexpr double kDrawTarget = 0.5;  // s

void Wait(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

// A survey on a simulated radio served as rigctld, in a folder of its own.
struct Sensor {
    QString folder;
    QProcess radio;
    QProcess survey;

    Sensor(const QString& where, const QString& id, const QString& broker) : folder(where) {
        QDir().mkpath(folder);
        radio.start(QStringLiteral(NERIMO_SIMULATOR), {"--rigctld", "0"});
        radio.waitForReadyRead(5000);
        const QByteArray address = radio.readLine().trimmed().split(' ').value(1);
        QFile settings(folder + "/Nerimo.ini");
        settings.open(QIODevice::WriteOnly);
        settings.write("RIG=2\nDEVICE=" + address + "\n");
        settings.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), folder);
        survey.setProcessEnvironment(env);
        survey.start(QStringLiteral(NERIMO_EXECUTABLE),
                     {"--settings", folder + "/Nerimo.ini", "--headless", "--quiet", "--log",
                      folder + "/sweeps.csv", "--range", "145M:153M", "--settle", kSettleMs,
                      "--mqtt", broker, "--sensor-id", id});
    }
    ~Sensor() {
        survey.kill();
        radio.kill();
        survey.waitForFinished();
        radio.waitForFinished();
    }
    // The rows it logged, and the steps in them.
    std::pair<int, int> Logged() const {
        QFile log(folder + "/sweeps.csv");
        log.open(QIODevice::ReadOnly);
        int rows = 0;
        int steps = 0;
        for (const QByteArray& row : log.readAll().split('\n')) {
            if (row.count(',') > 6) {
                ++rows;
                steps += int(row.count(',')) - 5;
            }
        }
        return {rows, steps};
    }
};

// Processor use in % of a core, and the most memory in MB, of a process over a run.
struct Use {
    qint64 pid;
    double startSeconds;
    explicit Use(qint64 process) : pid(process), startSeconds(AllThreadsSeconds(pid).value_or(0)) {}
    QString Text(double seconds) const {
        return QStringLiteral("%1 % of a core, %2 MB at most")
            .arg((AllThreadsSeconds(pid).value_or(0) - startSeconds) / seconds * 100, 0, 'f', 2)
            .arg(StatusKiB(pid, "VmHWM").value_or(0) / 1024, 0, 'f', 1);
    }
    double Percent(double seconds) const {
        return (AllThreadsSeconds(pid).value_or(0) - startSeconds) / seconds * 100;
    }
};

double Quantile(std::vector<double> values, double share) {
    if (values.empty()) {
        return -1;
    }
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(share * double(values.size())))];
}

int Run(int count, double seconds) {
    std::printf("A fleet of %d sensors for %.0f s, and the drain after it.\n", count, seconds);
    std::fflush(stdout);
    QTemporaryDir work;
    TestBroker broker;
    TestInflux influx;
    if (!broker.Start() || !influx.Start() || !broker.Subscribe()) {
        std::fprintf(stderr, "nerimo-bench-fleet: the broker or InfluxDB did not start\n");
        return 1;
    }
    const QString url = "mqtt://127.0.0.1:" + broker.port;
    QProcess collector;
    collector.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    collector.start(QStringLiteral(NERIMO_SOURCE_DIR "/tools/nerimo-collect"),
                    {"--broker", url, "--influx", influx.url, "--db", "radio", "--spool",
                     work.filePath("spool"), "--client-id", "bench"});
    QProcess watcher;
    QStringList watched = {"--watch", url};
    for (int i = 0; i < kWatched; ++i) {
        watched << "--sensor" << QStringLiteral("s%1").arg(i);
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), work.path());
    watcher.setProcessEnvironment(env);
    watcher.start(QStringLiteral(NERIMO_EXECUTABLE), watched);
    // The same window in a process of the bench's own, which says when each sweep is drawn.
    QProcess drawn;
    drawn.setProcessEnvironment(env);
    drawn.start(QStringLiteral(NERIMO_WATCH_BENCH),
                QStringList{broker.port, QString::number(seconds)} +
                    watched.mid(2).filter(QRegularExpression("^s")));
    Wait(2);

    std::vector<std::unique_ptr<Sensor>> sensors;
    for (int i = 0; i < count; ++i) {
        sensors.push_back(std::make_unique<Sensor>(work.filePath(QStringLiteral("s%1").arg(i)),
                                                   QStringLiteral("s%1").arg(i), url));
    }
    const Use collectorUse(collector.processId());
    const Use brokerUse(broker.server.processId());
    const Use influxUse(influx.server.processId());
    const Use watchUse(watcher.processId());

    // Each sweep as the broker delivers it, and when it is in the database: the newest point of
    // each sensor, looked for every 100 ms.
    QHash<QString, QList<std::pair<QString, qint64>>> heard;  // a sensor's sweeps, oldest first
    QHash<QString, qint64> delivered;  // "ID TIMESTAMP": when, since the epoch
    std::vector<double> delays;
    qsizetype read = 0;
    QElapsedTimer clock;
    clock.start();
    // Each message noted as soon as it comes.
    QObject::connect(&broker.subscriber, &QProcess::readyReadStandardOutput, [&] {
        const QList<QByteArray> lines = broker.Heard();
        for (; read < lines.size() - 1; ++read) {
            const QByteArray& line = lines[read];
            const qsizetype space = line.indexOf(' ');
            if (line.endsWith("}") && line.left(space).endsWith("/sweep")) {
                const QJsonObject sweep = QJsonDocument::fromJson(line.mid(space + 1)).object();
                heard[sweep.value("id").toString()]
                    << std::pair{sweep.value("timestamp").toString(), clock.elapsed()};
                delivered.insert(
                    sweep.value("id").toString() + ' ' + sweep.value("timestamp").toString(),
                    QDateTime::currentMSecsSinceEpoch());
            }
        }
    });
    const auto look = [&] {
        for (const QJsonArray& row : influx.Select(
                 "SELECT last(level) FROM sweep WHERE time > now() - 2m GROUP BY sensor")) {
            auto& waiting = heard[row[0].toString()];
            while (!waiting.isEmpty() && waiting.first().first <= row[1].toString()) {
                delays.push_back(double(clock.elapsed() - waiting.first().second) / 1000);
                waiting.removeFirst();
            }
        }
    };
    while (clock.elapsed() < seconds * 1000) {
        look();
        Wait(0.1);
    }
    const double ran = double(clock.elapsed()) / 1000;
    const QString collectorText = collectorUse.Text(ran);
    const QString brokerText = brokerUse.Text(ran);
    const QString influxText = influxUse.Text(ran);
    const QString watchText = watchUse.Text(ran);
    const double collectorPercent = collectorUse.Percent(ran);
    const double watchPercent = watchUse.Percent(ran);
    const int written = influx.Count();

    // The sensors end; what they logged must all be in the database.
    int rows = 0;
    int steps = 0;
    for (auto& sensor : sensors) {
        sensor->survey.terminate();
    }
    for (auto& sensor : sensors) {
        sensor->survey.waitForFinished(10000);
        const auto [logged, points] = sensor->Logged();
        rows += logged;
        steps += points;
    }
    QElapsedTimer drain;
    drain.start();
    while (influx.Count() < steps && drain.elapsed() < 60000) {
        look();
        Wait(0.2);
    }
    const int stored = influx.Count();
    // A sweep a point at its first step: the sweeps a sensor has in the database.
    int lostSweeps = 0;
    for (int i = 0; i < count; ++i) {
        const int inBase = influx
                               .Select(QStringLiteral("SELECT count(level) FROM sweep WHERE "
                                                      "sensor = 's%1' AND hz = '145000000'")
                                           .arg(i))
                               .value(0)
                               .at(1)
                               .toInt();
        lostSweeps += std::max(0, sensors[size_t(i)]->Logged().first - inBase);
    }
    drawn.waitForFinished(int(seconds * 1000) + 10000);
    std::vector<double> drawDelays;
    for (const QByteArray& line : drawn.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const auto at =
            delivered.constFind(QString::fromLatin1(fields.value(0) + ' ' + fields.value(1)));
        if (fields.size() == 3 && at != delivered.cend()) {
            drawDelays.push_back(double(fields[2].toLongLong() - *at) / 1000);
        }
    }
    collector.terminate();
    collector.waitForFinished(10000);
    watcher.terminate();
    watcher.waitForFinished(5000);

    const double median = Quantile(delays, 0.5);
    const double p99 = Quantile(delays, 0.99);
    const auto line = [](const char* measure, const QString& figure, const char* target,
                         bool pass) {
        std::printf("| %s | %s | %s | %s |\n", measure, qPrintable(figure), target,
                    pass ? "pass" : "FAIL");
    };
    std::printf("\n| measure | figure | target | |\n|---|---|---|---|\n");
    line("sweeps logged by the sensors (641 steps each)", QString::number(rows), "", true);
    line("points written a second, while they ran",
         QString::number(written / ran, 'f', 0) +
             QStringLiteral(" (%1 a sensor)").arg(written / ran / count, 0, 'f', 1),
         "", true);
    line("points logged, and in the database after the drain",
         QStringLiteral("%1 / %2").arg(steps).arg(stored), "equal", stored == steps);
    line("sweeps logged and missing from the database (lost)", QString::number(lostSweeps), "0",
         lostSweeps == 0);
    line("delivered → queryable, median / 99th percentile (s)",
         QStringLiteral("%1 / %2 (%3 sweeps)")
             .arg(median, 0, 'f', 2)
             .arg(p99, 0, 'f', 2)
             .arg(delays.size()),
         "median ≤ 2", median >= 0 && median <= kDelayTarget);
    line("collector", collectorText, "≤ 5 % of a core", collectorPercent <= kCollectorTarget);
    line("Mosquitto", brokerText, "", true);
    line("InfluxDB", influxText, "", true);
    line("nerimo --watch of 4 sensors (offscreen)", watchText, "≤ 0.5 % of a core",
         watchPercent <= kWatchTarget);
    const double drawMedian = Quantile(drawDelays, 0.5);
    const double drawWorst = Quantile(drawDelays, 0.99);
    line("delivered → drawn in a watching window, median / 99th percentile (s)",
         QStringLiteral("%1 / %2 (%3 sweeps)")
             .arg(drawMedian, 0, 'f', 3)
             .arg(drawWorst, 0, 'f', 3)
             .arg(drawDelays.size()),
         "≤ 0.5", !drawDelays.empty() && drawWorst <= kDrawTarget);
    return stored == steps && lostSweeps == 0 && median <= kDelayTarget &&
                   collectorPercent <= kCollectorTarget && watchPercent <= kWatchTarget &&
                   !drawDelays.empty() && Quantile(drawDelays, 0.99) <= kDrawTarget
               ? 0
               : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    return Run(arguments.value(1, "20").toInt(), arguments.value(2, "120").toDouble());
}
