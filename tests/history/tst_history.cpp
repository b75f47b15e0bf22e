#include <QtTest>
#include <cmath>
#include <limits>

#include "CoreFakes.h"
#include "HistoryModel.h"
#include "LogReader.h"
#include "Waterfall.h"

using nerimo::testing::AddRows;

namespace {

struct LogText {
    const char* name;
    QByteArray text;
    int sweeps;                // read
    QList<float> firstValues;  // of the first sweep; NaN where a hop left a gap
    long long firstHertz;
    int malformed;
    nerimo::HistoryUnit unit;
    QString refusal = {};  // the start of why the log is refused, with nothing read
    double step = 0;       // the first sweep's, when it is checked
    int decimals = -1;     // the values' own precision, when it is checked
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
           bool measured = true, int steps = 0,
           const QDateTime& time = QDateTime(QDate(2026, 12, 7), QTime(10, 20, 30))) {
    history.SweepBegan(
        {nerimo::BandPlan(first, 12500, int(steps > 0 ? steps : levels.size())), time});
    nerimo::SweepSummary summary;
    for (qsizetype i = 0; i < levels.size(); ++i) {
        const nerimo::Reply reply = measured ? nerimo::Reply::Answered : nerimo::Reply::NoReceiver;
        history.Measured(first + i * 12500, levels[i], reply);
        summary.Count(reply);
    }
    history.SweepEnded(summary);
}

}  // namespace

// A band over time: the history of the live run, and the logs read back into histories of their
// own.
class HistoryTest : public QObject {
    Q_OBJECT

  private slots:
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
            // rtl_power's step of 86805.5 Hz kept whole, its hops joined at the fraction, and its
            // values to the hundredth.
            {"a fractional step",
             "2026-12-07, 10:20:30, 88000000, 88173611, 86805.50, 3, -33.44, -40.5\n"
             "2026-12-07, 10:20:30, 88173611, 88347222, 86805.50, 3, -12.25, -20\n",
             1,
             {-33.44f, -40.5f, -12.25f, -20},
             88000000,
             0,
             nerimo::HistoryUnit::Decibel,
             {},
             86805.5,
             2},
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
            QVERIFY(row.step == 0 || first.stepHertz == row.step);
            QVERIFY(row.decimals < 0 || reader.Decimals() == row.decimals);
            QCOMPARE(first.values.size(), size_t(row.firstValues.size()));
            for (qsizetype i = 0; i < row.firstValues.size(); ++i) {
                const float value = first.values[size_t(i)];
                QVERIFY(std::isnan(row.firstValues[i]) ? std::isnan(value)
                                                       : value == row.firstValues[i]);
            }
        }
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

        // A log's dB to the hundredth, and its step's fraction, as the file has them.
        std::vector<nerimo::LoggedSweep> logged = {{QDateTime(QDate(2026, 12, 6), QTime(9, 0)),
                                                    144000000,
                                                    86805.5,
                                                    {-50.25f, -33.44f, NAN}}};
        history.Load(logged, nerimo::HistoryUnit::Decibel, -50.25, -33.44, 2, true);
        QCOMPARE(rows.size(), size_t(4));
        QCOMPARE(history.Value(rows[0], 0), std::optional<double>(-50.25));
        QCOMPARE(history.Value(rows[0], 1), std::optional<double>(-33.44));
        QCOMPARE(history.Value(rows[0], 2), std::nullopt);
        QCOMPARE(history.section(rows[0].section).HertzAt(2), 144173611.0);
        QCOMPARE(nerimo::HistoryModel::Shade(rows[0].cells[1], history.section(rows[0].section)),
                 1.0);
        QCOMPARE(history.Value(rows[3], 0), std::optional<double>(7));  // the run's, after it

        // A list's passes: a column a channel in the list's order, whatever the frequencies; a
        // channel not scanned in a pass (locked out meanwhile) is no value; another list is a
        // section of its own.
        nerimo::SweepPlan channels{{{145500000, std::nullopt, "A", false},
                                    {118100000, nerimo::Mode::Am, "B", false},
                                    {145600000, std::nullopt, "C", false}},
                                   nerimo::kStepHz,
                                   true};
        for (int pass = 0; pass < 2; ++pass) {
            history.SweepBegan({channels, QDateTime(QDate(2026, 12, 8), QTime(9, pass))});
            nerimo::SweepSummary summary;
            for (const auto& [hertz, level] : {std::pair{145500000LL, 3}, {145600000LL, 12}}) {
                history.Measured(hertz, level, nerimo::Reply::Answered);
                summary.Count(nerimo::Reply::Answered);
            }
            history.SweepEnded(summary);
            channels.steps[0].hertz += 12500;  // another list for the second pass
        }
        QCOMPARE(rows.size(), size_t(6));
        QCOMPARE(history.Value(rows[4], 0), std::optional<double>(3));
        QCOMPARE(history.Value(rows[4], 1), std::nullopt);
        QCOMPARE(history.Value(rows[4], 2), std::optional<double>(12));
        QCOMPARE(history.section(rows[4].section).HertzAt(1), 118100000.0);
        QCOMPARE(history.section(rows[4].section).HertzAt(2), 145600000.0);
        QVERIFY(rows[5].section != rows[4].section);

        for (int i = 0; i < 10001; ++i) {
            Sweep(history, 145000000, {i % 17});
        }
        QCOMPARE(rows.size(), nerimo::HistoryModel::kCapacity);
        QCOMPARE(history.Value(rows.back(), 0), std::optional<double>(10000 % 17));
        QCOMPARE(history.Value(rows.front(), 0), std::optional<double>(1));
    }

    // Zooming in time: as tall as fits up to a limit, or as many sweeps a row as needed; a step
    // in or out goes through 2, 3, 4, 6, 8 ... sweeps a row and 2, 4, 8 ... rows a sweep.
    void zoomsInTime() {
        using nerimo::waterfall::Zoom;
        const QList<std::tuple<size_t, int, int, Zoom>> fits = {
            {3, 574, 8, {8, 1}},   {3, 574, 574, {191, 1}}, {574, 574, 8, {1, 1}},
            {575, 574, 8, {1, 2}}, {2000, 574, 8, {1, 4}},  {0, 574, 8, {8, 1}},
        };
        for (const auto& [rows, height, tallest, zoom] : fits) {
            QCOMPARE(Zoom::ToFit(rows, height, tallest), zoom);
        }
        QStringList out;
        for (Zoom zoom{4, 1}; zoom.sweeps < 16; zoom = zoom.Out()) {
            out << zoom.Text();
        }
        QCOMPARE(out, QStringList({"4 pixel rows a sweep", "2 pixel rows a sweep", "1 row a sweep",
                                   "2 sweeps a row", "3 sweeps a row", "4 sweeps a row",
                                   "6 sweeps a row", "8 sweeps a row", "12 sweeps a row"}));
        Zoom back{1, 12};
        for (int i = 0; i < out.size() - 1; ++i) {
            back = back.In();
        }
        QCOMPARE(back, Zoom({4, 1}));
    }

    // Six hours of sweeps a minute apart, one pixel row each: the time axis labels the newest
    // sweep, then each round hour where it falls, the date where it changes (at midnight).
    void timeAxisFallsOnRoundTimes() {
        nerimo::HistoryModel history;
        const QDateTime start(QDate(2026, 12, 7), QTime(20, 7, 0));
        for (int i = 0; i < 360; ++i) {
            Sweep(history, 145000000, {1}, true, 0, start.addSecs(60 * i));
        }
        const auto labels = nerimo::waterfall::TimeLabels(history, {{1, 1}, 0}, 574, 40);
        QStringList seen;
        for (const auto& label : labels) {
            seen << QStringLiteral("%1 %2 %3").arg(label.y).arg(label.text, label.date).trimmed();
        }
        // The newest is 02:06; each hour's line lies under its first sweep, a pixel row a
        // minute from the top; 02:00 is too near the top's label to be written.
        QCOMPARE(seen, QStringList({"0 02:06:00 2026-12-08", "67 01:00", "127 00:00",
                                    "187 23:00 2026-12-07", "247 22:00", "307 21:00"}));
    }

    // Pictures fit the whole history: three sweeps fill the rows' area, a band each; two
    // thousand, four a pixel row, each row the strongest of its four; a new section's range is
    // written over the rows, readable.
    void picturesFitTheWholeHistory() {
        const QSize size(900, 620);
        const QRect area = nerimo::waterfall::Area(size);
        const auto grey = [](int level) {
            return QColor::fromRgb(
                nerimo::Colours(nerimo::Palette::Grey)[size_t(level / 16.0 * 255 + 0.5)]);
        };
        nerimo::HistoryModel few;
        for (const int level : {4, 8, 16}) {
            Sweep(few, 145000000, {level, level});
        }
        const QImage three = nerimo::waterfall::Picture(few, nerimo::Palette::Grey, size, {});
        QCOMPARE(three.size(), QSize(900, 620 + nerimo::waterfall::kCaptionHeight));
        const int band = area.height() / 3;
        for (const auto& [row, level] : {std::pair{0, 16}, std::pair{1, 8}, std::pair{2, 4}}) {
            for (const int y : {row * band, row * band + band - 1}) {
                QCOMPARE(three.pixelColor(area.left() + 10, area.top() + y), grey(level));
            }
        }

        nerimo::HistoryModel many;
        for (int i = 0; i < 2000; ++i) {
            Sweep(many, i < 1000 ? 145000000 : 146000000, {i == 1995 ? 16 : 2, 2});
        }
        const QImage rows = nerimo::waterfall::Picture(many, nerimo::Palette::Grey, size, "a.csv");
        // The newest four (1999 to 1996) in the first row, 1995 with its 16 in the second.
        QCOMPARE(rows.pixelColor(area.left() + 10, area.top()), grey(2));
        QCOMPARE(rows.pixelColor(area.left() + 10, area.top() + 1), grey(16));
        QCOMPARE(rows.pixelColor(area.left() + 10, area.top() + 2), grey(2));
        // The section of the newest thousand begins 250 rows down, its range over the rows.
        QCOMPARE(rows.pixelColor(area.right() - 10, area.top() + 249), QColor(Qt::white));
        QVERIFY(rows.pixelColor(area.left() + 6, area.top() + 249 - 4) != grey(2));
        QCOMPARE(rows.pixelColor(area.right() - 10, area.top() + 249 - 4), grey(2));
    }
};

QTEST_MAIN(HistoryTest)
#include "tst_history.moc"
