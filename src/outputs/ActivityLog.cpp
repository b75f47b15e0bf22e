#include "ActivityLog.h"

#include "CsvField.h"
#include "Frequency.h"

namespace nerimo {

namespace {

constexpr char kHeader[] =
    "Frequency_Hz,Frequency_MHz,Name,Max_Level,Start_Timestamp,End_Timestamp,Duration_Seconds,"
    "Sweeps\n";

QByteArray Utc(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODate).toLatin1();
}

}  // namespace

ActivityLog::ActivityLog(AppendFile& file, MessageBox& messages)
    : file_(file), messages_(messages) {}

bool ActivityLog::Start(const QString& path) {
    QString error;
    logging_ = file_.Open(path, &error);
    path_ = path;
    rows_ = 0;
    if (!logging_) {
        messages_.Show(QStringLiteral("The activity log %1 cannot be opened for writing: %2.")
                           .arg(path, error));
        return false;
    }
    return file_.Size() > 0 || Write(kHeader);
}

void ActivityLog::Stop() {
    logging_ = false;
    file_.Close();
}

void ActivityLog::Discard() {
    logging_ = false;
    file_.Discard();
}

QByteArray ActivityLog::Row(const Activity& activity) {
    return QList<QByteArray>{QByteArray::number(activity.hertz),
                             FreqText(activity.hertz),
                             CsvField(activity.name),
                             QByteArray::number(activity.strongest),
                             Utc(activity.firstHeard),
                             Utc(activity.lastHeard),
                             QByteArray::number(activity.firstHeard.secsTo(activity.lastHeard)),
                             QByteArray::number(activity.sweeps)}
        .join(',');
}

void ActivityLog::ActivityChanged(const Activity& activity, ActivityEvent event) {
    if (logging_ && event == ActivityEvent::Ended && Write(Row(activity) + '\n')) {
        ++rows_;
        for (ActivityListener* listener : listeners_) {
            listener->ActivityChanged(activity, event);
        }
    }
}

bool ActivityLog::Write(const QByteArray& piece) {
    QString error;
    if (file_.Append(piece, &error)) {
        return true;
    }
    Stop();
    messages_.Notify(
        QStringLiteral("The activity log %1 cannot be written (%2); activity logging has stopped.")
            .arg(path_, error));
    return false;
}

}  // namespace nerimo
