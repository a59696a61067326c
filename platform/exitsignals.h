#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace platform {

// SIGTERM, SIGINT and SIGHUP (a desktop logout, a kill, Ctrl+C in a terminal) reach the program
// as a call on the Qt event loop of the thread that made this object, so that the program can
// close as its own exit button closes it. A second signal, while that close still runs or
// never got to run, ends the process at once. One object per process; destroying it puts the
// signals back to their default.
class ExitSignals {
public:
    explicit ExitSignals(std::function<void()> onExit);
    ~ExitSignals();
    ExitSignals(const ExitSignals&) = delete;
    ExitSignals& operator=(const ExitSignals&) = delete;

private:
    std::function<void()> onExit_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace platform
