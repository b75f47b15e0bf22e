#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

#include "FileAccess.h"
#include "LogReader.h"

namespace nerimo {

// What came of loading a log.
struct LoadedLog {
    QString error;  // the file could not be read: why
    std::vector<LoggedSweep> sweeps;
    HistoryUnit unit = HistoryUnit::Level;
    double low = 0;
    double high = 16;
    int decimals = 0;   // of its values
    int malformed = 0;  // lines skipped
};

// Loads a sweep log on a thread of its own, so the window goes on meanwhile: progress as it
// reads, then the sweeps, each handed back on the thread that asked.
class LogLoader : public QObject {
    Q_OBJECT

  public:
    using Progress = std::function<void(qint64 done, qint64 total)>;
    using Done = std::function<void(const LoadedLog& log)>;

    explicit LogLoader(FileAccess& files) : files_(files) {}
    ~LogLoader() override;

    // Starts loading the file; one that is loading already is given up.
    void Load(const QString& path, Progress progress, Done done);
    bool Loading() const;
    // Gives up a load under way: nothing more is handed back.
    void Cancel();

  private:
    FileAccess& files_;  // opened from the loading thread
    std::unique_ptr<QThread> thread_;
    std::shared_ptr<std::atomic<bool>> cancelled_;
};

}  // namespace nerimo
