#include "LogLoader.h"

#include <algorithm>

namespace nerimo {

namespace {

constexpr qint64 kPieceBytes = 1 << 20;

}  // namespace

LogLoader::~LogLoader() {
    Cancel();
}

bool LogLoader::Loading() const {
    return thread_ && thread_->isRunning();
}

void LogLoader::Cancel() {
    if (cancelled_) {
        *cancelled_ = true;
    }
    if (thread_) {
        thread_->wait();
        thread_.reset();
    }
}

void LogLoader::Load(const QString& path, Progress progress, Done done) {
    Cancel();
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    cancelled_ = cancelled;
    // Everything handed back goes through this object's thread, and not at all once cancelled.
    const auto handBack = [this, cancelled](std::function<void()> call) {
        QMetaObject::invokeMethod(
            this,
            [cancelled, call = std::move(call)] {
                if (!*cancelled) {
                    call();
                }
            },
            Qt::QueuedConnection);
    };
    thread_.reset(QThread::create([this, path, cancelled, handBack, progress, done] {
        auto log = std::make_shared<LoadedLog>();
        const std::unique_ptr<QIODevice> file = files_.OpenForReading(path, &log->error);
        if (!file) {
            handBack([log, done] { done(*log); });
            return;
        }
        // Only what the file holds now: a log the run appends to meanwhile has those rows already.
        const qint64 total = file->size();
        LogReader reader;
        qint64 bytesRead = 0;
        while (!*cancelled && bytesRead < total && reader.Refusal().isEmpty()) {
            const QByteArray piece = file->read(std::min(kPieceBytes, total - bytesRead));
            if (piece.isEmpty()) {  // a file cut shorter meanwhile, or an error
                if (!file->atEnd()) {
                    log->error = file->errorString();
                }
                break;
            }
            reader.Feed(piece);
            bytesRead += piece.size();
            handBack([progress, bytesRead, total] { progress(bytesRead, total); });
        }
        reader.Finish();
        if (!reader.Refusal().isEmpty()) {
            log->error = reader.Refusal();
            handBack([log, done] { done(*log); });
            return;
        }
        log->sweeps.assign(reader.sweeps().begin(), reader.sweeps().end());
        log->unit = reader.Unit();
        log->low = log->unit == HistoryUnit::Level ? 0 : reader.Low();
        log->high = log->unit == HistoryUnit::Level ? 16 : reader.High();
        log->decimals = reader.Decimals();
        log->malformed = reader.Malformed();
        handBack([log, done] { done(*log); });
    }));
    thread_->start();
}

}  // namespace nerimo
