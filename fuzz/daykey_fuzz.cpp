// Typed dates and day keys: an accepted line is a key of the DD/MM/YYYY form,
// a key formed from a real date parses back to that date, and stepping a date
// by days and back returns to it with the weekday moving in step.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "calendar/dates.h"
#include "fuzz_folder.h"

namespace {

using namespace quimbaro;

void CheckAcceptedLine(std::string_view line) {
    const auto date = ParseDayKey(line);
    if (!date) return;
    FUZZ_CHECK(line.size() == 10);
    FUZZ_CHECK(date->day >= 0 && date->day <= 31);
    FUZZ_CHECK(date->month >= 0 && date->month <= 12);
    FUZZ_CHECK(date->year >= 0 && date->year <= 9999);
    if (date->year >= 1000) FUZZ_CHECK(DayKey(*date) == line);
}

uint16_t Take16(const uint8_t* data, std::size_t size, std::size_t at) {
    const uint8_t low = at < size ? data[at] : 0;
    const uint8_t high = at + 1 < size ? data[at + 1] : 0;
    return static_cast<uint16_t>(low | (high << 8));
}

// A real date from four input bytes: years 1000..9999.
CalendarDate DateFrom(const uint8_t* data, std::size_t size) {
    CalendarDate date;
    date.year = static_cast<int16_t>(1000 + Take16(data, size, 0) % 9000);
    date.month = static_cast<int16_t>(1 + Take16(data, size, 2) % 12);
    date.day = static_cast<int16_t>(1 + Take16(data, size, 4) % DaysInMonth(date.month, date.year));
    return date;
}

void CheckKeyRoundTrip(const CalendarDate& date) {
    const std::string key = DayKey(date);
    FUZZ_CHECK(key.size() == 10);
    const auto parsed = ParseDayKey(key);
    FUZZ_CHECK(parsed && *parsed == date);
}

// Steps of up to a few years, kept inside 1601..9999.
void CheckStepping(const CalendarDate& date, const uint8_t* data, std::size_t size) {
    if (date.year < 1603 || date.year > 9997) return;
    const int32_t days = static_cast<int32_t>(Take16(data, size, 6) % 1461) - 730;
    StepDate step;
    step.year = static_cast<uint16_t>(date.year);
    step.month = static_cast<uint16_t>(date.month);
    step.day = static_cast<uint16_t>(date.day);
    AddDays(step, days);
    const int16_t weekday = DayOfWeek(step.year, step.month, step.day);
    const int expected = ((DayOfWeek(date.year, date.month, date.day) - 1 + days) % 7 + 7) % 7 + 1;
    FUZZ_CHECK(weekday == expected);
    FUZZ_CHECK(step.day >= 1 && step.day <= DaysInMonth(step.month, step.year));
    AddDays(step, -days);
    FUZZ_CHECK(step.year == date.year && step.month == date.month && step.day == date.day);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    CheckAcceptedLine(std::string_view(reinterpret_cast<const char*>(data), size));
    const CalendarDate date = DateFrom(data, size);
    CheckKeyRoundTrip(date);
    CheckStepping(date, data, size);
    return 0;
}
