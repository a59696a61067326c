#pragma once

#include <QObject>
#include <chrono>
#include <functional>

namespace couriel {

// The pauses of the transfer protocol. They keep the peer's reads apart, and they wait on the
// event loop, so that the window goes on painting meanwhile.
class Pauses {
public:
    virtual ~Pauses() = default;
    // Runs the action once, from the event loop, when the delay is over. Destroying the object
    // drops the actions still waiting.
    virtual void after(std::chrono::milliseconds delay, std::function<void()> action) = 0;
};

class TimerPauses final : public Pauses {
public:
    void after(std::chrono::milliseconds delay, std::function<void()> action) override;

private:
    QObject context_;
};

} // namespace couriel
