#pragma once

// The kernel's fakes: every platform seam in memory, and virtual time, so that a whole sweep with
// pauses and holds runs in milliseconds.

#include <QMap>
#include <QStringList>
#include <QTest>
#include <algorithm>
#include <functional>
#include <optional>

#include "AppendFile.h"
#include "FileAccess.h"
#include "HamlibReceiver.h"
#include "MessageBox.h"
#include "Panel.h"
#include "Plot.h"
#include "Program.h"
#include "Radio.h"
#include "ReceiverLink.h"
#include "Scheduler.h"
#include "SerialPort.h"
#include "SurfaceWidget.h"
#include "Sweep.h"

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

// A settings file in memory.
// Settings files in memory: a path's own outcome from `byPath`, else `next`; `asked` records the
// paths tried, in order.
struct FakeFileAccess : platform::FileAccess {
    platform::FileRead next{platform::FileRead::Outcome::Created, {}, {}};
    QHash<QString, platform::FileRead> byPath;
    QStringList asked;
    platform::FileRead ReadOrCreate(const QString& path) override {
        asked << path;
        return byPath.value(path, next);
    }
};

struct FakeProgram : platform::Program {
    int endCalls = 0;
    std::function<void()> showRequested;
    QString Folder() const override { return QStringLiteral("/opt/nerimo"); }
    QString UserFolder() const override { return QStringLiteral("/home/ham/.config/nerimo"); }
    bool Installed() const override { return false; }
    bool AnotherInstanceRunning() override { return false; }
    void OnShowRequested(std::function<void()> handler) override {
        showRequested = std::move(handler);
    }
    void EndNow() override { ++endCalls; }
};

struct FakeMessageBox : platform::MessageBox {
    QStringList shown;     // modal
    QStringList notified;  // without a wait
    void Show(const QString& text) override { shown << text; }
    void Notify(const QString& text) override { notified << text; }
};

// A serial port in memory: records the configuration and what is written; at every read
// `answer` says what the receiver has sent since, given the last command it got.
struct FakeSerialPort : platform::SerialPort {
    QStringList calls;
    platform::OpenResult openResult{true, {}, false};
    bool open = false;
    QList<QByteArray> written;
    QByteArray pending;
    std::function<QByteArray(const QByteArray&)> answer;
    std::function<void()> died;

    void SetPortName(const QString& name) override { calls << QStringLiteral("name ") + name; }
    void SetLineSettings() override { calls << QStringLiteral("line"); }
    void SetHardwareFlowControl() override { calls << QStringLiteral("rts/cts"); }
    void SetRequestToSend(bool on) override { calls << QStringLiteral("rts %1").arg(on); }
    void SetDataTerminalReady(bool on) override { calls << QStringLiteral("dtr %1").arg(on); }
    platform::OpenResult Open() override {
        calls << QStringLiteral("open");
        open = openResult.opened;
        return openResult;
    }
    void Close() override {
        calls << QStringLiteral("close");
        open = false;
    }
    bool IsOpen() const override { return open; }
    bool Write(const QByteArray& bytes) override {
        if (open) {
            written << bytes;
        }
        return open;
    }
    std::optional<QByteArray> ReadAll() override {
        if (!open) {
            return std::nullopt;
        }
        if (answer && !written.isEmpty()) {
            pending += answer(written.last());
        }
        return std::exchange(pending, QByteArray());
    }
    void OnDied(std::function<void()> handler) override { died = std::move(handler); }
};

// A log file in memory that takes every piece.
struct FakeAppendFile : platform::AppendFile {
    QString path;
    QByteArray written;
    bool Open(const QString& name, QString*) override {
        path = name;
        return true;
    }
    bool Append(const QByteArray& piece, QString*) override {
        written += piece;
        return true;
    }
    void Close() override { path.clear(); }
};

// A radio in memory: every request answered as `result` says, at once or, with `later`, when
// Answer is called; each recorded with the time `now` gives.
struct FakeRadio : platform::Radio {
    platform::RadioResult result{true, {}, {}, false, false};
    platform::RadioResult readResult{true, {}, {}, false, false};  // of the strength reads
    std::optional<int> decibels = -54;
    QStringList calls;
    std::function<double()> now = [] { return 0.0; };
    bool later = false;
    QList<std::function<void()>> answers;

    void Reply(std::function<void()> answer) {
        if (later) {
            answers << std::move(answer);
        } else {
            answer();
        }
    }
    // The answers held back, in order.
    void Answer() {
        for (const auto& answer : std::exchange(answers, {})) {
            answer();
        }
    }
    void Open(const platform::RadioSettings& settings, Done done) override {
        calls << QStringLiteral("open %1 %2").arg(settings.model).arg(settings.path);
        Reply([this, done] { done(result); });
    }
    void SetMode(bool am, Done done) override {
        calls << (am ? QStringLiteral("mode AM") : QStringLiteral("mode FM"));
        Reply([this, done] { done(result); });
    }
    void SetFrequency(double hertz, Done done) override {
        calls << QStringLiteral("%1 Hz at %2").arg(hertz, 0, 'f', 0).arg(now());
        Reply([this, done] { done(result); });
    }
    void ReadStrength(Strength done) override {
        calls << QStringLiteral("strength at %1").arg(now());
        Reply([this, done] { done(readResult, decibels); });
    }
    void Close() override { calls << QStringLiteral("close"); }
};

// Virtual time: the pending piece of work runs as soon as it is asked for, the clock moving on
// to its time.
struct VirtualScheduler : platform::Scheduler {
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

// Remembers every step's level and reply, and every sweep's summary.
struct RecordingListener : SweepListener {
    QList<QPair<int, Reply>> steps;
    QList<SweepSummary> sweeps;
    void SweepBegan() override {}
    void Measured(double, int16_t level, Reply reply) override { steps << qMakePair(level, reply); }
    void SweepEnded(const SweepSummary& summary) override { sweeps << summary; }
};

// Remembers what the settings reader and the sweep did to the controls.
struct RecordingPanel : Panel {
    QStringList calls;
    int selectedMode = 1;
    int selectedSpan = 3;
    QMap<int, int16_t> checks;

    void SelectOption(int option) override {
        calls << QStringLiteral("SelectOption %1").arg(option);
        (option <= 2 ? selectedMode : selectedSpan) = option;
    }
    bool OptionSelected(int option) const override {
        return selectedMode == option || selectedSpan == option;
    }
    void SetCheckValue(int check, int16_t value) override {
        calls << QStringLiteral("SetCheckValue %1 %2").arg(check).arg(value);
        checks[check] = value;
    }
    int16_t CheckValue(int check) const override { return checks.value(check, 0); }
    void ShapeSurfaces(int16_t, int16_t) override {}
    void SetScaleLabels(const QString&, const QString&) override {}
    void SetCheckCaptions(const QString&, const QString&) override {}
    void ShowStart(bool) override {}
    void EnableChoices(bool) override {}
    void SetStatus(const QColor& color, const QString& text) override {
        calls << QStringLiteral("SetStatus %1 %2").arg(color.name(), text);
    }
    void ClearStatus() override {}
    void SetTunedText(const QString& text) override { calls << text; }
    void SetContinueOffered(bool offered) override {
        calls << QStringLiteral("SetContinueOffered %1").arg(offered);
    }
};

// The kernel as the window sets it up, on a plot of its own, with the receiver open and FM and the
// span's option selected.
struct Kernel {
    State state;
    FakeSerialPort port;
    FakeMessageBox messages;
    RecordingPanel panel;
    VirtualScheduler scheduler;
    VirtualScheduler retry;  // the port's own, on a clock of its own
    platform::SurfaceWidget surface{nullptr, qRgb(0, 0, 0)};
    ReceiverLink link{state, port, messages, retry};
    Plot plot{state, surface, panel};
    Sweep sweep{state, link, plot, panel, scheduler};

    Kernel(double startMHz, int spanMHz, int pauseSeconds = 0) {
        state.ModeLetter = "N";
        state.StartMHz = startMHz;
        state.SpanMHz = int16_t(spanMHz);
        state.EndMHz = startMHz + spanMHz;
        state.PauseSeconds = int16_t(pauseSeconds);
        state.PlotHeight = 350;
        state.BottomMargin = 11;
        state.LeftMargin = 36;
        state.PixelsPerStep = spanMHz == 1 ? 8 : 1;
        port.open = true;
        panel.selectedSpan = spanMHz == 1 ? 3 : 4;
        surface.SetPixelSize(720, 350);
    }

    // A receiver with a signal of the given letter at one frequency only; elsewhere it answers
    // CR LF, level 0.
    void SignalAt(const QByteArray& command, char letter) {
        port.answer = [command, letter](const QByteArray& last) {
            return last == command ? QByteArray(1, letter) : QByteArray("\r\n");
        };
    }
    bool RunUntilCommands(qsizetype count, double limit = 1e6) {
        return scheduler.RunUntil([&] { return port.written.size() >= count; }, limit);
    }
};

}  // namespace nerimo::testing
