#include <QtTest>

#include "CoreFakes.h"
#include "FrequencyAtX.h"
#include "OutputFakes.h"
#include "Picture.h"
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

}  // namespace

// What outlives the sweep: the rows of the sweep log, and the picture as it is saved.
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
        settings.pauseSeconds = int16_t(row.pause);
        nerimo::testing::FakeReceiver receiver;
        nerimo::testing::RecordingPanel panel;
        panel.spanMHz = row.span;
        nerimo::testing::VirtualScheduler scheduler;
        nerimo::testing::FakeSurface surface;
        nerimo::Plot plot(surface, 0);
        nerimo::Sweep sweep(settings, receiver, plot, panel, scheduler);
        receiver.open = row.receiver;
        int reads = 0;  // a signal at the second step, gone after three reads in a hold
        receiver.answer = [&](const QByteArray& last) {
            return last == "145.0125N" && ++reads <= 3 ? std::optional<int>(7)
                   : row.silent                        ? std::nullopt
                                                       : std::optional<int>(0);
        };
        nerimo::testing::FakeAppendFile file;
        nerimo::testing::FakeMessageBox messages;
        const nerimo::testing::FixedClock clock;
        nerimo::SweepLog log(file, messages, clock);
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

    // The picture is the plot, a row of the window's grey, then the scale strip; one that cannot
    // be saved says why, and an old picture of that name stays whole.
    void picturesAreSavedWholeOrNotAtAll() {
        QImage plot(720, 350, QImage::Format_RGB32);
        plot.fill(Qt::black);
        plot.setPixel(44, 339, qRgb(0, 255, 0));
        QImage scale(720, 15, QImage::Format_RGB32);
        scale.fill(Qt::white);
        const QImage picture = nerimo::PlotPicture(plot, scale);
        QCOMPARE(picture.size(), QSize(720, 366));
        QCOMPARE(picture.pixel(44, 339), qRgb(0, 255, 0));
        QCOMPARE(picture.pixel(0, 350), qRgb(64, 64, 64));
        QCOMPARE(picture.pixel(0, 351), qRgb(255, 255, 255));

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

QTEST_GUILESS_MAIN(OutputsTest)
#include "tst_outputs.moc"
