#include "couriel/transfer/pauses.h"

#include <QTimer>

namespace couriel {

void TimerPauses::after(std::chrono::milliseconds delay, std::function<void()> action) {
    QTimer::singleShot(delay, Qt::PreciseTimer, &context_, std::move(action));
}

} // namespace couriel
