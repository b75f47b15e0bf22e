#pragma once

// The files the outputs write, in memory.

#include "AppendFile.h"

namespace nerimo::testing {

// A log file in memory that takes every piece, until `refusal` is set.
struct FakeAppendFile : AppendFile {
    QString path;
    QByteArray written;
    QString refusal;
    bool Open(const QString& name, QString*) override {
        path = name;
        return true;
    }
    bool Append(const QByteArray& piece, QString* error) override {
        if (!refusal.isEmpty()) {
            *error = refusal;
            return false;
        }
        written += piece;
        return true;
    }
    qint64 Size() const override { return written.size(); }
    void Close() override { path.clear(); }
    void Discard() override { path.clear(); }
};

}  // namespace nerimo::testing
