#pragma once

// What the kernel counts of a running process, for the tests and the benchmark.

#include <unistd.h>

#include <QFile>
#include <QString>
#include <optional>

namespace nerimo::testing {

// Processor time the process has used, in seconds, from the scheduler's own accounting.
inline std::optional<double> ProcessorSeconds(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/schedstat").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll().split(' ').value(0).toDouble() / 1e9;
}

// Processor time all the threads of the process have used, in seconds, in the kernel's clock
// ticks (utime and stime of /proc/PID/stat).
inline std::optional<double> AllThreadsSeconds(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    // The fields after the command, which may hold spaces, in its parentheses.
    const QByteArray stat = file.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) /
           double(::sysconf(_SC_CLK_TCK));
}

// A line of /proc/PID/status in kilobytes ("VmRSS", "VmHWM").
inline std::optional<double> StatusKiB(qint64 pid, const QByteArray& key) {
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(key + ':')) {
            return line.mid(key.size() + 1).simplified().split(' ').value(0).toDouble();
        }
    }
    return std::nullopt;
}

}  // namespace nerimo::testing
