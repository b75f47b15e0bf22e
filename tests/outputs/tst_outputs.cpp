#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <cmath>
#include <limits>

#include "ActivityLog.h"
#include "CoreFakes.h"
#include "FrequencyAtX.h"
#include "HistoryModel.h"
#include "LogReader.h"
#include "OutputFakes.h"
#include "Picture.h"
#include "Sweep.h"
#include "SweepLog.h"
#include "SweepPublisher.h"

using nerimo::testing::AddRows;

namespace {

struct Logged {
    const char* name;
    int span;
    int pause = 0;
    int stopAtStep = 0;  // the stop button when this step is tuned; 0 for none
    bool receiver = true;
    QByteArray row = {};  // its start, or nothing when no row is to be written
    bool silent = false;  // the receiver answers nothing but the signal
};

struct LogText {
    const char* name;
    QByteArray text;
    int sweeps;                // read
    QList<float> firstValues;  // of the first sweep; NaN where a hop left a gap
    long long firstHertz;
    int malformed;
    nerimo::HistoryUnit unit;
    QString refusal = {};  // the start of why the log is refused, with nothing read
};

// The lowest of the values that are there.
double Lowest(const QList<float>& values) {
    double lowest = INFINITY;
    for (const float value : values) {
        lowest = std::isnan(value) ? lowest : std::min(lowest, double(value));
    }
    return lowest;
}

// A sweep of `steps` steps into the history, as the sweep tells it, measured as far as the levels
// go.
void Sweep(nerimo::HistoryModel& history, long long first, const QList<int>& levels,
           bool measured = true, int steps = 0) {
    history.SweepBegan({{first, 12500, int(steps > 0 ? steps : levels.size())},
                        QDateTime(QDate(2026, 12, 7), QTime(10, 20, 30))});
    nerimo::SweepSummary summary;
    for (qsizetype i = 0; i < levels.size(); ++i) {
        const nerimo::Reply reply = measured ? nerimo::Reply::Answered : nerimo::Reply::NoReceiver;
        history.Measured(first + i * 12500, levels[i], reply);
        summary.Count(reply);
    }
    history.SweepEnded(summary);
}

}  // namespace

// What outlives the sweep: the rows of the sweep log, the history and the logs it reads back,
// and the picture as it is saved.
class OutputsTest : public QObject {
    Q_OBJECT

  private slots:
    // The sweep log: a row per sweep, "date, time, Hz low, Hz high, 12500, 1, levels", the
    // levels as plotted, as many as the steps from low to high, each for the frequency of its
    // plot point; none for a sweep that measured nothing.
    void sweepLogRows_data() {
        AddRows<Logged>({
            {"1 MHz", 1, 0, 0, true, "2026-12-07, 10:20:30, 145000000, 146000000, 12500, 1, 0, 7"},
            {"8 MHz", 8, 0, 0, true, "2026-12-07, 10:20:30, 145000000, 153000000, 12500, 1, 0, 7"},
            {"stopped", 1, 0, 3, true, "2026-12-07, 10:20:30, 145000000, 145037500, 12500, 1, 0"},
            {"held", 1, 99, 0, true, "2026-12-07, 10:20:30, 145000000, 146000000, 12500, 1, 0, 7"},
            {"no receiver", 1, 0, 0, false},
            {"silent but for the signal", 1, 0, 0, true,
             "2026-12-07, 10:20:30, 145000000, 146000000, 12500, 1, 0, 7, 0", true},
        });
    }
    void sweepLogRows() {
        QFETCH(Logged, row);
        nerimo::Settings settings;
        settings.spanMHz = int16_t(row.span);
        settings.pause = nerimo::testing::PauseFor(row.pause);
        nerimo::testing::FakeReceiver receiver;
        nerimo::testing::RecordingPanel panel;
        panel.spanMHz = row.span;
        nerimo::testing::VirtualScheduler scheduler;
        nerimo::testing::FakeSurface surface;
        nerimo::Plot plot(surface, 0);
        const nerimo::Lockouts lockouts;
        nerimo::testing::FixedClock clock;
        clock.now = QDateTime(QDate(2026, 12, 7), QTime(10, 20, 30));
        nerimo::Sweep sweep(settings, lockouts, receiver, plot, panel, scheduler, clock);
        receiver.open = row.receiver;
        int reads = 0;  // a signal at the second step, gone after three reads in a hold
        receiver.answer = [&](const QByteArray& last) {
            return last == "145.0125N" && ++reads <= 3 ? std::optional<int>(7)
                   : row.silent                        ? std::nullopt
                                                       : std::optional<int>(0);
        };
        nerimo::testing::FakeAppendFile file;
        nerimo::testing::FakeMessageBox messages;
        nerimo::SweepLog log(file, messages);
        QVERIFY(log.Start(QStringLiteral("sweeps.csv")));
        sweep.Listen(log);
        sweep.RunSweep();
        if (row.row.isEmpty()) {  // into the second sweep, and still nothing
            QVERIFY(scheduler.RunUntil(
                [&] { return panel.calls.filter("MHz 145.0000").size() == 2; }, 300));
            QVERIFY(file.written.isEmpty());
            return;
        }
        QVERIFY(scheduler.RunUntil(
            [&] {
                if (row.stopAtStep > 0 && panel.calls.filter("MHz ").size() == row.stopAtStep + 1) {
                    sweep.RequestStop();
                }
                return !file.written.isEmpty();
            },
            300));
        QVERIFY(file.written.startsWith(row.row));
        const QList<QByteArray> fields = file.written.trimmed().split(',');
        const int levels = int(fields.size()) - 6;
        QCOMPARE(levels, (fields[3].toInt() - fields[2].toInt()) / 12500 + 1);
        for (int i = 0; i < levels; ++i) {  // the column of each level's point, read back
            const int x = 44 + i * plot.PixelsPerStep();
            QCOMPARE(
                nerimo::Hertz(*nerimo::FrequencyAtX(x, 145, 145 + row.span, plot.PixelsPerStep())),
                fields[2].toLongLong() + i * 12500);
        }
        QCOMPARE(file.written.count('\n'), 1);
    }

    // The activity log: a header line on a new file only, a row for an activity once it has
    // ended, its name quoted where it holds a comma or a quote, its times in UTC; a write error
    // stops it with a message that does not wait.
    void activityLogRows() {
        const QTemporaryDir dir;
        QFile old(dir.filePath(QStringLiteral("old.csv")));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("earlier\n") == 8);
        old.close();
        nerimo::testing::FakeMessageBox messages;
        nerimo::testing::FakeAppendFile file;
        nerimo::ActivityLog log(file, messages);
        nerimo::testing::RecordingActivities relayed;  // as a sensor hears the log
        log.Listen(relayed);
        QVERIFY(log.Start(dir.filePath(QStringLiteral("new.csv"))));
        const QDateTime first(QDate(2026, 12, 7), QTime(14, 5, 31), QTimeZone(3600));
        const nerimo::Activity activity{
            145512500, QStringLiteral("Rpt \"A\", north"), 14, first, first.addSecs(95), 7};
        log.ActivityChanged(activity, nerimo::ActivityEvent::Started);
        log.ActivityChanged(activity, nerimo::ActivityEvent::Heard);
        log.ActivityChanged(activity, nerimo::ActivityEvent::Ended);
        QCOMPARE(file.written,
                 QByteArray("Frequency_Hz,Frequency_MHz,Name,Max_Level,Start_Timestamp,"
                            "End_Timestamp,Duration_Seconds,Sweeps\n"
                            "145512500,145.5125,\"Rpt \"\"A\"\", north\",14,2026-12-07T13:05:31Z,"
                            "2026-12-07T13:07:06Z,95,7\n"));
        nerimo::testing::FakeAppendFile existing;
        nerimo::ActivityLog more(existing, messages);
        QVERIFY(more.Start(old.fileName()));
        QVERIFY(existing.written.isEmpty());

        file.refusal = QStringLiteral("No space left on device");
        log.ActivityChanged(activity, nerimo::ActivityEvent::Ended);
        QVERIFY(!log.Logging());
        log.ActivityChanged(activity, nerimo::ActivityEvent::Ended);  // not logged, not relayed
        QCOMPARE(relayed.seen, QStringList("E 145.5125 14 7 Rpt \"A\", north"));
        QCOMPARE(messages.notified,
                 QStringList("The activity log " + dir.filePath(QStringLiteral("new.csv")) +
                             " cannot be written (No space left on device); activity logging "
                             "has stopped."));
        QVERIFY(messages.shown.isEmpty());
    }

    // A name from a bookmarks file is text to a spreadsheet, never a formula, and one field.
    void activityNamesAreText_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("field");
        for (const auto& [name, field] : QList<QPair<const char*, const char*>>{
                 {"Net 2", "Net 2"},
                 {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
                 {"+44 net", "'+44 net"},
                 {"-R6", "'-R6"},
                 {"@home", "'@home"},
                 {"\tTab", "'\tTab"},
                 {"\rCR\nLF", "' CR LF"},
                 {"=a,b", "\"'=a,b\""},
                 {"Calling, north", "\"Calling, north\""},
             }) {
            QTest::newRow(name) << QString::fromUtf8(name) << QByteArray(field);
        }
    }
    void activityNamesAreText() {
        QFETCH(QString, name);
        QFETCH(QByteArray, field);
        const QDateTime time(QDate(2026, 12, 7), QTime(14, 5, 31), QTimeZone::utc());
        QCOMPARE(
            nerimo::ActivityLog::Row({145500000, name, 9, time, time, 1}),
            "145500000,145.5000," + field + ",9,2026-12-07T14:05:31Z,2026-12-07T14:05:31Z,0,1");
    }

    // A log that would ask for more than a history holds is refused, not held: a line longer
    // than 64 MB (a file with no line end), without keeping it whole.
    void logsThatAskTooMuch() {
        nerimo::LogReader reader;
        const QByteArray piece(1 << 20, '7');
        for (int i = 0; i < 70; ++i) {
            reader.Feed(piece);
        }
        reader.Finish();
        QCOMPARE(reader.Refusal(), QStringLiteral("line 1 is longer than 64 MB"));
        QVERIFY(reader.sweeps().empty());
    }

    // The sensor's messages: each measured sweep and, retained, the last whole one and the
    // state, in order once the broker takes them; while it is away up to 1,000 sweeps wait and
    // the oldest go, counted; said once that it is away, back, or refuses us.
    void publishesTheSweeps() {
        nerimo::testing::FakeBroker broker;
        nerimo::testing::FixedClock clock;
        clock.now = QDateTime(QDate(2026, 12, 7), QTime(10, 20, 30), QTimeZone(3600));
        QStringList said;
        nerimo::SweepPublisher publisher({broker,
                                          clock,
                                          {"h", 1883, false, {}, "band", "s1", {}, {}},
                                          QStringLiteral("/dev/ttyUSB0"),
                                          [&](const QString& why) { said << "refused: " + why; },
                                          [&](const QString& why) { said << "rejected: " + why; },
                                          [&](const QString& line) { said << line; }});
        // A sweep of 145 MHz and the steps after it, 12.5 kHz apart, its first level `first`.
        const auto sweep = [&](int first, int steps, int measured, bool answered = true) {
            publisher.SweepBegan({{145000000, 12500, steps + 1}, clock.now, nerimo::Mode::Fm});
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
        broker.Say(nerimo::Broker::Event::Connected);
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
                                    "The broker at h:1883 is back."}));

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
    // even so is dropped and said once; a topic the broker refuses is said once and each message
    // counted; a broker of MQTT 3.1.1 is said to hide its refusals.
    void publishesWhatTheBrokerTakes() {
        nerimo::testing::FakeBroker broker;
        nerimo::testing::FixedClock clock;
        QStringList said;
        const auto say = [&](const QString& line) { said << line; };
        nerimo::SweepPublisher publisher({broker,
                                          clock,
                                          {"h", 1883, false, {}, "band", "s1", {}, {}},
                                          QStringLiteral("/dev/ttyUSB0"),
                                          say,
                                          say,
                                          say});
        const auto sweep = [&](int steps) {
            publisher.SweepBegan({{145000000, 12500, steps}, clock.now, nerimo::Mode::Am});
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
        QCOMPARE(said, QStringList(QStringLiteral("The broker at h:1883 takes messages of up to "
                                                  "300 bytes; a sweep of 101 steps goes in %1 "
                                                  "parts.")
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

    // A log in the layout of rtl_power's CSV: rows with the same date and time are one sweep in
    // pieces, each value at its own frequency; a line that is no such row is skipped and
    // counted; whole levels 0 to 16 are the program's own, anything else dB. Fed in pieces cut
    // anywhere, even inside a line.
    void logsAreReadBack_data() {
        const float gap = std::numeric_limits<float>::quiet_NaN();
        AddRows<LogText>({
            {"the program's own",
             "2026-12-07, 10:20:30, 145000000, 145025000, 12500, 1, 0, 7, 16\n"
             "2026-12-07, 10:20:45, 145000000, 145025000, 12500, 1, 1, 2, 3\n",
             2,
             {0, 7, 16},
             145000000,
             0,
             nerimo::HistoryUnit::Level},
            {"rtl_power's hops joined",
             "2026-12-07, 10:20:30, 144000000, 144020000, 10000, 3, -40.5, -41.0\n"
             "2026-12-07, 10:20:30, 144020000, 144040000, 10000, 3, -39.5, -12.25\r\n"
             "2026-12-07, 10:20:35, 144000000, 144020000, 10000, 3, -40.5, -41.0\n",
             2,
             {-40.5f, -41.0f, -39.5f, -12.25f},
             144000000,
             0,
             nerimo::HistoryUnit::Decibel},
            {"a hop left out",
             "2026-12-07, 10:20:30, 144000000, 144010000, 10000, 3, -40\n"
             "2026-12-07, 10:20:30, 144030000, 144040000, 10000, 3, -30\n",
             1,
             {-40, gap, gap, -30},
             144000000,
             0,
             nerimo::HistoryUnit::Decibel},
            {"malformed lines",
             "an earlier survey\n"
             "2026-12-07, 10:20:30, 145000000, 145012500, 12500, 1, 3, x\n"
             "2026-12-07, 10:20:30, 145000000\n"
             "2026-13-07 10:20:30, 145000000, 145012500, 12500, 1, 3, 4\n"
             "2026-12-07, 10:20:31, 145000000, 145012500, 0, 1, 3, 4\n"
             "\n"
             "2026-12-07, 10:20:45, 145000000, 145012500, 12500, 1, 5, 6",
             1,
             {5, 6},
             145000000,
             5,
             nerimo::HistoryUnit::Level},
            // A fast radio: three sweeps in one second, each its own.
            {"sweeps that share a second",
             "2026-12-07, 10:20:30, 145000000, 145012500, 12500, 1, 1, 2\n"
             "2026-12-07, 10:20:30, 145000000, 145012500, 12500, 1, 3, 4\n"
             "2026-12-07, 10:20:30, 145000000, 145012500, 12500, 1, 5, 6\n",
             3,
             {1, 2},
             145000000,
             0,
             nerimo::HistoryUnit::Level},
            {"hops in reverse, joined",
             "2026-12-07, 10:20:30, 144020000, 144040000, 10000, 3, -39.5, -12.25\n"
             "2026-12-07, 10:20:30, 144000000, 144020000, 10000, 3, -40.5, -41.0\n",
             1,
             {-40.5f, -41.0f, -39.5f, -12.25f},
             144000000,
             0,
             nerimo::HistoryUnit::Decibel},
            // rtl_power's bin with no power is a step with no value, never part of the range.
            {"no power, and numbers cut short",
             "2026-12-07, 10:20:30, 144000000, 144030000, 10000, 3, -inf, -40.5, nan, inf\n"
             "2026-12-07, 10:20:35, 144000000, 144010000, 10000, 3, -52., -40\n",
             1,
             {gap, -40.5f, gap, gap},
             144000000,
             1,
             nerimo::HistoryUnit::Decibel},
            {"hops 500 MHz apart at 1 Hz",
             "2026-12-07, 10:20:30, 100000000, 100000001, 1, 1, -40, -41\n"
             "2026-12-07, 10:20:30, 600000000, 600000001, 1, 1, -40, -41\n",
             0,
             {},
             0,
             0,
             nerimo::HistoryUnit::Decibel,
             "line 2: its sweep, from 100,000,000 Hz on at a step of 1 Hz, would be more than "
             "1,000,000 columns"},
            {"hops that add up to too wide a sweep",
             "2026-12-07, 10:20:30, 100000000, 100000001, 1, 1, -40, -41\n"
             "2026-12-07, 10:20:30, 101000000, 101000001, 1, 1, -40, -41\n",
             0,
             {},
             0,
             0,
             nerimo::HistoryUnit::Decibel,
             "line 2: its sweep, from 100,000,000 Hz on at a step of 1 Hz, would be 1,000,002 "
             "columns"},
        });
    }
    void logsAreReadBack() {
        QFETCH(LogText, row);
        for (const qsizetype cut : {qsizetype(1), qsizetype(37), row.text.size() - 1}) {
            nerimo::LogReader reader;
            reader.Feed(QByteArrayView(row.text).first(cut));
            reader.Feed(QByteArrayView(row.text).sliced(cut));
            reader.Finish();
            QVERIFY2(reader.Refusal().startsWith(row.refusal) &&
                         reader.Refusal().isEmpty() == row.refusal.isEmpty(),
                     qPrintable(reader.Refusal()));
            QCOMPARE(int(reader.sweeps().size()), row.sweeps);
            if (row.sweeps == 0) {
                continue;
            }
            // Of every row here the lowest value is in its first sweep.
            QCOMPARE(reader.Low(), Lowest(row.firstValues));
            QCOMPARE(reader.Malformed(), row.malformed);
            QCOMPARE(reader.Unit(), row.unit);
            const nerimo::LoggedSweep& first = reader.sweeps().front();
            QCOMPARE(first.firstHertz, row.firstHertz);
            QCOMPARE(first.values.size(), size_t(row.firstValues.size()));
            for (qsizetype i = 0; i < row.firstValues.size(); ++i) {
                const float value = first.values[size_t(i)];
                QVERIFY(std::isnan(row.firstValues[i]) ? std::isnan(value)
                                                       : value == row.firstValues[i]);
            }
        }
    }

    // The history: a row for each sweep that measured, none for one that did not; a new section
    // where the span or the start changes, old rows keeping theirs; the last 10,000 rows kept;
    // a log loaded before the rows of the run, its dB scaled over its own range.
    void historyKeepsTheSweeps() {
        nerimo::HistoryModel history;
        Sweep(history, 145000000, {1, 2, 3});
        Sweep(history, 145000000, {0, 0, 0}, false);
        Sweep(history, 145000000, {4, 5}, true, 3);  // stopped short of its last step
        Sweep(history, 146000000, {7, 8, 9});
        const auto& rows = history.rows();
        QCOMPARE(rows.size(), size_t(3));
        QCOMPARE(rows[0].section, rows[1].section);
        QVERIFY(rows[2].section != rows[1].section);
        QCOMPARE(history.section(rows[2].section).firstHertz, 146000000LL);
        QCOMPARE(history.Value(rows[1], 1), std::optional<double>(5));
        QCOMPARE(history.Value(rows[1], 2), std::nullopt);
        QCOMPARE(rows[0].time, QDateTime(QDate(2026, 12, 7), QTime(10, 20, 30)));

        std::vector<nerimo::LoggedSweep> logged = {
            {QDateTime(QDate(2026, 12, 6), QTime(9, 0)), 144000000, 10000, {-50, -10, NAN}}};
        history.Load(logged, nerimo::HistoryUnit::Decibel, -50, -10, true);
        QCOMPARE(rows.size(), size_t(4));
        QCOMPARE(history.Value(rows[0], 0), std::optional<double>(-50));
        QCOMPARE(history.Value(rows[0], 1), std::optional<double>(-10));
        QCOMPARE(history.Value(rows[0], 2), std::nullopt);
        QCOMPARE(history.Value(rows[3], 0), std::optional<double>(7));  // the run's, after it

        for (int i = 0; i < 10001; ++i) {
            Sweep(history, 145000000, {i % 17});
        }
        QCOMPARE(rows.size(), nerimo::HistoryModel::kCapacity);
        QCOMPARE(history.Value(rows.back(), 0), std::optional<double>(10000 % 17));
        QCOMPARE(history.Value(rows.front(), 0), std::optional<double>(1));
    }

    // The picture is the plot, a row of the window's grey, the scale strip, then a caption strip
    // with text in it; one that cannot be saved says why, and an old picture of that name stays
    // whole.
    void picturesAreSavedWholeOrNotAtAll() {
        QImage plot(720, 350, QImage::Format_RGB32);
        plot.fill(Qt::black);
        plot.setPixel(44, 339, qRgb(0, 255, 0));
        QImage scale(720, 15, QImage::Format_RGB32);
        scale.fill(Qt::white);
        const QImage picture = nerimo::PlotPicture(
            plot, scale,
            {145, 1, QDateTime(QDate(2026, 12, 7), QTime(10, 20, 30)), nerimo::Mode::Fm, "/dev/x"});
        QCOMPARE(picture.size(), QSize(720, 406));
        QCOMPARE(picture.pixel(44, 339), qRgb(0, 255, 0));
        QCOMPARE(picture.pixel(0, 350), qRgb(64, 64, 64));
        QCOMPARE(picture.pixel(0, 351), qRgb(255, 255, 255));
        int text = 0;  // light pixels of the caption's two lines
        for (int y = 366; y < 406; ++y) {
            for (int x = 0; x < 720; ++x) {
                text += qGray(picture.pixel(x, y)) > 160;
            }
        }
        QVERIFY2(text > 200, qPrintable(QString::number(text)));

        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("plot.png"));
        QString error;
        QVERIFY(nerimo::SavePicture(picture, path, &error));
        QCOMPARE(QImage(path), picture);
        QVERIFY(!nerimo::PictureRefused(path));
        QCOMPARE(nerimo::PictureRefused(dir.filePath(QStringLiteral("none/plot.png"))),
                 QStringLiteral("No such file or directory"));
        QVERIFY(!nerimo::SavePicture(QImage(), path, &error));  // nothing to save
        QCOMPARE(QImage(path), picture);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"plot.png"});
    }
};

QTEST_MAIN(OutputsTest)
#include "tst_outputs.moc"
