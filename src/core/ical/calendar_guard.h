#pragma once
// What a parsed calendar loses before any of its times is read, because
// libical would otherwise work without end or read outside the book:
// - time zones whose rules change more often than once a year, or would make
//   too many changes in all (libical lists every change from the zone's
//   start on, growing without bound for a zone that changes every second),
//   and the events that start in them;
// - TZID names that no time zone of the file defines and that are no plain
//   zone name ("Europe/Madrid"): libical opens them as paths under its zone
//   folder, "../../" and FIFOs included. They are emptied, so that the time
//   reads as floating.

#include <libical/ical.h>

namespace quimbaro::ical {

// Zone changes that all the kept time zones of one file may make.
inline constexpr long kMaxZoneChanges = 200000;

struct GuardedCalendar {
    int eventsInDroppedZones = 0;  // taken out of the calendar with their zones
};

GuardedCalendar GuardCalendar(icalcomponent* root);

}  // namespace quimbaro::ical
