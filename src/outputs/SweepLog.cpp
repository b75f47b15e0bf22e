#include "SweepLog.h"

#include <QHash>

#include "CsvField.h"
#include "Frequency.h"

namespace nerimo {

namespace {

constexpr char kSamples[] = "1";
constexpr char kChannelHeader[] = "Timestamp,Frequency_Hz,Name,Mode,Level\n";

}  // namespace

SweepLog::SweepLog(AppendFile& file, MessageBox& messages) : file_(file), messages_(messages) {}

bool SweepLog::Start(const QString& path) {
    QString error;
    logging_ = file_.Open(path, &error);
    path_ = path;
    sweeps_ = 0;
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
    plan_ = start.plan.channels ? start.plan : SweepPlan();
    mode_ = start.mode;
    measured_.clear();
}

void SweepLog::Measured(long long hertz, int level, Reply) {
    if (plan_.channels) {
        measured_.append({hertz, level});
        return;
    }
    if (levels_.isEmpty()) {
        firstHertz_ = hertz;
    }
    lastHertz_ = hertz;
    levels_ << level;
}

void SweepLog::SweepEnded(const SweepSummary& summary) {
    if (!logging_ || (levels_.isEmpty() && measured_.isEmpty()) || !summary.Measured()) {
        return;
    }
    const QByteArray rows = plan_.channels ? ChannelRows() : BandRow();
    QString error;
    if (!file_.Append(rows, &error)) {
        // Never the sweep: only the log stops, and the message does not wait for the user.
        Stop();
        messages_.Notify(QStringLiteral("The sweep log %1 cannot be written (%2); logging has "
                                        "stopped.")
                             .arg(path_, error));
        return;
    }
    ++sweeps_;
    rows_ += plan_.channels ? int(measured_.size()) : 1;
}

QByteArray SweepLog::ChannelRows() const {
    QHash<long long, const PlanStep*> channels;
    for (const PlanStep& step : plan_.steps) {
        channels.insert(step.hertz, &step);
    }
    QByteArray rows = file_.Size() == 0 ? QByteArray(kChannelHeader) : QByteArray();
    const QByteArray time = began_.toUTC().toString(Qt::ISODate).toLatin1();
    for (const auto& [hertz, level] : measured_) {
        const PlanStep* channel = channels.value(hertz);
        const QString name = channel ? channel->name : QString();
        const Mode mode = channel && channel->mode ? *channel->mode : mode_;
        rows += time + ',' + QByteArray::number(hertz) + ',' + CsvField(name) + ',' +
                ModeName(mode).toLatin1() + ',' + QByteArray::number(level) + '\n';
    }
    return rows;
}

QByteArray SweepLog::BandRow() const {
    QList<QByteArray> fields = {began_.toString(QStringLiteral("yyyy-MM-dd")).toLatin1(),
                                began_.toString(QStringLiteral("HH:mm:ss")).toLatin1(),
                                QByteArray::number(firstHertz_),
                                QByteArray::number(lastHertz_),
                                QByteArray::number(stepHertz_),
                                kSamples};
    for (const int level : levels_) {
        fields << QByteArray::number(level);
    }
    return fields.join(", ") + '\n';
}

}  // namespace nerimo
