#pragma once

// The devices the receivers drive, in memory.

#include <QStringList>
#include <functional>
#include <optional>

#include "Radio.h"
#include "SerialPort.h"

namespace nerimo::testing {

// A serial port in memory: records the configuration and what is written; at every read
// `answer` says what the receiver has sent since, given the last command it got.
struct FakeSerialPort : SerialPort {
    QStringList calls;
    OpenResult openResult{true, {}, false};
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
    OpenResult Open() override {
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

// A radio in memory: every request answered as `result` says, at once or, with `later`, when
// Answer is called; each recorded with the time `now` gives.
struct FakeRadio : Radio {
    RadioResult result{true, {}, {}, false, false};
    RadioResult readResult{true, {}, {}, false, false};  // of the strength reads
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
    void Open(const RadioSettings& settings, Done done) override {
        calls << QStringLiteral("open %1 %2").arg(settings.model).arg(settings.path);
        Reply([this, done] { done(result); });
    }
    std::optional<Mode> refused;  // a mode the radio says it cannot take
    void SetMode(Mode mode, Done done) override {
        calls << QStringLiteral("mode ") + ModeName(mode);
        const RadioResult said =
            mode == refused
                ? RadioResult{false, QStringLiteral("Invalid parameter"), {}, false, false, true}
                : result;
        Reply([said, done] { done(said); });
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

}  // namespace nerimo::testing
