// The pace of the sweep where it can be taken exactly: the program's own window and kernel, in
// this process on the X screen, with the moment of every write to the port taken where it
// happens. The simulator's log cannot give it: its stamps come through the terminal's buffer,
// whose kernel work runs late now and then on a busy machine. The history window is open.
//
// bench_pace SIMULATOR STEPS [marks]   prints: min MEDIAN max RATIO of STEPS step periods, in
// seconds; with "marks", 10,000 named frequencies and 1,000 lockouts are in use.

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "DiskFileAccess.h"
#include "HamlibRadio.h"
#include "MainWindow.h"
#include "MosquittoBroker.h"
#include "QtAppendFile.h"
#include "QtMessageBox.h"
#include "QtScheduler.h"
#include "QtSerialPort.h"
#include "SystemClock.h"

namespace {

// Stamps every write, and ends the event loop after the last one wanted.
class StampedPort : public nerimo::platform::QtSerialPort {
  public:
    explicit StampedPort(int steps) : steps_(steps) { clock_.start(); }
    bool Write(const QByteArray& bytes) override {
        writes << clock_.nsecsElapsed() / 1e9;
        if (writes.size() > steps_) {
            QCoreApplication::quit();
        }
        return QtSerialPort::Write(bytes);
    }
    QList<double> writes;

  private:
    QElapsedTimer clock_;
    int steps_;
};

// The program in a folder of its own, the only copy.
class OwnFolder : public nerimo::Program {
  public:
    explicit OwnFolder(QString path) : path_(std::move(path)) {}
    QString Folder() const override { return path_; }
    QString UserFolder() const override { return path_; }
    bool Installed() const override { return false; }
    bool AnotherInstanceRunning(const QString&) override { return false; }
    void OnShowRequested(std::function<void()>) override {}
    void EndNow() override {}

  private:
    QString path_;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int steps = argc > 2 ? QByteArray(argv[2]).toInt() : 0;
    if (steps < 2) {
        std::fprintf(stderr, "usage: bench_pace SIMULATOR STEPS [marks]\n");
        return 2;
    }
    QTemporaryDir dir;
    QProcess receiver;
    receiver.start(QString::fromLocal8Bit(argv[1]),
                   {QStringLiteral("--link"), dir.filePath(QStringLiteral("receiver"))});
    nerimo::CommandLine options;
    if (argc > 3 && QByteArray(argv[3]) == "marks") {
        // Named every 50 kHz from 100 MHz, so that the span has its share; locked out every
        // 12.5 kHz from 150 MHz, beside it.
        QByteArray bookmarks = "# Frequency ; Name ; Modulation ; Bandwidth ; Tags\n";
        for (int i = 0; i < 10000; ++i) {
            bookmarks += QByteArray::number(100000000 + i * 50000LL) + " ; Channel " +
                         QByteArray::number(i) + " ; Narrow FM ; 10000 ; \n";
        }
        QByteArray lockouts = "Frequency_Hz\n";
        for (int i = 0; i < 1000; ++i) {
            lockouts += QByteArray::number(150000000 + i * 12500LL) + '\n';
        }
        for (const auto& [name, bytes] :
             {std::pair{"bookmarks.csv", bookmarks}, std::pair{"lockouts.csv", lockouts}}) {
            QFile file(dir.filePath(QLatin1String(name)));
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
                std::fprintf(stderr, "bench_pace: cannot write %s\n", name);
                return 1;
            }
        }
        options.bookmarksPath = dir.filePath(QStringLiteral("bookmarks.csv"));
    }
    QFile settings(dir.filePath(QStringLiteral("Nerimo.ini")));
    if (!receiver.waitForReadyRead(10000) || !settings.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "bench_pace: no simulated receiver\n");
        return 1;
    }
    settings.write("MHZ=145\nSPAN=1\nGRID=1\nCLEAR_SCREEN=1\nDEVICE=" +
                   dir.filePath(QStringLiteral("receiver")).toLocal8Bit() + "\n");
    settings.close();

    OwnFolder program(dir.path());
    nerimo::platform::DiskFileAccess files;
    nerimo::platform::QtMessageBox messages(QStringLiteral("Nerimo"));
    StampedPort port(steps);
    nerimo::platform::HamlibRadio radio;
    nerimo::platform::QtAppendFile log;
    nerimo::platform::QtAppendFile activity;
    nerimo::platform::MosquittoBroker broker;
    nerimo::platform::QtScheduler scheduler;
    nerimo::platform::QtScheduler retry;
    nerimo::platform::SystemClock clock;
    nerimo::MainWindow window(
        {program, files, messages, port, radio, scheduler, retry, log, activity, broker, clock},
        options);
    window.Load();
    window.show();
    window.historyWindow().show();  // a row added at each sweep's end
    window.findChild<QPushButton*>(QStringLiteral("startButton"))->click();

    QTimer::singleShot((steps + 20) * 250, &app, &QCoreApplication::quit);
    QApplication::exec();
    if (port.writes.size() <= steps) {
        std::fprintf(stderr, "bench_pace: %lld writes\n", qlonglong(port.writes.size()));
        return 1;
    }
    QList<double> periods;
    for (int i = 1; i <= steps; ++i) {
        periods << port.writes[i] - port.writes[i - 1];
    }
    const double ratio = (port.writes[steps] - port.writes[0]) / (steps * 0.185);
    std::sort(periods.begin(), periods.end());
    std::printf("%.5f %.5f %.5f %.5f\n", periods.first(), periods[periods.size() / 2],
                periods.last(), ratio);
    receiver.terminate();
    receiver.waitForFinished(3000);
    return 0;
}
