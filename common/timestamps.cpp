#include "common/timestamps.h"

#include <cstdio>

namespace common {

namespace {

// Two digits with a leading zero; values out of range are clamped so the stamp keeps its width.
std::string twoDigits(int value) {
    if (value < 0) {
        value = 0;
    }
    char buffer[4];
    std::snprintf(buffer, sizeof buffer, "%02d", value % 100);
    return buffer;
}

} // namespace

std::string chatStamp(const LocalTime& time, bool withSeconds) {
    std::string stamp = "[" + twoDigits(time.hour) + ":" + twoDigits(time.minute);
    if (withSeconds) {
        stamp += ":" + twoDigits(time.second);
    }
    return stamp + "] ";
}

std::string logStamp(const LocalTime& time) {
    return twoDigits(time.hour) + ":" + twoDigits(time.minute) + " | " + twoDigits(time.day) + "." +
           twoDigits(time.month) + "." + std::to_string(time.year);
}

} // namespace common
