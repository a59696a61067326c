#include "platform/exitsignals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// A signal handler may do next to nothing: it only writes a byte into a pipe, whose other end
// the event loop watches (the "self-pipe"), or, for the second signal, ends the process.
int pipeEnds[2] = {-1, -1};
volatile std::sig_atomic_t signalled = 0;

void onSignal(int number) {
    if (signalled != 0) {
        ::_exit(128 + number);
    }
    signalled = 1;
    const int savedErrno = errno;
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

void handleWith(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kSignals) {
        ::sigaction(number, &action, nullptr);
    }
}

} // namespace

ExitSignals::ExitSignals(std::function<void()> onExit) : onExit_(std::move(onExit)) {
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return; // the signals keep their default: the process ends without its close steps
    }
    signalled = 0;
    notifier_ = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        char byte = 0;
        while (::read(pipeEnds[0], &byte, 1) == 1) {
        }
        notifier_->setEnabled(false);
        onExit_();
    });
    handleWith(&onSignal);
}

ExitSignals::~ExitSignals() {
    if (!notifier_) {
        return;
    }
    handleWith(SIG_DFL);
    notifier_.reset();
    for (int& end : pipeEnds) {
        ::close(end);
        end = -1;
    }
}

} // namespace platform
