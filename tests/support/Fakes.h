#pragma once

#include <QMap>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <optional>

#include "FileAccess.h"
#include "MessageBox.h"
#include "Panel.h"
#include "Program.h"
#include "Scheduler.h"
#include "SerialPort.h"

namespace nerimo::testing {

// A settings file in memory.
class FakeFileAccess : public platform::FileAccess {
  public:
    platform::FileRead next{platform::FileRead::Outcome::Created, {}, {}};
    QStringList pathsRead;

    platform::FileRead ReadOrCreate(const QString& path) override {
        pathsRead << path;
        return next;
    }
};

class FakeProgram : public platform::Program {
  public:
    bool anotherInstance = false;
    int endCalls = 0;

    QString Folder() const override { return QStringLiteral("/opt/nerimo"); }
    bool AnotherInstanceRunning() override { return anotherInstance; }
    void EndNow() override { ++endCalls; }
};

class FakeMessageBox : public platform::MessageBox {
  public:
    QStringList shown;
    void Show(const QString& text) override { shown << text; }
};

// A serial port in memory: records what is configured and written; `answer` says, at every read,
// what the receiver has sent since, given the last command it got.
class FakeSerialPort : public platform::SerialPort {
  public:
    QStringList calls;
    platform::OpenResult openResult{true, {}, false};
    bool open = false;
    QList<QByteArray> written;
    QByteArray pending;
    std::function<QByteArray(const QByteArray&)> answer;
    std::function<void()> died;

    void SetPortName(const QString& name) override { calls << QStringLiteral("name ") + name; }
    void SetLineSettings() override { calls << QStringLiteral("line 4800,n,8,2"); }
    void SetHardwareFlowControl() override { calls << QStringLiteral("flow rts/cts"); }
    void SetRequestToSend(bool raised) override { calls << QStringLiteral("rts %1").arg(raised); }
    void SetDataTerminalReady(bool raised) override {
        calls << QStringLiteral("dtr %1").arg(raised);
    }
    platform::OpenResult Open() override {
        calls << QStringLiteral("open");
        open = openResult.opened;
        return openResult;
    }
    void Close() override {
        calls << QStringLiteral("close");
        open = false;
    }
    bool Write(const QByteArray& bytes) override {
        if (!open) {
            return false;
        }
        written << bytes;
        return true;
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

    // The adapter is pulled out.
    void Die() {
        open = false;
        pending.clear();
        if (died) {
            died();
        }
    }
};

// Virtual time: a wait ends as soon as it is run, so a whole sweep takes milliseconds.
class VirtualScheduler : public platform::Scheduler {
  public:
    double now = 0.0;
    std::optional<double> due;
    Task task;

    void After(double seconds, Task next) override {
        due = now + seconds;
        task = std::move(next);
    }
    void Soon(Task next) override {
        due = now;
        task = std::move(next);
    }
    void Cancel() override {
        due.reset();
        task = nullptr;
    }

    // Runs the pending piece of work, moving the clock to its time.
    bool RunOne() {
        if (!task) {
            return false;
        }
        now = std::max(now, *due);
        Task next = std::move(task);
        task = nullptr;
        due.reset();
        next();
        return true;
    }

    // Runs what falls due up to the given time; false if nothing is pending any more.
    bool RunUntil(double until) {
        while (task && *due <= until) {
            RunOne();
        }
        now = std::max(now, until);
        return static_cast<bool>(task);
    }

    // Runs one piece at a time until the condition holds, at most for the given virtual seconds.
    bool RunUntil(const std::function<bool()>& condition, double limit) {
        const double end = now + limit;
        while (!condition()) {
            if (!task || *due > end) {
                return false;
            }
            RunOne();
        }
        return true;
    }
};

// Remembers what the settings reader and the sweep did to the controls.
class RecordingPanel : public Panel {
  public:
    QStringList calls;
    int selectedMode = 0;
    int selectedSpan = 0;
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
    void ShapeSurfaces(int16_t width, int16_t height) override {
        calls << QStringLiteral("ShapeSurfaces %1 %2").arg(width).arg(height);
    }
    void SetScaleLabels(const QString& start, const QString& end) override {
        calls << QStringLiteral("SetScaleLabels %1 %2").arg(start, end);
    }
    void SetCheckCaptions(const QString& clear, const QString& grid) override {
        calls << QStringLiteral("SetCheckCaptions %1|%2").arg(clear, grid);
    }
    void ShowStart(bool shown) override { calls << QStringLiteral("ShowStart %1").arg(shown); }
    void EnableChoices(bool enabled) override {
        calls << QStringLiteral("EnableChoices %1").arg(enabled);
    }
    void SetStatus(const QColor& color, const QString& text) override {
        calls << QStringLiteral("SetStatus %1 %2").arg(color.name(), text);
    }
    void ClearStatus() override { calls << QStringLiteral("ClearStatus"); }
    void SetTunedText(const QString& text) override {
        calls << QStringLiteral("SetTunedText %1").arg(text);
    }
    void SetContinueOffered(bool offered) override {
        calls << QStringLiteral("SetContinueOffered %1").arg(offered);
    }
};

}  // namespace nerimo::testing
