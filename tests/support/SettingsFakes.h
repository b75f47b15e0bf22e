#pragma once

// Settings files in memory.

#include <QHash>
#include <QStringList>

#include "FileAccess.h"

namespace nerimo::testing {

// Settings files in memory: a path's own outcome from `byPath`, else `next`; `asked` records the
// paths tried, in order.
struct FakeFileAccess : FileAccess {
    FileRead next{FileRead::Outcome::Created, {}, {}};
    QHash<QString, FileRead> byPath;
    QStringList asked;
    FileRead ReadOrCreate(const QString& path) override {
        asked << path;
        return byPath.value(path, next);
    }
};

}  // namespace nerimo::testing
