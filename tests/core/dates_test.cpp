#include "calendar/dates.h"

#include <gtest/gtest.h>

#include <chrono>

namespace quimbaro {
namespace {

using namespace std::chrono;

constexpr year_month_day kFirst{year{1601}, January, day{1}};
constexpr year_month_day kLast{year{9999}, December, day{31}};

StepDate StepOf(const year_month_day& date) {
    StepDate record;
    record.year = static_cast<uint16_t>(int{date.year()});
    record.month = static_cast<uint16_t>(unsigned{date.month()});
    record.day = static_cast<uint16_t>(unsigned{date.day()});
    return record;
}

// Empty when the record is the given date at midnight with its weekday set.
std::string Mismatch(const StepDate& record, const year_month_day& expected) {
    const StepDate want = StepOf(expected);
    const auto weekdayNumber = weekday{sys_days{expected}}.c_encoding();
    if (record.year == want.year && record.month == want.month && record.day == want.day &&
        record.dayOfWeek == weekdayNumber && record.hour == 0 && record.minute == 0 &&
        record.second == 0 && record.milliseconds == 0) {
        return {};
    }
    return "got " + std::to_string(record.year) + "-" + std::to_string(record.month) + "-" +
           std::to_string(record.day) + " wd " + std::to_string(record.dayOfWeek) + ", want " +
           std::to_string(want.year) + "-" + std::to_string(want.month) + "-" + std::to_string(want.day);
}

TEST(DayOfWeek, MatchesAnIndependentCalendarOnEveryDayFrom1601To9999) {
    long checked = 0;
    for (sys_days d = sys_days{kFirst}; d <= sys_days{kLast}; d += days{1}) {
        const year_month_day date{d};
        const int expected = static_cast<int>(weekday{d}.iso_encoding());
        const int got = DayOfWeek(int{date.year()}, static_cast<int>(unsigned{date.month()}),
                                  static_cast<int>(unsigned{date.day()}));
        if (got != expected) {
            FAIL() << int{date.year()} << "-" << unsigned{date.month()} << "-" << unsigned{date.day()}
                   << ": got " << got << ", want " << expected;
        }
        ++checked;
    }
    EXPECT_EQ(checked, 3'067'671);
}

TEST(DayOfWeek, KnownDays) {
    EXPECT_EQ(DayOfWeek(2024, 1, 1), 1);
    EXPECT_EQ(DayOfWeek(2000, 2, 29), 2);
    EXPECT_EQ(DayOfWeek(2026, 12, 5), 6);
    EXPECT_EQ(DayOfWeek(2023, 1, 1), 7);
}

TEST(DayOfWeek, AnyInputGivesAWeekdayNumber) {
    for (const int32_t year : {INT32_MIN, -1, 0, 99, 32767, INT32_MAX}) {
        for (const int32_t month : {INT32_MIN, 0, 1, 2, 13, INT32_MAX}) {
            const int w = DayOfWeek(year, month, 31);
            EXPECT_GE(w, 1);
            EXPECT_LE(w, 7);
        }
    }
}

TEST(MonthLengths, LeapYearsAndMonths) {
    EXPECT_EQ(FebruaryDays(1900), 28);
    EXPECT_EQ(FebruaryDays(2000), 29);
    EXPECT_EQ(FebruaryDays(2024), 29);
    EXPECT_EQ(FebruaryDays(2023), 28);
    const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int month = 1; month <= 12; ++month) EXPECT_EQ(DaysInMonth(month, 2023), lengths[month - 1]);
    EXPECT_EQ(DaysInMonth(2, 2024), 29);
    EXPECT_EQ(DaysInMonth(0, 2024), 0);
    EXPECT_EQ(DaysInMonth(13, 2024), 0);
    EXPECT_EQ(DaysInMonth(-1, 2024), 0);
}

TEST(MonthName, SpanishNamesAndEmptyOutsideTheYear) {
    EXPECT_EQ(MonthName(1), "Enero");
    EXPECT_EQ(MonthName(9), "Septiembre");
    EXPECT_EQ(MonthName(12), "Diciembre");
    EXPECT_EQ(MonthName(0), "");
    EXPECT_EQ(MonthName(13), "");
}

// Steps one record forward through every day of the range and another one
// back, so every month and year boundary is crossed both ways.
TEST(AddDays, StepsOneDayAtATimeAcrossTheWholeRange) {
    StepDate forward = StepOf(kFirst);
    for (sys_days d = sys_days{kFirst}; d < sys_days{kLast}; d += days{1}) {
        ASSERT_TRUE(AddDays(forward, 1));
        const std::string mismatch = Mismatch(forward, year_month_day{d + days{1}});
        ASSERT_EQ(mismatch, "");
    }
    StepDate backward = StepOf(kLast);
    for (sys_days d = sys_days{kLast}; d > sys_days{kFirst}; d -= days{1}) {
        ASSERT_TRUE(AddDays(backward, -1));
        const std::string mismatch = Mismatch(backward, year_month_day{d - days{1}});
        ASSERT_EQ(mismatch, "");
    }
}

TEST(AddDays, KnownStepsAndLongJumps) {
    StepDate record = StepOf(year_month_day{year{2024}, March, day{1}});
    record.hour = 13;  // the result is always midnight
    ASSERT_TRUE(AddDays(record, -1));
    EXPECT_EQ(Mismatch(record, year_month_day{year{2024}, February, day{29}}), "");
    record = StepOf(year_month_day{year{2023}, December, day{31}});
    ASSERT_TRUE(AddDays(record, 1));
    EXPECT_EQ(Mismatch(record, year_month_day{year{2024}, January, day{1}}), "");
    record = StepOf(year_month_day{year{2025}, January, day{1}});
    ASSERT_TRUE(AddDays(record, -1));
    EXPECT_EQ(Mismatch(record, year_month_day{year{2024}, December, day{31}}), "");
    record = StepOf(kFirst);
    const int span = (sys_days{kLast} - sys_days{kFirst}).count();
    ASSERT_TRUE(AddDays(record, span));
    EXPECT_EQ(Mismatch(record, kLast), "");
}

TEST(AddDays, RefusesInvalidRecordsAndLeavingTheRange) {
    for (const StepDate bad : {StepDate{}, StepDate{2024, 2, 0, 30}, StepDate{2024, 13, 0, 1},
                               StepDate{2024, 1, 0, 0}}) {
        StepDate record = bad;
        EXPECT_FALSE(AddDays(record, 1));
        EXPECT_EQ(record.year, bad.year);
        EXPECT_EQ(record.month, bad.month);
        EXPECT_EQ(record.day, bad.day);
    }
    StepDate first = StepOf(kFirst);
    EXPECT_FALSE(AddDays(first, -1));
    EXPECT_EQ(first.year, 1601);
    StepDate last{30827, 12, 0, 31};
    EXPECT_FALSE(AddDays(last, 1));
    EXPECT_FALSE(AddDays(last, INT32_MIN));
    EXPECT_EQ(last.day, 31);
}

TEST(LocalToday, IsTheLocalCalendarDay) {
    const CalendarDate today = LocalToday();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    // Around midnight the two readings may straddle the change of day.
    EXPECT_GE(today.year, 2024);
    EXPECT_GE(today.month, 1);
    EXPECT_LE(today.month, 12);
    EXPECT_GE(today.day, 1);
    EXPECT_LE(today.day, DaysInMonth(today.month, today.year));
    if (local.tm_hour != 0 || local.tm_min != 0) {
        EXPECT_EQ(today.day, local.tm_mday);
        EXPECT_EQ(today.month, local.tm_mon + 1);
        EXPECT_EQ(today.year, local.tm_year + 1900);
    }
}

TEST(DayKey, TwoDigitDayAndMonthAndPlainYear) {
    EXPECT_EQ(DayKey({2024, 3, 5}), "05/03/2024");
    EXPECT_EQ(DayKey({2024, 12, 31}), "31/12/2024");
    EXPECT_EQ(DayKey({2027, 1, 1}), "01/01/2027");
    EXPECT_EQ(DayKey({987, 10, 10}), "10/10/987");
    EXPECT_EQ(DayKey({0, 0, 0}), "00/00/0");
}

TEST(ParseDayKey, AcceptsTheKeyForm) {
    EXPECT_EQ(ParseDayKey("05/03/2024"), (CalendarDate{2024, 3, 5}));
    EXPECT_EQ(ParseDayKey("31/02/2024"), (CalendarDate{2024, 2, 31}));
    EXPECT_EQ(ParseDayKey("00/00/0000"), (CalendarDate{0, 0, 0}));
    EXPECT_EQ(ParseDayKey("31/12/9999"), (CalendarDate{9999, 12, 31}));
    EXPECT_EQ(ParseDayKey("01/01/0042"), (CalendarDate{42, 1, 1}));
}

TEST(ParseDayKey, RejectsEverythingElse) {
    for (const std::string_view line :
         {"5/3/2024", "05-03-2024", "32/01/2024", "05/13/2024", "05/03/20a4", "05//3/2024", "",
          "05/03/20245", "05/03/202", " 05/03/2024", "05/03/2024 ", "05/03/2/24", "0503/2024/",
          "05/03/+024", "99/99/9999", "05/03/2024\n"}) {
        EXPECT_FALSE(ParseDayKey(line).has_value()) << line;
    }
    EXPECT_FALSE(ParseDayKey(std::string_view("05/03/20\0" "4", 10)).has_value());
}

TEST(ParseDayKey, RoundTripsWithDayKey) {
    for (const int year : {1000, 1601, 2024, 9999}) {
        for (int month = 0; month <= 12; ++month) {
            for (int day = 0; day <= 31; ++day) {
                const CalendarDate date{static_cast<int16_t>(year), static_cast<int16_t>(month),
                                        static_cast<int16_t>(day)};
                EXPECT_EQ(ParseDayKey(DayKey(date)), date) << DayKey(date);
            }
        }
    }
    // A year below 1000 reads back from its typed form, but its plain key is
    // shorter and so no typed date.
    const auto early = ParseDayKey("07/11/0999");
    ASSERT_TRUE(early.has_value());
    EXPECT_EQ(DayKey(*early), "07/11/999");
    EXPECT_FALSE(ParseDayKey(DayKey(*early)).has_value());
}

}  // namespace
}  // namespace quimbaro
