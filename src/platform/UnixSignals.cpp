#include "UnixSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace nerimo::platform {

namespace {

int pipeEnds[2] = {-1, -1};

// It can run on any thread, between a call and the check of its errno: it leaves errno as it
// found it.
void Handle(int signal) {
    const int saved = errno;
    const char byte = char(signal);
    (void)::write(pipeEnds[1], &byte, 1);
    errno = saved;
}

}  // namespace

UnixSignals::UnixSignals(std::initializer_list<int> which, std::function<void(int signal)> then)
    : signals_(which), then_(std::move(then)) {
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;  // no pipe: the signals keep their default, ending the program
    }
    notifier_ = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        int first = 0;
        while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) {
            first = first != 0 ? first : bytes[0];
        }
        then_(first);
    });
    for (const int signal : which) {
        std::signal(signal, Handle);
    }
}

UnixSignals::~UnixSignals() {
    for (const int signal : signals_) {
        std::signal(signal, SIG_DFL);
    }
    notifier_.reset();
    for (int& end : pipeEnds) {
        if (end >= 0) {
            ::close(end);
        }
        end = -1;
    }
}

}  // namespace nerimo::platform
