#pragma once
// A day's table with the series' occurrences among its records: each
// occurrence is a row like any other, sorted with the records by time, and
// remembered as coming from its series so that the row commands can change
// the series instead of a year file.

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "book/appointment.h"
#include "book/day_rows.h"
#include "book/sort_order.h"
#include "calendar/dates.h"
#include "repeat/series.h"

namespace quimbaro {

// Which series, and which of its days, a row shows.
struct OccurrenceRow {
    std::string uid;
    CalendarDate day;
    std::string name;  // the series' name (SeriesName)
};

// Per row of the day list (row r at index r - 1): the series it comes from,
// nothing for a year file's record.
using RowSeries = std::array<std::optional<OccurrenceRow>, kDaySlots>;

// The fields an occurrence shows: the series' fields with the day's date.
Appointment OccurrenceRecord(const Series& series, const CalendarDate& day);

// The series (indexes into series) that come on day.
std::vector<std::size_t> SeriesOn(const std::vector<Series>& series, const CalendarDate& day);
// The same for every day from..to that has any, each series' rule followed once.
std::map<CalendarDate, std::vector<std::size_t>> SeriesByDay(const std::vector<Series>& series,
                                                             const CalendarDate& from, const CalendarDate& to);

// Adds the occurrences on day of the given series to a list LoadDay filled,
// while slots are free, and sorts the rows again when any was added. kept
// counts them too.
void AddOccurrences(DayList& list, const std::vector<Series>& series, const std::vector<std::size_t>& onDay,
                    const CalendarDate& day, SortOrder order, RowSeries& origin);

// Bit r - 1 set: row r shows an occurrence.
MatchedRows RepeatingRows(const RowSeries& origin);

// The day as its table shows it: the rows kept, each with its series' name.
DayRows ShownDayRows(const CalendarDate& date, std::string key, const DayList& list, const RowSeries& origin);

}  // namespace quimbaro
