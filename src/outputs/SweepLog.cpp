#include "SweepLog.h"

#include "Frequency.h"

namespace nerimo {

namespace {

constexpr char kSamples[] = "1";

}  // namespace

SweepLog::SweepLog(AppendFile& file, MessageBox& messages) : file_(file), messages_(messages) {}

bool SweepLog::Start(const QString& path) {
    QString error;
    logging_ = file_.Open(path, &error);
    path_ = path;
    rows_ = 0;
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

void SweepLog::Discard() {
    logging_ = false;
    file_.Discard();
}

void SweepLog::SweepBegan(const SweepStart& start) {
    began_ = start.time;
    stepHertz_ = start.plan.stepHertz;
    levels_.clear();
}

void SweepLog::Measured(long long hertz, int level, Reply) {
    if (levels_.isEmpty()) {
        firstHertz_ = hertz;
    }
    lastHertz_ = hertz;
    levels_ << level;
}

void SweepLog::SweepEnded(const SweepSummary& summary) {
    if (!logging_ || levels_.isEmpty() || !summary.Measured()) {
        return;
    }
    QList<QByteArray> fields = {began_.toString(QStringLiteral("yyyy-MM-dd")).toLatin1(),
                                began_.toString(QStringLiteral("HH:mm:ss")).toLatin1(),
                                QByteArray::number(firstHertz_),
                                QByteArray::number(lastHertz_),
                                QByteArray::number(stepHertz_),
                                kSamples};
    for (const int level : levels_) {
        fields << QByteArray::number(level);
    }
    QString error;
    if (!file_.Append(fields.join(", ") + '\n', &error)) {
        // Never the sweep: only the log stops, and the message does not wait for the user.
        Stop();
        messages_.Notify(QStringLiteral("The sweep log %1 cannot be written (%2); logging has "
                                        "stopped.")
                             .arg(path_, error));
        return;
    }
    ++rows_;
}

}  // namespace nerimo
