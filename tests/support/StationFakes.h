#pragma once

// The running program as the desktop sees it, in memory.

#include <functional>

#include "Program.h"

namespace nerimo::testing {

// A program in a folder of its own, the only copy, whose end is counted.
struct FakeProgram : Program {
    int endCalls = 0;
    std::function<void()> showRequested;
    QString folder = QStringLiteral("/opt/nerimo");
    QString Folder() const override { return folder; }
    QString UserFolder() const override { return QStringLiteral("/home/ham/.config/nerimo"); }
    bool Installed() const override { return false; }
    bool AnotherInstanceRunning(const QString&) override { return false; }
    void OnShowRequested(std::function<void()> handler) override {
        showRequested = std::move(handler);
    }
    void EndNow() override { ++endCalls; }
};

}  // namespace nerimo::testing
