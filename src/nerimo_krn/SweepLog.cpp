#include "SweepLog.h"

#include <cmath>

namespace nerimo {

namespace {

constexpr char kStepHz[] = "12500";
constexpr char kSamples[] = "1";

QByteArray Hertz(double mhz) {
    return QByteArray::number(std::llround(mhz * 1e6));
}

}  // namespace

SweepLog::SweepLog(platform::AppendFile& file, platform::MessageBox& messages,
                   std::function<QDateTime()> now)
    : file_(file), messages_(messages), now_(std::move(now)) {}

bool SweepLog::Start(const QString& path) {
    QString error;
    logging_ = file_.Open(path, &error);
    path_ = path;
    if (!logging_) {
        messages_.Show(
            QStringLiteral("The sweep log %1 cannot be opened for writing: %2.").arg(path, error));
    }
    return logging_;
}

void SweepLog::Stop() {
    logging_ = false;
    file_.Close();
}

void SweepLog::SweepBegan() {
    began_ = now_();
    levels_.clear();
}

void SweepLog::Measured(double mhz, int16_t level, Reply) {
    if (levels_.isEmpty()) {
        firstMHz_ = mhz;
    }
    lastMHz_ = mhz;
    levels_ << level;
}

void SweepLog::SweepEnded(const SweepSummary& summary) {
    if (!logging_ || levels_.isEmpty() || !summary.Measured()) {
        return;
    }
    QList<QByteArray> fields = {began_.toString(QStringLiteral("yyyy-MM-dd")).toLatin1(),
                                began_.toString(QStringLiteral("HH:mm:ss")).toLatin1(),
                                Hertz(firstMHz_),
                                Hertz(lastMHz_),
                                kStepHz,
                                kSamples};
    for (const int16_t level : levels_) {
        fields << QByteArray::number(level);
    }
    QString error;
    if (!file_.Append(fields.join(", ") + '\n', &error)) {
        // Never the sweep: only the log stops, and the message does not wait for the user.
        Stop();
        messages_.Notify(QStringLiteral("The sweep log %1 cannot be written (%2); logging has "
                                        "stopped.")
                             .arg(path_, error));
    }
}

}  // namespace nerimo
