#pragma once
// The Spanish texts a screen reader reads for the window's parts.

#include <QString>

#include "calendar/dates.h"
#include "session/session_answer.h"

namespace quimbaro {

// "lunes 7 de diciembre de 2026"; weekday 1 (Monday) .. 7 (Sunday).
QString WeekdayName(int weekday);
QString MonthInWords(int year, int month);
QString DayInWords(const CalendarDate& date);

// The day table: its name, how many rows it has and how many match.
QString DayTableName(const CalendarDate& date);
QString DayTableSummary(int rows, int matchedRows);
QString RowDescription(int row, bool matched, bool repeating = false);

// A day of the strip: shown, a Sunday, holding matches of the search.
QString StripDayDescription(bool shown, bool sunday, bool marked);
QString StripName(int year, int month);

inline constexpr const char* kEntryName = "Orden";
QString EntryDescription(const EntryMode& mode);

}  // namespace quimbaro
