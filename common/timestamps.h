#pragma once

#include <string>

namespace common {

// A moment of local time as the clock gives it.
struct LocalTime {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The stamp that starts a line in a chat view: "[09:05] ", or "[09:05:07] " with seconds.
std::string chatStamp(const LocalTime& time, bool withSeconds);

// The stamp of log lines and archive records: "09:05 | 06.12.2026".
std::string logStamp(const LocalTime& time);

} // namespace common
