#include "calendar/dates.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>

namespace quimbaro {

using namespace std::chrono;

constexpr sys_days kFirst = year{1601} / January / 1;
constexpr sys_days kLast = year{9999} / December / 31;

// The record AddDays should give for the day: its weekday set, time midnight.
StepDate StepOf(sys_days d) {
    const year_month_day date{d};
    return {static_cast<uint16_t>(int{date.year()}), static_cast<uint16_t>(unsigned{date.month()}),
            static_cast<uint16_t>(weekday{d}.c_encoding()), static_cast<uint16_t>(unsigned{date.day()})};
}

std::array<uint16_t, 8> Fields(const StepDate& r) {
    return {r.year, r.month, r.dayOfWeek, r.day, r.hour, r.minute, r.second, r.milliseconds};
}

// Both ways through the whole range, so every month and year boundary is
// crossed forward and back.
TEST(Dates, EveryDayFrom1601To9999AgreesWithAnIndependentCalendar) {
    StepDate forward = StepOf(kFirst), backward = StepOf(kLast);
    for (sys_days d = kFirst; d <= kLast; d += days{1}) {
        const StepDate day = StepOf(d);
        ASSERT_EQ(DayOfWeek(day.year, day.month, day.day), static_cast<int>(weekday{d}.iso_encoding()))
            << day.year << "-" << day.month << "-" << day.day;
        if (d == kLast) break;
        ASSERT_TRUE(AddDays(forward, 1));
        ASSERT_EQ(Fields(forward), Fields(StepOf(d + days{1})));
        ASSERT_TRUE(AddDays(backward, -1));
        ASSERT_EQ(Fields(backward), Fields(StepOf(kLast - (d - kFirst) - days{1})));
    }
}

TEST(Dates, LeapYearsMonthLengthsNamesAndAWeekdayForNonsense) {
    for (const int32_t y : {INT32_MIN, -1, 0, 32767, INT32_MAX})  // nonsense still gives a weekday
        for (const int32_t m : {INT32_MIN, 0, 2, 13, INT32_MAX}) EXPECT_TRUE(DayOfWeek(y, m, 31) >= 1 && DayOfWeek(y, m, 31) <= 7);
    const int februaries[][2] = {{1900, 28}, {2000, 29}, {2023, 28}, {2024, 29}};
    for (const auto& [y, days] : februaries) EXPECT_EQ(FebruaryDays(y), days) << y;
    const int lengths[] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31, 0};
    for (int month = 0; month <= 13; ++month) EXPECT_EQ(DaysInMonth(month, 2023), lengths[month]) << month;
    EXPECT_EQ(DaysInMonth(2, 2024), 29);
    EXPECT_EQ(DaysInMonth(-1, 2024), 0);
    const char* names[] = {"", "Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio", "Julio",
                           "Agosto", "Septiembre", "Octubre", "Noviembre", "Diciembre", ""};
    for (int month = 0; month <= 13; ++month) EXPECT_EQ(MonthName(month), names[month]) << month;
}

TEST(Dates, AddDaysZeroesTheTimeJumpsFarAndRefusesWhatItCannotReach) {
    StepDate record = StepOf(year{2024} / March / 1);
    record.hour = 13;
    EXPECT_TRUE(AddDays(record, -1));
    EXPECT_EQ(Fields(record), Fields(StepOf(year{2024} / February / 29)));
    record = StepOf(kFirst);
    EXPECT_TRUE(AddDays(record, (kLast - kFirst).count()));
    EXPECT_EQ(Fields(record), Fields(StepOf(kLast)));
    // No real date, or a result outside 1601..30827: refused, record untouched.
    const std::pair<StepDate, int32_t> refused[] = {
        {{}, 1}, {{2024, 2, 0, 30}, 1}, {{2024, 13, 0, 1}, 1}, {{2024, 1, 0, 0}, 1}, {StepOf(kFirst), -1},
        {{30827, 12, 0, 31}, 1}, {{30827, 12, 0, 31}, INT32_MIN}, {{2024, 1, 0, 1}, INT32_MAX}};
    for (const auto& [start, step] : refused) {
        StepDate moved = start;
        EXPECT_FALSE(AddDays(moved, step)) << start.year << "-" << start.month << "-" << start.day << " " << step;
        EXPECT_EQ(Fields(moved), Fields(start));
    }
}

// Today is the local day: 14 hours east of UTC or 12 west, it differs from
// UTC's at every hour in at least one of them.
TEST(Dates, LocalTodayIsTheDayOfTheLocalZone) {
    for (const auto& [zone, offset] : {std::pair{"ESTE-14", hours{14}}, {"OESTE+12", hours{-12}}}) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        const auto local = [offset] { return year_month_day{floor<days>(system_clock::now() + offset)}; };
        const year_month_day before = local();
        const CalendarDate today = LocalToday();
        const year_month_day after = local();  // the day may have turned in between
        const year_month_day got{year{today.year}, month{unsigned(today.month)}, day{unsigned(today.day)}};
        EXPECT_TRUE(got == before || got == after) << zone;
    }
    ::unsetenv("TZ");
    ::tzset();
}

TEST(DayKey, FormedInFourYearDigitsAndParsedOnlyInTheTypedForm) {
    const std::pair<CalendarDate, const char*> keys[] = {
        {{2024, 3, 5}, "05/03/2024"}, {{987, 10, 10}, "10/10/0987"}, {{1, 1, 1}, "01/01/0001"}, {{0, 0, 0}, "00/00/0000"}};
    for (const auto& [date, key] : keys) EXPECT_EQ(DayKey(date), key);
    for (const int16_t y : {1, 99, 999, 1000, 1601, 9999})
        for (int16_t m = 0; m <= 12; ++m)
            for (int16_t d = 0; d <= 31; ++d) EXPECT_EQ(ParseDayKey(DayKey({y, m, d})), (CalendarDate{y, m, d}));
    const std::pair<const char*, CalendarDate> accepted[] = {{"05/03/2024", {2024, 3, 5}}, {"31/02/2024", {2024, 2, 31}},
        {"00/00/0000", {0, 0, 0}}, {"31/12/9999", {9999, 12, 31}}, {"01/01/0042", {42, 1, 1}}};
    for (const auto& [text, date] : accepted) EXPECT_EQ(ParseDayKey(text), date) << text;
    for (const std::string_view text : {"5/3/2024", "05-03-2024", "32/01/2024", "05/13/2024", "05/03/20a4", "05//3/2024",
                                        "", "05/03/20245", "05/03/202", " 05/03/2024", "05/03/2024 ", "05/03/2/24",
                                        "0503/2024/", "05/03/+024", "99/99/9999", "05/03/2024\n"})
        EXPECT_FALSE(ParseDayKey(text).has_value()) << text;
    EXPECT_FALSE(ParseDayKey(std::string_view("05/03/20\0" "4", 10)).has_value());
}

}  // namespace quimbaro
