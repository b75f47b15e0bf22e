#pragma once

// The core's fakes: its interfaces in memory, and virtual time, so that a whole sweep with pauses
// and holds runs in milliseconds. QtCore only, as the core is.

#include <QLocale>
#include <QMap>
#include <QStringList>
#include <QTest>
#include <algorithm>
#include <clocale>
#include <functional>
#include <optional>
#include <vector>

#include "Activity.h"
#include "Clock.h"
#include "Frequency.h"
#include "LinePixels.h"
#include "MessageBox.h"
#include "Panel.h"
#include "PlotGeometry.h"
#include "Receiver.h"
#include "Scheduler.h"
#include "Surface.h"
#include "SweepListener.h"

namespace nerimo::testing {

// A table of cases, one row each, named by the row's `name`: the test takes it with
// QFETCH(Row, row).
template <typename Row>
void AddRows(const QList<Row>& rows) {
    QTest::addColumn<Row>("row");
    for (const Row& row : rows) {
        QTest::newRow(row.name) << row;
    }
}

// PAUSE= as a number: 99 a hold, 1 to 10 a dwell, anything else none.
inline Pause PauseFor(int seconds) {
    return seconds == 99                  ? Pause{Pause::Kind::Hold, 0}
           : seconds > 0 && seconds <= 10 ? Pause{Pause::Kind::Dwell, seconds}
                                          : Pause{};
}

// The C library and Qt on a comma-decimal locale, as Qt's start-up leaves them on such a system;
// false when the system has no such locale.
inline bool UseCommaLocale() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

struct FakeMessageBox : MessageBox {
    QStringList shown;     // modal
    QStringList notified;  // without a wait
    void Show(const QString& text) override { shown << text; }
    void Notify(const QString& text) override { notified << text; }
};

// A fixed time of day.
struct FixedClock : Clock {
    QDateTime now{QDate(2026, 12, 7), QTime(10, 20, 30)};
    QDateTime Now() const override { return now; }
};

// Virtual time: the pending piece of work runs as soon as it is asked for, the clock moving on
// to its time.
struct VirtualScheduler : Scheduler {
    double now = 0.0;
    double due = 0.0;
    Task task;

    void After(double seconds, Task next) override {
        due = now + seconds;
        task = std::move(next);
    }
    void Soon(Task next) override { After(0, std::move(next)); }
    void Cancel() override { task = nullptr; }

    // Runs one piece at a time until the condition holds, for at most `limit` virtual seconds.
    bool RunUntil(const std::function<bool()>& condition, double limit) {
        const double end = now + limit;
        while (!condition()) {
            if (!task || due > end) {
                now = std::max(now, end);
                return false;
            }
            now = std::max(now, due);
            std::exchange(task, nullptr)();
        }
        return true;
    }
    void RunFor(double seconds) {
        RunUntil([] { return false; }, seconds);
    }
};

// A surface in memory, drawn pixel for pixel as the window's surfaces draw.
struct FakeSurface : Surface {
    int width;
    int height;
    std::vector<Rgb> pixels;
    FakeSurface(int w = kPlotWidth, int h = kPlotHeight) : width(w), height(h) { Erase(); }
    void Erase() override { pixels.assign(size_t(width) * size_t(height), MakeRgb(0, 0, 0)); }
    void DrawLine(int x1, int y1, int x2, int y2, Rgb color) override {
        ForEachLinePixel(x1, y1, x2, y2, [&](int x, int y) {
            if (x >= 0 && x < width && y >= 0 && y < height) {
                pixels[size_t(y) * size_t(width) + size_t(x)] = color;
            }
        });
    }
    void DrawPixels(const Rgb* from, int w, int h) override {
        for (int y = 0; y < std::min(h, height); ++y) {
            std::copy_n(from + size_t(y) * size_t(w), std::min(w, width),
                        pixels.begin() + ptrdiff_t(y) * width);
        }
    }
    void Present() override {}
    Rgb PixelAt(int x, int y) const override {
        return pixels[size_t(y) * size_t(width) + size_t(x)];
    }
};

// Remembers what the sweep showed, and offers the choices a test sets.
struct RecordingPanel : Panel {
    QStringList calls;
    Mode mode = Mode::Fm;
    int spanMHz = 1;
    bool clearAtStart = false;
    bool grid = false;

    void SetStatus(Status status) override {
        static const char* const kNames[] = {"none", "scan", "pause", "no receiver"};
        calls << QStringLiteral("status %1").arg(QLatin1String(kNames[int(status)]));
    }
    void SetTunedText(const QString& text) override { calls << text; }
    void SetContinueOffered(bool offered) override {
        calls << QStringLiteral("continue %1").arg(offered ? "offered" : "gone");
    }
    Mode ChosenMode() const override { return mode; }
    int ChosenSpanMHz() const override { return spanMHz; }
    bool ClearAtStart() const override { return clearAtStart; }
    bool Grid() const override { return grid; }
};

// A receiver in memory: records each tuning as its wire text (145.0125N) and answers each read
// with the level `answer` gives for the last one (nothing: no answer), at once or, with `later`,
// when Answer is called.
struct FakeReceiver : Receiver {
    bool open = true;
    bool answering = true;
    QList<QByteArray> tuned;
    std::function<std::optional<int>(const QByteArray& last)> answer = [](const QByteArray&) {
        return std::optional<int>(0);
    };
    bool later = false;
    QList<std::function<void()>> answers;
    const double* now = nullptr;  // a virtual clock, to stamp each command in `tunedAt`
    QList<double> tunedAt;

    void OpenPort(Opened opened) override { opened({open, false}); }
    void ShowTroubleIn(Trouble) override {}
    void ClosePort() override { open = false; }
    bool IsOpen() const override { return open; }
    bool Answering() const override { return open && answering; }
    QString Name() const override { return QStringLiteral("/dev/ttyFake"); }
    std::optional<QString> RefusesPlan(const SweepPlan&) const override { return std::nullopt; }
    void Answer() {
        for (const auto& pending : std::exchange(answers, {})) {
            pending();
        }
    }

  protected:
    void DiscardPending() override {}
    void SendTune(long long hertz, Mode mode, Then then) override {
        if (open) {
            tuned << FreqText(hertz) + ModeLetter(mode);
            if (now) {
                tunedAt << *now;
            }
        }
        Reply(std::move(then));
    }
    void Read(Reading then) override {
        const std::optional<int> level =
            open && !tuned.isEmpty() ? answer(tuned.last()) : std::nullopt;
        Reply([then, level] { then(level); });
    }

  private:
    void Reply(std::function<void()> reply) {
        if (later) {
            answers << std::move(reply);
        } else {
            reply();
        }
    }
};

// Remembers every step's level and reply, and every sweep's summary.
struct RecordingListener : SweepListener {
    QList<QPair<int, Reply>> steps;
    QList<SweepSummary> sweeps;
    void SweepBegan(const SweepStart&) override {}
    void Measured(long long, int level, Reply reply) override { steps << qMakePair(level, reply); }
    void SweepEnded(const SweepSummary& summary) override { sweeps << summary; }
};

// The activities told, each as "S|H|E MHz strongest sweeps [name]": started, heard, ended.
struct RecordingActivities : ActivityListener {
    QStringList seen;
    void ActivityChanged(const Activity& activity, ActivityEvent event) override {
        seen << QStringLiteral("%1 %2 %3 %4 %5")
                    .arg(QLatin1Char("SHE"[int(event)]))
                    .arg(QLatin1String(FreqText(activity.hertz)))
                    .arg(activity.strongest)
                    .arg(activity.sweeps)
                    .arg(activity.name)
                    .trimmed();
    }
};

}  // namespace nerimo::testing
