#pragma once
// The wall clock: today's date and the time of day, for what has to happen at
// a given minute. The program reads the local clock; tests inject their own.

#include <cstdint>
#include <functional>

#include "calendar/dates.h"

namespace quimbaro {

struct WallTime {
    CalendarDate date;
    int32_t secondOfDay = 0;  // 0 .. 86399
};

using WallClock = std::function<WallTime()>;
WallTime LocalWallTime();

}  // namespace quimbaro
