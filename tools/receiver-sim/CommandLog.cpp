#include "CommandLog.h"

#include <ctime>

namespace nerimo::sim {

namespace {

// Taken as the process loads, so that the band's signals come and go from the simulator's start.
const double kStarted = CommandLog::Seconds();

}  // namespace

bool CommandLog::Open(const QString& path, QString* error) {
    if (path.isEmpty()) {
        return true;
    }
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = QStringLiteral("cannot write the log %1: %2").arg(path, file_.errorString());
        return false;
    }
    return true;
}

void CommandLog::Write(const QByteArray& command) {
    if (file_.isOpen()) {
        file_.write(QByteArray::number(Seconds(), 'f', 6) + ' ' + command + '\n');
        file_.flush();
    }
}

double CommandLog::Seconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double CommandLog::SecondsSinceStart() {
    return Seconds() - kStarted;
}

}  // namespace nerimo::sim
