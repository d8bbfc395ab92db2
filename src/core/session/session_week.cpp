// "semana", "semana siguiente", "semana anterior" and "imprimir", and the
// warning after an appointment is stored at a time already taken.
#include <algorithm>
#include <utility>

#include "book/double_booking.h"
#include "book/year_file.h"
#include "repeat/day_occurrences.h"
#include "session/session.h"
#include "text/messages.h"

namespace quimbaro {

namespace {

constexpr int32_t kWeekDays = 7;

// Monday of the date's week; nothing when the week leaves the calendar.
std::optional<CalendarDate> MondayOf(const CalendarDate& date) {
    return DaysAfter(date, 1 - DayOfWeek(date.year, date.month, date.day));
}

}  // namespace

// The shown day moves by whole weeks, so that "semana siguiente" and a day
// command afterwards agree on where the user is.
void Session::ShowWeek(int32_t weeks, SessionAnswer& answer) {
    const auto day = DaysAfter(shown_.date, kWeekDays * weeks);
    const auto monday = day ? MondayOf(*day) : std::nullopt;
    const auto sunday = monday ? DaysAfter(*monday, kWeekDays - 1) : std::nullopt;
    if (!sunday) return answer.messages.push_back(kNoWeekText);
    if (weeks != 0) ShowDate(*day, answer);
    answer.show.reset();
    answer.messages.clear();  // a day that cannot be read is told once, by the week
    weekShown_ = true;
    RedrawShownWeek(answer);
}

// Each day read as the day table reads it; one that cannot be read shows
// empty, and the first failure is told. False when one could not be read.
bool Session::RedrawShownWeek(SessionAnswer& answer) {
    WeekView week{shown_.date, today_(), {}, search_.days};
    const CalendarDate monday = *MondayOf(shown_.date);
    bool told = false;
    for (int32_t i = 0; i < kWeekDays; ++i) {
        const CalendarDate date = *DaysAfter(monday, i);
        DayList list;
        const StoreResult loaded = LoadDay(folder_, DayKey(date), settings_.sortOrder, list, dayIndex_);
        const std::vector<Series>& series = rules_.Read(folder_).series;
        RowSeries occurrences{};
        if (loaded.Stored())
            AddOccurrences(list, series, SeriesOn(series, date), date, settings_.sortOrder, occurrences);
        if (!loaded.Stored() && !std::exchange(told, true))
            answer.messages.push_back(kNotLoadedText + loaded.Reason());
        week.days.push_back(ShownDayRows(date, DayKey(date), list, occurrences));
    }
    answer.showWeek = std::move(week);
    return !told;
}

std::vector<std::filesystem::path> Session::ShownYearFiles() const {
    std::vector<std::filesystem::path> files{ShownYearFile()};
    if (!weekShown_) return files;
    const CalendarDate monday = *MondayOf(shown_.date);
    for (const CalendarDate& end : {monday, *DaysAfter(monday, kWeekDays - 1)}) {
        std::filesystem::path file = YearFilePath(folder_, DayKey(end));
        if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(std::move(file));
    }
    return files;
}

// The day as its table shows it (its rows as loaded, under the key it was
// shown by), or the week on display read again. A day that could not be
// read is not printed as if it were empty.
void Session::Print(SessionAnswer& answer) {
    if (weekShown_) {
        const bool read = RedrawShownWeek(answer);
        std::vector<DayRows> days = std::move(answer.showWeek->days);
        answer.showWeek.reset();
        if (!read) return answer.messages.push_back(kNotPrintedText);
        answer.print = std::move(days);
    } else {
        if (!shown_.loaded) return answer.messages.push_back(kNotPrintedText);
        answer.print.push_back(ShownDayRows(shown_.date, shown_.key, rows_, rowSeries_));
    }
    answer.requests.push_back(WindowRequest::Print);
}

void Session::WarnOfDoubleBooking(const Appointment& stored, SessionAnswer& answer) const {
    if (!settings_.warnDoubleBooking) return;
    if (auto text = DoubleBookingWarning(folder_, stored)) answer.messages.push_back(std::move(*text));
}

}  // namespace quimbaro
