#pragma once

// What the kernel counts of a running process, for the tests and the benchmark.

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
