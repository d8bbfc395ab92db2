#pragma once
// Pure date functions: weekdays, month lengths, day stepping, the DayKey text
// (DD/MM/YYYY) and the test a typed line must pass to be taken as a date.

#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quimbaro {

struct CalendarDate {
    int16_t year = 0;
    int16_t month = 0;
    int16_t day = 0;
    friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
    friend auto operator<=>(const CalendarDate&, const CalendarDate&) = default;  // date order
};

// The shape of the stepping record: eight unsigned 16-bit fields, of which the
// program only ever sets year, month and day (the time stays midnight).
struct StepDate {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t dayOfWeek = 0;  // 0 = Sunday; written by AddDays, never read
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};

// 1 (Monday) .. 7 (Sunday).
int16_t DayOfWeek(int32_t year, int32_t month, int32_t day);
int FebruaryDays(int32_t year);
// 0 for a month outside 1..12.
int16_t DaysInMonth(int32_t month, int32_t year);
// The Spanish month name; empty for a month outside 1..12.
std::string_view MonthName(int32_t month);
// Moves the record by whole days (proleptic Gregorian calendar), sets the day
// of the week and zeroes the time. False, and the record untouched, when the
// record is no real date or the result would leave years 1601..30827.
bool AddDays(StepDate& record, int32_t days);

// The date that many days after (or before) the given one, as AddDays counts;
// nothing when AddDays refuses.
std::optional<CalendarDate> DaysAfter(const CalendarDate& date, int32_t days);

// Where "today" comes from. The program uses the local clock; tests inject
// their own.
using TodayClock = std::function<CalendarDate()>;
CalendarDate LocalToday();

// DD/MM/YYYY with two-digit day and month and the year in at least four
// digits (0999), as ParseDayKey reads it and the year file is named.
std::string DayKey(const CalendarDate& date);
// Accepts exactly the typed dates of the form DD/MM/YYYY (digits and two
// slashes, day <= 31, month <= 12); no lower bound or month-length check.
std::optional<CalendarDate> ParseDayKey(std::string_view text);

}  // namespace quimbaro
