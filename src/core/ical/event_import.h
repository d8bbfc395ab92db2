#pragma once
// How events from a parsed iCalendar file become records.
//
// Our own events (all X-QUIMBARO-* fields present and still agreeing with
// SUMMARY, DESCRIPTION and DTSTART) give back their exact fields. Any other
// event: the start in the system's local time (UTC and TZID starts are
// converted, floating ones kept), all-day events with an empty time, SUMMARY
// as the subject; recurring events (RRULE, RDATE, EXDATE, RECURRENCE-ID)
// with one plain RRULE (a day or longer, no BY-parts: repeat/occurrences.h)
// and no RDATE stay one series each, with the occurrences other events replace
// (RECURRENCE-ID) as removed days; other recurring events become one record
// per occurrence within the expansion range, at most kMaxOccurrences of them.
// An RRULE libical cannot read is refused. A rule that would cost libical too much to follow
// (rule_work.h) is refused, and mapping stops at more than kMaxImportRecords.

#include <libical/ical.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "book/appointment.h"
#include "ical/book_export.h"
#include "ical/field_text.h"
#include "repeat/series.h"

namespace quimbaro::ical {

inline constexpr int kMaxOccurrences = 1000;         // records of one recurring event
inline constexpr int kMaxRecurrenceSteps = 100000;   // rule steps tried per event
inline constexpr int64_t kMaxRuleWork = 100000;      // libical steps one rule may walk (RuleWork)
inline constexpr int64_t kMaxFileWork = 1000000;     // and all the rules of one file together
inline constexpr std::size_t kMaxImportRecords = 200000;  // records one file may give

struct ImportOptions {
    DateRange filter;     // every event's day must be in it (open by default)
    DateRange expansion;  // where recurring events are expanded; both ends set
    bool keepSeries = true;  // a plain rule kept as a series; false: always copies within expansion
};

struct MappedEvents {
    std::vector<Appointment> records;          // in the file's order
    std::vector<Series> series;                // recurring events kept as rules (repeat/)
    std::map<std::string, int> refused;        // Spanish reason -> events refused for it
    int outsideRange = 0;                      // events or occurrences left out by the range
    int withoutSummary = 0;
    int unknownZones = 0;   // starts with a TZID no zone answers to, read as floating
    bool overLimit = false; // more than kMaxImportRecords: mapping stopped there
    TextFixes fixes;
};

// Maps every VEVENT under root (a VCALENDAR, several of them, or one VEVENT),
// first taking out what GuardCalendar does.
MappedEvents MapEvents(icalcomponent* root, const ImportOptions& options);

}  // namespace quimbaro::ical
