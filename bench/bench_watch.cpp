// The watching window as nerimo --watch makes it, on the broker at 127.0.0.1:PORT, its sensors
// named: for each sweep that reaches a sensor's history window, a line "ID TIMESTAMP MS" once
// the waterfall has painted it (MS the time since the epoch), for nerimo-bench-fleet to set
// against when the broker delivered that sweep. Ends after SECONDS.
//
// bench_watch PORT SECONDS ID...

#include <QApplication>
#include <QDateTime>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "DiskFileAccess.h"
#include "MosquittoBroker.h"
#include "QtMessageBox.h"
#include "SystemClock.h"
#include "WatchWindow.h"

namespace {

// Says when a history's waterfall has painted a sweep it had not painted before.
class Painted : public QObject {
  public:
    Painted(QString sensor, nerimo::HistoryView& view) : sensor_(std::move(sensor)), view_(view) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            // After the paint: the event handled first, then its row's time said.
            QTimer::singleShot(0, this, [this] {
                const auto& rows = view_.model().rows();
                if (!rows.empty() && rows.back().time != last_) {
                    last_ = rows.back().time;
                    std::printf("%s %s %lld\n", qPrintable(sensor_),
                                qPrintable(last_.toUTC().toString(Qt::ISODate)),
                                QDateTime::currentMSecsSinceEpoch());
                    std::fflush(stdout);
                }
            });
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QString sensor_;
    nerimo::HistoryView& view_;
    QDateTime last_;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 4) {
        return 2;
    }
    nerimo::platform::MosquittoBroker broker;
    nerimo::platform::DiskFileAccess files;
    nerimo::platform::QtMessageBox messages(QStringLiteral("bench"));
    nerimo::platform::SystemClock clock;
    const QTemporaryDir folder;
    const QStringList sensors = arguments.mid(3);
    nerimo::WatchWindow window({broker,
                                clock,
                                messages,
                                files,
                                folder.filePath(QStringLiteral("Nerimo.ini")),
                                {QStringLiteral("127.0.0.1"),
                                 arguments[1].toInt(),
                                 false,
                                 {},
                                 QStringLiteral("nerimo"),
                                 QStringLiteral("bench-watch"),
                                 {},
                                 {}},
                                sensors});
    window.show();
    window.Start();
    // Each history window, as it opens, watched for its paints.
    QList<QObject*> filters;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        for (const QString& sensor : sensors) {
            nerimo::HistoryWindow* history = window.HistoryOf(sensor);
            if (history && !history->view().property("benchWatched").toBool()) {
                history->view().setProperty("benchWatched", true);
                filters << new Painted(sensor, history->view());
                history->view().installEventFilter(filters.last());
            }
        }
    });
    look.start(100);
    QTimer::singleShot(int(arguments[2].toDouble() * 1000), &app, &QApplication::quit);
    const int status = QApplication::exec();
    qDeleteAll(filters);
    return status;
}
