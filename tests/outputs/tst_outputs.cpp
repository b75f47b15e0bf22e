#include <QtTest>

#include "ActivityLog.h"
#include "CoreFakes.h"
#include "FrequencyAtX.h"
#include "HoldLegend.h"
#include "OutputFakes.h"
#include "Picture.h"
#include "PlotGeometry.h"
#include "Sweep.h"
#include "SweepLog.h"

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

struct Holds {
    const char* name;
    std::vector<nerimo::Hold> shown;
    QString caption;
    int height;  // of the picture
};

}  // namespace

// What outlives the sweep: the rows of the sweep log and of the activity log, and the picture as
// it is saved.
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
        nerimo::testing::FakeMessageBox messages;
        nerimo::testing::FakeAppendFile file;
        nerimo::ActivityLog log(file, messages);
        nerimo::testing::RecordingActivities relayed;  // as a sensor hears the log
        log.Listen(relayed);
        QVERIFY(log.Start(QStringLiteral("new.csv")));
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
        existing.written = "earlier\n";
        nerimo::ActivityLog more(existing, messages);
        QVERIFY(more.Start(QStringLiteral("old.csv")));
        QCOMPARE(existing.written, QByteArray("earlier\n"));

        file.refusal = QStringLiteral("No space left on device");
        log.ActivityChanged(activity, nerimo::ActivityEvent::Ended);
        QVERIFY(!log.Logging());
        log.ActivityChanged(activity, nerimo::ActivityEvent::Ended);  // not logged, not relayed
        QCOMPARE(relayed.seen, QStringList("E 145.5125 14 7 Rpt \"A\", north"));
        QCOMPARE(messages.notified, QStringList("The activity log new.csv cannot be written (No "
                                                "space left on device); activity logging "
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

    // The picture is the plot, a row of the window's grey, the scale strip, then a caption strip
    // with text in it; one that cannot be saved says why, and an old picture of that name stays
    // whole.
    void picturesAreSavedWholeOrNotAtAll() {
        QImage plot(720, 350, QImage::Format_RGB32);
        plot.fill(Qt::black);
        plot.setPixel(44, 339, qRgb(0, 255, 0));
        QImage scale(720, 15, QImage::Format_RGB32);
        scale.fill(Qt::white);
        const QImage picture =
            nerimo::PlotPicture(plot, scale,
                                {145,
                                 1,
                                 QDateTime(QDate(2026, 12, 7), QTime(10, 20, 30)),
                                 nerimo::Mode::Fm,
                                 "/dev/x",
                                 {},
                                 {}});
        QCOMPARE(picture.size(), QSize(720, 406));
        QCOMPARE(picture.pixel(44, 339), qRgb(0, 255, 0));
        QCOMPARE(picture.pixel(0, nerimo::kPlotHeight), qRgb(64, 64, 64));  // the window's grey
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

    // With hold traces shown, the picture has their legend in the margin right of the grid, each
    // name in its trace's colour, and a caption line more that names them; with none, not a pixel
    // of either.
    void pictureNamesTheHoldsShown_data() {
        using enum nerimo::Hold;
        AddRows<Holds>({
            {"none", {}, "", 406},
            {"max", {Max}, "holds: max (magenta)", 426},
            {"max and average", {Max, Average}, "holds: max (magenta), avg (yellow)", 426},
            {"all three",
             {Max, Min, Average},
             "holds: max (magenta), min (blue), avg (yellow)",
             426},
        });
    }
    void pictureNamesTheHoldsShown() {
        QFETCH(Holds, row);
        QImage plot(720, 350, QImage::Format_RGB32);
        plot.fill(Qt::black);
        plot.setPixel(684, 3, qRgb(0, 255, 0));  // the last point, at level 16
        QImage scale(720, 15, QImage::Format_RGB32);
        scale.fill(Qt::black);
        const QImage picture = nerimo::PlotPicture(
            plot, scale, {145, 1, QDateTime(), nerimo::Mode::Fm, "/dev/x", row.shown, {}});
        QCOMPARE(nerimo::HoldsCaption(row.shown), row.caption);
        QCOMPARE(picture.height(), row.height);
        QCOMPARE(picture.copy(0, 0, 686, 350), plot.copy(0, 0, 686, 350));
        QSet<QRgb> margin;
        for (int y = 0; y < 350; ++y) {
            for (int x = 686; x < 720; ++x) {
                margin.insert(picture.pixel(x, y));
            }
        }
        // Text is smoothed on black: a shade of the colour, at half its brightness or more.
        const auto shadeOf = [&](QRgb colour) {
            return std::ranges::any_of(margin, [colour](QRgb pixel) {
                const double k = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}) / 255.0;
                return k >= 0.5 && std::abs(qRed(pixel) - k * qRed(colour)) <= 2 &&
                       std::abs(qGreen(pixel) - k * qGreen(colour)) <= 2 &&
                       std::abs(qBlue(pixel) - k * qBlue(colour)) <= 2;
            });
        };
        for (const auto& [hold, colour] : {std::pair{nerimo::Hold::Max, qRgb(255, 0, 255)},
                                           std::pair{nerimo::Hold::Min, qRgb(0, 128, 255)},
                                           std::pair{nerimo::Hold::Average, qRgb(255, 255, 0)}}) {
            QCOMPARE(shadeOf(colour), std::ranges::count(row.shown, hold) == 1);
        }
        QCOMPARE(margin.size() == 1, row.shown.empty());  // all black
        int text = 0;  // light pixels under the caption's first two lines
        for (int y = 406; y < picture.height(); ++y) {
            for (int x = 0; x < 720; ++x) {
                text += qGray(picture.pixel(x, y)) > 160;
            }
        }
        QCOMPARE(text > 50, !row.shown.empty());
    }
};

QTEST_MAIN(OutputsTest)
#include "tst_outputs.moc"
