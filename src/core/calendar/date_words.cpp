#include "calendar/date_words.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace quimbaro {

namespace {

std::string_view WeekdayName(int dayOfWeek) {
    static constexpr std::array<std::string_view, 7> names = {"lunes",   "martes", "miércoles", "jueves",
                                                              "viernes", "sábado", "domingo"};
    return names[static_cast<std::size_t>(dayOfWeek - 1)];
}

}  // namespace

bool IsRealDay(const CalendarDate& date) {
    return date.year >= 1 && date.day >= 1 && date.day <= DaysInMonth(date.month, date.year);
}

std::string DateInWords(const CalendarDate& date) {
    if (!IsRealDay(date)) return {};
    std::string month(MonthName(date.month));
    month[0] = static_cast<char>(month[0] - 'A' + 'a');  // the names are plain ASCII capitals
    return std::string(WeekdayName(DayOfWeek(date.year, date.month, date.day))) + " " + std::to_string(date.day) +
           " de " + month + " de " + std::to_string(date.year);
}

std::string IsoDate(const CalendarDate& date) {
    if (!IsRealDay(date)) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

}  // namespace quimbaro
