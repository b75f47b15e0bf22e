#pragma once

// Settings files in memory.

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QStringList>

#include "FileAccess.h"

namespace nerimo::testing {

// Settings files in memory: a path's own outcome from `byPath`, else `next`; `asked` records the
// settings paths tried, in order.
struct FakeFileAccess : FileAccess {
    FileRead next{FileRead::Outcome::Created, {}, {}};
    QHash<QString, FileRead> byPath;
    QStringList asked;
    FileRead ReadOrCreate(const QString& path) override {
        asked << path;
        return byPath.value(path, next);
    }
    // The lists: those in `byPath` (a replaced one too), else missing; a replace fails with
    // `refusal` when it is set.
    FileRead Read(const QString& path) override {
        return byPath.value(path, {FileRead::Outcome::Missing, {}, {}});
    }
    // A file of `byPath` in memory, else the disk's: the logs a test writes for the history.
    std::unique_ptr<QIODevice> OpenForReading(const QString& path, QString* error) override {
        std::unique_ptr<QIODevice> device;
        if (byPath.contains(path)) {
            auto buffer = std::make_unique<QBuffer>();
            buffer->setData(byPath[path].bytes);
            device = std::move(buffer);
        } else {
            device = std::make_unique<QFile>(path);
        }
        if (!device->open(QIODevice::ReadOnly)) {
            *error = device->errorString();
            return nullptr;
        }
        return device;
    }
    QHash<QString, QString> notOurs;  // why each of these paths must not be rewritten
    std::optional<QString> NotOursToChange(const QString& path) override {
        return notOurs.contains(path) ? std::optional<QString>(notOurs[path]) : std::nullopt;
    }
    QString refusal;
    bool Replace(const QString& path, const QByteArray& bytes, QString* error) override {
        if (!refusal.isEmpty()) {
            *error = refusal;
            return false;
        }
        byPath[path] = {FileRead::Outcome::Read, bytes, {}};
        return true;
    }
};

}  // namespace nerimo::testing
