#pragma once
// What following one recurrence rule may cost. libical's iterator walks every
// second, minute, hour or day between two occurrences inside a single call
// (its creation included, which looks for the first), until the rule's end
// or, without one, year 2582: a rule whose BY-parts match rarely or never
// ("every minute of 30 February") would hold the program for hours in one
// call. So the rule is made to start near the range and end just past it,
// and the walk that remains is estimated before the rule is followed.

#include <libical/ical.h>

#include <cstdint>

#include "calendar/dates.h"

namespace quimbaro::ical {

// The rule ending no later than two days after last (its own end when that
// comes first), so that no call walks past the range.
icalrecurrencetype BoundedRule(icalrecurrencetype rule, const CalendarDate& last, bool allDay);

// A start at or before target, a whole number of the rule's intervals after
// start, so that the rule gives the same occurrences from there on without
// libical walking from a start centuries back; start itself when the rule
// counts its occurrences (COUNT) from there or target is not after it.
icaltimetype StartNear(const icalrecurrencetype& rule, icaltimetype start, const icaltimetype& target);

// The steps libical may walk from `from` to the rule's end: the days in
// between (divided by the interval) for rules of a day or longer, whose
// periods it expands day by day; for shorter ones the seconds, minutes or
// hours when BY-parts can skip steps, else 0 (every step is an occurrence,
// counted as it comes).
int64_t RuleWork(const icalrecurrencetype& rule, const icaltimetype& from);

}  // namespace quimbaro::ical
