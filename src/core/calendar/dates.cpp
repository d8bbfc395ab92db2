#include "calendar/dates.h"

#include <array>
#include <ctime>

namespace quimbaro {

namespace {

// Day count of the proleptic Gregorian calendar with day 0 on 1 January 1970;
// the year is shifted to start in March so the leap day ends it.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

struct CivilDay {
    int64_t year;
    int64_t month;
    int64_t day;
};

CivilDay CivilFromDays(int64_t days) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

bool IsValidStepDate(const StepDate& record) {
    return record.month >= 1 && record.month <= 12 && record.day >= 1 &&
           record.day <= DaysInMonth(record.month, record.year);
}

// Two digits with a leading zero below ten; larger numbers as they are.
std::string TwoDigits(int value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (digits.size() < 2) digits.insert(0, "0");
    return value < 0 ? "-" + digits : digits;
}

}  // namespace

int16_t DayOfWeek(int32_t year, int32_t month, int32_t day) {
    int64_t m = int64_t{month} - 2;
    int64_t y = year;
    if (m <= 0) {
        m += 12;
        y -= 1;
    }
    const int64_t rest = y % 100;
    const int64_t century = y / 100;
    // The sum is kept in 16 bits, as the weekday formula always has been.
    auto w = static_cast<int16_t>((26 * m - 2) / 10 + day + rest + rest / 4 + century / 4 - 2 * century);
    int32_t positive = w;
    if (positive < 0) positive += 7 * ((6 - positive) / 7);
    const int32_t d = positive % 7;
    return static_cast<int16_t>(d == 0 ? 7 : d);
}

int FebruaryDays(int32_t year) {
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return leap ? 29 : 28;
}

int16_t DaysInMonth(int32_t month, int32_t year) {
    switch (month) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12: return 31;
    case 4: case 6: case 9: case 11: return 30;
    case 2: return static_cast<int16_t>(FebruaryDays(year));
    default: return 0;
    }
}

std::string_view MonthName(int32_t month) {
    static constexpr std::array<std::string_view, 12> names = {
        "Enero", "Febrero", "Marzo",      "Abril",   "Mayo",      "Junio",
        "Julio", "Agosto",  "Septiembre", "Octubre", "Noviembre", "Diciembre"};
    if (month < 1 || month > 12) return {};
    return names[static_cast<std::size_t>(month - 1)];
}

bool AddDays(StepDate& record, int32_t days) {
    // The range of the 64-bit tick scale that the record's shape can hold.
    static const int64_t first = DaysFromCivil(1601, 1, 1);
    static const int64_t last = DaysFromCivil(30827, 12, 31);
    if (!IsValidStepDate(record)) return false;
    const int64_t target = DaysFromCivil(record.year, record.month, record.day) + days;
    if (target < first || target > last) return false;
    const CivilDay civil = CivilFromDays(target);
    record = StepDate{};
    record.year = static_cast<uint16_t>(civil.year);
    record.month = static_cast<uint16_t>(civil.month);
    record.day = static_cast<uint16_t>(civil.day);
    // Day 0 of the count, 1 January 1970, was a Thursday (4 with Sunday = 0).
    record.dayOfWeek = static_cast<uint16_t>(((target % 7) + 7 + 4) % 7);
    return true;
}

std::optional<CalendarDate> DaysAfter(const CalendarDate& date, int32_t days) {
    StepDate step;
    step.year = static_cast<uint16_t>(date.year);
    step.month = static_cast<uint16_t>(date.month);
    step.day = static_cast<uint16_t>(date.day);
    if (!AddDays(step, days)) return std::nullopt;
    return CalendarDate{static_cast<int16_t>(step.year), static_cast<int16_t>(step.month),
                        static_cast<int16_t>(step.day)};
}

CalendarDate LocalToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {static_cast<int16_t>(local.tm_year + 1900), static_cast<int16_t>(local.tm_mon + 1),
            static_cast<int16_t>(local.tm_mday)};
}

std::string DayKey(const CalendarDate& date) {
    std::string year = std::to_string(date.year);
    if (date.year >= 0 && year.size() < 4) year.insert(0, 4 - year.size(), '0');  // the file name takes four
    return TwoDigits(date.day) + "/" + TwoDigits(date.month) + "/" + year;
}

std::optional<CalendarDate> ParseDayKey(std::string_view text) {
    if (text.size() != 10 || text[2] != '/' || text[5] != '/') return std::nullopt;
    int slashes = 0;
    for (const char ch : text) {
        if (ch == '/') ++slashes;
        else if (ch < '0' || ch > '9') return std::nullopt;
    }
    if (slashes != 2) return std::nullopt;
    auto number = [text](std::size_t from, std::size_t count) {
        int value = 0;
        for (std::size_t i = from; i < from + count; ++i) value = value * 10 + (text[i] - '0');
        return static_cast<int16_t>(value);
    };
    const CalendarDate date{number(6, 4), number(3, 2), number(0, 2)};
    if (date.day > 31 || date.month > 12) return std::nullopt;
    return date;
}

}  // namespace quimbaro
