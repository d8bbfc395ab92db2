#pragma once
// How events from a parsed iCalendar file become records.
//
// Our own events (all X-QUIMBARO-* fields present and still agreeing with
// SUMMARY, DESCRIPTION and DTSTART) give back their exact fields. Any other
// event: the start in the system's local time (UTC and TZID starts are
// converted, floating ones kept), all-day events with an empty time, SUMMARY
// as the subject; recurring events (RRULE, RDATE, EXDATE, RECURRENCE-ID)
// become one record per occurrence within the expansion range, at most
// kMaxOccurrences of them.

#include <libical/ical.h>

#include <map>
#include <string>
#include <vector>

#include "book/appointment.h"
#include "ical/book_export.h"
#include "ical/field_text.h"

namespace quimbaro::ical {

inline constexpr int kMaxOccurrences = 1000;         // records of one recurring event
inline constexpr int kMaxRecurrenceSteps = 100000;   // rule steps tried per event

struct ImportOptions {
    DateRange filter;     // every event's day must be in it (open by default)
    DateRange expansion;  // where recurring events are expanded; both ends set
};

struct MappedEvents {
    std::vector<Appointment> records;          // in the file's order
    std::map<std::string, int> refused;        // Spanish reason -> events refused for it
    int outsideRange = 0;                      // events or occurrences left out by the range
    int withoutSummary = 0;
    TextFixes fixes;
};

// Maps every VEVENT under root (a VCALENDAR, several of them, or one VEVENT).
MappedEvents MapEvents(icalcomponent* root, const ImportOptions& options);

}  // namespace quimbaro::ical
