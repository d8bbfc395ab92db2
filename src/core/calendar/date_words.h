#pragma once
// A day named for people and for other programs: the Spanish words a
// heading shows ("lunes 7 de diciembre de 2026") and the ISO form (2026-12-07).

#include <string>

#include "calendar/dates.h"

namespace quimbaro {

// True for a date of the calendar (a typed 31/02 or year 0 is none).
bool IsRealDay(const CalendarDate& date);
// UTF-8, all in lower case; empty for no real day.
std::string DateInWords(const CalendarDate& date);
// YYYY-MM-DD; empty for no real day.
std::string IsoDate(const CalendarDate& date);

}  // namespace quimbaro
