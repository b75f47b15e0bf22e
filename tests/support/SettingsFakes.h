#pragma once

// Settings files in memory.

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
