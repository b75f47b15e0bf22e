// What the history costs, in its own window on the X screen: the memory of a full ring of
// 10,000 sweeps of 641 steps; one more sweep added and repainted at the window's default size;
// a 100 MB log in the rtl_power layout loaded while the window is asked to repaint 20 times a
// second.
//
// bench_history   prints "name value" lines: ring-kib, add-median-ms, add-max-ms,
//                 load-mb, load-mb-per-s, load-repaints-per-s, load-longest-gap-ms

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "DiskFileAccess.h"
#include "HistoryWindow.h"
#include "ProcessFigures.h"
#include "QtMessageBox.h"

namespace {

using nerimo::HistoryModel;
using nerimo::HistoryWindow;

constexpr int kSteps = 641;
constexpr long long kFirstHertz = 145000000;
constexpr long long kStepHertz = 12500;
constexpr int kTimedRows = 500;
constexpr qint64 kLogBytes = 100LL * 1000 * 1000;
constexpr int kHopValues = 80;  // a tuner's width at a time, as rtl_power's hops
constexpr int kHops = 8;

double ResidentKiB() {
    return nerimo::testing::StatusKiB(QCoreApplication::applicationPid(), "VmRSS").value_or(0);
}

// One sweep of a band with a signal that walks across it, as the sweep would report it.
void Sweep(HistoryModel& model, int index) {
    model.SweepBegan(
        {nerimo::BandPlan(kFirstHertz, kStepHertz, kSteps), QDateTime::currentDateTime()});
    nerimo::SweepSummary summary;
    for (int step = 0; step < kSteps; ++step) {
        const int level = step == index % kSteps ? 14 : (step * 7 + index) % 3;
        model.Measured(kFirstHertz + step * kStepHertz, level, nerimo::Reply::Answered);
        summary.Count(nerimo::Reply::Answered);
    }
    model.SweepEnded(summary);
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return QObject::eventFilter(watched, event);
    }
};

// A history window as the program opens it.
struct Window {
    explicit Window(const QString& folder)
        : state(folder + QStringLiteral("/Nerimo.ini")),
          window(model, activities, channels, state, messages, files, [](long long) {}) {
        window.view().installEventFilter(&paints);
        window.show();
        QCoreApplication::processEvents();
    }
    nerimo::platform::QtMessageBox messages{QStringLiteral("Nerimo")};
    nerimo::platform::DiskFileAccess files;
    nerimo::WindowState state;
    HistoryModel model;
    nerimo::ActivityTable activities;
    nerimo::Lockouts lockouts;
    nerimo::ChannelTable channels{lockouts};
    HistoryWindow window;
    PaintCounter paints;
};

// A log of 8 MHz sweeps in rtl_power's layout, a second apart, each in hops of 1 MHz.
QString WriteLog(const QString& folder) {
    QFile file(folder + QStringLiteral("/big.csv"));
    if (!file.open(QIODevice::WriteOnly)) {
        return {};
    }
    QList<QByteArray> values;  // dB as rtl_power writes them, ready to join
    for (int i = 0; i < 256; ++i) {
        values << ", " + QByteArray::number(-60.0 + i * 0.17, 'f', 2);
    }
    const QDateTime start(QDate(2026, 12, 7), QTime(8, 0));
    QByteArray row;
    for (int sweep = 0; file.size() < kLogBytes; ++sweep) {
        const QByteArray stamp = start.addSecs(sweep).toString("yyyy-MM-dd, HH:mm:ss").toLatin1();
        for (int hop = 0; hop < kHops; ++hop) {
            const long long low = kFirstHertz + hop * kHopValues * kStepHertz;
            row = stamp + ", " + QByteArray::number(low) + ", " +
                  QByteArray::number(low + kHopValues * kStepHertz) + ", 12500.00, 24";
            for (int i = 0; i < kHopValues; ++i) {
                row += values[((hop * kHopValues + i) * 31 + sweep * 7) % 256];
            }
            file.write(row + '\n');
        }
    }
    return file.fileName();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTemporaryDir dir;

    {
        Window history(dir.path());
        const double empty = ResidentKiB();
        for (size_t i = 0; i < HistoryModel::kCapacity; ++i) {
            Sweep(history.model, int(i));
        }
        QCoreApplication::processEvents();
        std::printf("ring-kib %.0f\n", ResidentKiB() - empty);

        // The ring full: each sweep added takes the oldest out.
        QList<double> times;
        for (int i = 0; i < kTimedRows; ++i) {
            // The steps come one at a time through a sweep; the row is added at its end.
            history.model.SweepBegan(
                {nerimo::BandPlan(kFirstHertz, kStepHertz, kSteps), QDateTime::currentDateTime()});
            nerimo::SweepSummary summary;
            for (int step = 0; step < kSteps; ++step) {
                history.model.Measured(kFirstHertz + step * kStepHertz, step % 17,
                                       nerimo::Reply::Answered);
                summary.Count(nerimo::Reply::Answered);
            }
            const int paints = history.paints.paints;
            QElapsedTimer clock;
            clock.start();
            history.model.SweepEnded(summary);
            while (history.paints.paints == paints) {
                QCoreApplication::processEvents();
            }
            times << clock.nsecsElapsed() / 1e6;
        }
        std::sort(times.begin(), times.end());
        std::printf("add-median-ms %.4f\nadd-max-ms %.4f\n", times[times.size() / 2], times.last());

        // Scrolled a page at a time from the newest to the oldest, and zoomed out and in a step
        // at a time: each change drawn and on the screen.
        nerimo::HistoryView& view = history.window.view();
        const auto timed = [&](const std::function<void()>& change) {
            const int paints = history.paints.paints;
            QElapsedTimer each;
            each.start();
            change();
            while (history.paints.paints == paints) {
                QCoreApplication::processEvents();
            }
            return each.nsecsElapsed() / 1e6;
        };
        QList<double> moves;
        for (int page = 1; page <= 20; ++page) {
            moves << timed([&] { view.ScrollTo(page * view.ScrollMaximum() / 20); });
        }
        nerimo::waterfall::Zoom zoom;
        for (int step = 0; step < 6; ++step) {
            zoom = zoom.Out();
            moves << timed([&] { view.SetFit(nerimo::HistoryView::Fit::Chosen, zoom); });
        }
        moves << timed([&] { view.SetFit(nerimo::HistoryView::Fit::All); });
        std::sort(moves.begin(), moves.end());
        std::printf("move-median-ms %.4f\nmove-max-ms %.4f\n", moves[moves.size() / 2],
                    moves.last());
    }

    const QString log = WriteLog(dir.path());
    if (log.isEmpty()) {
        std::fprintf(stderr, "bench_history: cannot write the log\n");
        return 1;
    }
    Window history(dir.path());
    QElapsedTimer clock;
    // Repaints asked for at 20 a second, and the longest gap between two asks (50 ms when nothing
    // holds the window up).
    QTimer ask;
    QElapsedTimer sinceTick;
    double longestStall = 0;
    QObject::connect(&ask, &QTimer::timeout, [&] {
        longestStall = std::max(longestStall, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.start();
        history.window.view().update();
    });
    clock.start();
    sinceTick.start();
    ask.start(50);
    history.window.LoadLog(log, false);
    while (history.window.view().model().rows().size() < HistoryModel::kCapacity) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    const double megabytes = QFileInfo(log).size() / 1e6;
    std::printf(
        "load-mb %.1f\nload-mb-per-s %.1f\nload-repaints-per-s %.1f\n"
        "load-longest-gap-ms %.1f\n",
        megabytes, megabytes / seconds, history.paints.paints / seconds, longestStall);
    return 0;
}
