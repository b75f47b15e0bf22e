#include "Simulator.h"

#include <unistd.h>
#include <cerrno>
#include <ctime>

namespace nerimo::sim {

namespace {

constexpr int kReadChunk = 4096;

double MonotonicSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

Simulator::Simulator(Options options, PseudoTerminal& terminal)
    : options_(std::move(options)), terminal_(terminal) {
    replyTimer_.setSingleShot(true);
    replyTimer_.setTimerType(Qt::PreciseTimer);
    connect(&replyTimer_, &QTimer::timeout, this, &Simulator::AnswerLevel);
    connect(&repeatTimer_, &QTimer::timeout, this, [this] {
        if (tuned_ && !replyTimer_.isActive()) {
            AnswerLevel();
        }
    });
}

double Simulator::Seconds() const {
    return MonotonicSeconds();
}

bool Simulator::Start(QString* error) {
    if (!options_.logPath.isEmpty()) {
        log_.setFileName(options_.logPath);
        if (!log_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            *error = QStringLiteral("cannot write the log %1: %2")
                         .arg(options_.logPath, log_.errorString());
            return false;
        }
    }
    notifier_ = std::make_unique<QSocketNotifier>(terminal_.MasterFd(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &Simulator::ReadCommands);
    if (options_.repeatMs > 0) {
        repeatTimer_.start(options_.repeatMs);
    }
    return true;
}

void Simulator::ReadCommands() {
    char chunk[kReadChunk];
    for (;;) {
        const ssize_t n = ::read(terminal_.MasterFd(), chunk, sizeof chunk);
        if (n <= 0) {
            // EAGAIN: all read. EIO: nobody has the other end open just now.
            if (n < 0 && errno == EIO) {
                notifier_->setEnabled(false);
                QTimer::singleShot(100, this, [this] { notifier_->setEnabled(true); });
            }
            return;
        }
        for (const Command& command : parser_.Feed(QByteArrayView(chunk, n))) {
            if (log_.isOpen()) {
                log_.write(QByteArray::number(Seconds(), 'f', 6) + ' ' + command.text + '\n');
                log_.flush();
            }
            tunedMHz_ = command.mhz;
            tuned_ = true;
            // A new command before the answer to the last one: only the new one is answered.
            replyTimer_.start(options_.replyDelayMs);
            if (options_.repeatMs > 0) {
                repeatTimer_.start(options_.repeatMs);
            }
        }
    }
}

void Simulator::AnswerLevel() {
    const int level = options_.band.LevelAt(tunedMHz_, Seconds());
    if (level > 0) {
        Send(QByteArray(1, static_cast<char>('A' + level - 1)));
    } else if (options_.crlfForSilence) {
        Send("\r\n");
    }
}

void Simulator::Send(const QByteArray& bytes) {
    // Non-blocking: when the program does not read, the line's buffer fills and we drop.
    (void)::write(terminal_.MasterFd(), bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace nerimo::sim
