#pragma once

#include <QString>
#include <optional>

namespace nerimo {

// Why a path that is there is no regular file, in words ("it is a named pipe, not a file");
// nothing for a regular file (through its links) or a path that names nothing. Read as a file,
// such a thing would be waited on for ever (a pipe nobody writes) or never end (/dev/zero).
std::optional<QString> NotAFile(const QString& path);

}  // namespace nerimo
