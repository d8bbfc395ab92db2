#pragma once
// The days a series comes on, as libical follows its rule (RFC 5545: a
// monthly rule on the 31st skips the shorter months, a yearly one on 29
// February the years without it), less its removed days. What following a
// rule may cost is bounded as for imported events (ical/rule_work.h).

#include <libical/ical.h>

#include <vector>

#include "calendar/dates.h"
#include "repeat/series.h"

namespace quimbaro {

struct Occurrences {
    std::vector<CalendarDate> days;  // in date order
    bool complete = true;            // false: the rule would cost too much to follow, or gave too many days
};

// The series' days from..to, both included.
Occurrences OccurrencesIn(const Series& series, const CalendarDate& from, const CalendarDate& to);

// Whether the series comes on that day; for the plain rules the book makes
// (no BY-parts, no count) answered without following the rule at all.
bool OccursOn(const Series& series, const CalendarDate& day);

// The day as an iCalendar DATE (libical's own null date is no day to start a
// rule from: its time fields are -1).
icaltimetype IcalDate(const CalendarDate& day);

// A rule of a day or longer without BY-parts: the kind the book makes.
bool IsPlainRule(const icalrecurrencetype& rule);

// Whether the rule is one the book can keep: a frequency of a day or more,
// an interval of 1..kMaxInterval, no BY-part that names hours, minutes or
// seconds. The reason otherwise, in Spanish; empty when it can.
std::string RuleProblem(const std::string& rule);
// The same for a rule already parsed, which spares parsing it twice.
std::string RuleProblem(const icalrecurrencetype& rule);

}  // namespace quimbaro
