#include "Simulator.h"

#include <unistd.h>

#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>

namespace nerimo::sim {

namespace {

constexpr int kReadChunk = 4096;
constexpr int kFloodBurstsPerSecond = 100;

}  // namespace

Simulator::Simulator(Options options, PseudoTerminal& terminal, CommandLog& log)
    : options_(std::move(options)), terminal_(terminal), log_(log) {
    replyTimer_.setSingleShot(true);
    replyTimer_.setTimerType(Qt::PreciseTimer);
    connect(&replyTimer_, &QTimer::timeout, this, &Simulator::AnswerLevel);
    connect(&repeatTimer_, &QTimer::timeout, this, [this] {
        if (tuned_ && !replyTimer_.isActive()) {
            AnswerLevel();
        }
    });
    floodTimer_.setTimerType(Qt::PreciseTimer);
    connect(&floodTimer_, &QTimer::timeout, this, &Simulator::Flood);
}

void Simulator::Listen() {
    notifier_ = std::make_unique<QSocketNotifier>(terminal_.MasterFd(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &Simulator::ReadCommands);
    if (options_.repeatMs > 0) {
        repeatTimer_.start(options_.repeatMs);
    }
    if (options_.floodBytesPerSecond > 0) {
        floodTimer_.start(1000 / kFloodBurstsPerSecond);
    }
}

void Simulator::ReadCommands() {
    char chunk[kReadChunk];
    for (;;) {
        const ssize_t n = ::read(terminal_.MasterFd(), chunk, sizeof chunk);
        if (n <= 0) {
            // EAGAIN: all read. EIO: nobody has the other end open just now.
            if (n < 0 && errno == EIO) {
                notifier_->setEnabled(false);
                QTimer::singleShot(100, this, [this] {
                    if (notifier_) {
                        notifier_->setEnabled(true);
                    }
                });
            }
            return;
        }
        for (const Command& command : parser_.Feed(QByteArrayView(chunk, n))) {
            log_.Write(command.text);
            // Unplugged once the last answer has been read: the program's next read fails.
            if (options_.hangupAfter > 0 && answers_ >= options_.hangupAfter) {
                Hangup();
                return;
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

// The letter of the level at the tuned frequency; empty at level 0.
QByteArray Simulator::LevelLetter() const {
    const int level = options_.band.LevelAt(tunedMHz_, CommandLog::SecondsSinceStart());
    return level > 0 ? QByteArray(1, static_cast<char>('A' + level - 1)) : QByteArray();
}

// The level letter, or CR LF at level 0: the receiver answers every command.
void Simulator::AnswerLevel() {
    if (options_.silentAfter > 0 && answers_ >= options_.silentAfter) {
        return;
    }
    const QByteArray letter = LevelLetter();
    Send(letter.isEmpty() ? QByteArray("\r\n") : letter);
    ++answers_;
}

// A burst of random bytes that still ends the way the receiver would report the level now: its
// letter, or at level 0 some other byte, then CR LF. Whatever the program reads last decodes to
// the level of the tuned frequency.
void Simulator::Flood() {
    QByteArray burst(options_.floodBytesPerSecond / kFloodBurstsPerSecond, Qt::Uninitialized);
    QRandomGenerator* random = QRandomGenerator::global();
    for (char& byte : burst) {
        byte = static_cast<char>(random->bounded(256));
    }
    QByteArray last = LevelLetter();
    while (last.isEmpty()) {
        const char byte = static_cast<char>(random->bounded(256));
        if (byte != '\r' && byte != '\n' && (byte < 'A' || byte > 'P')) {
            last = QByteArray(1, byte);
        }
    }
    Send(burst + last + "\r\n");
}

void Simulator::Hangup() {
    // Called from the notifier's own signal: it goes once that returns.
    notifier_->setEnabled(false);
    notifier_.release()->deleteLater();
    replyTimer_.stop();
    repeatTimer_.stop();
    floodTimer_.stop();
    terminal_.Hangup();
    if (options_.replugAfterMs > 0) {
        QTimer::singleShot(options_.replugAfterMs, this, &Simulator::Replug);
    }
}

// Plugged in again, once: a new pseudo-terminal behind the same link, as a USB adapter comes back
// under a new device name.
void Simulator::Replug() {
    QString error;
    if (!terminal_.Replug(&error)) {
        std::fprintf(stderr, "nerimo-receiver-sim: %s\n", qPrintable(error));
        return;
    }
    options_.hangupAfter = 0;
    Listen();
}

void Simulator::Send(const QByteArray& bytes) {
    if (terminal_.MasterFd() < 0) {
        return;  // hung up
    }
    // Non-blocking: when the program does not read, the line's buffer fills and we drop.
    (void)::write(terminal_.MasterFd(), bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace nerimo::sim
