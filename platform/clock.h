#pragma once

#include "common/timestamps.h"

namespace platform {

// The local time, behind an interface so that tests can fix it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual common::LocalTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    common::LocalTime now() const override;
};

} // namespace platform
