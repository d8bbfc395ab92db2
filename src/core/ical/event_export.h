#pragma once
// How a stored appointment becomes an iCalendar event (VEVENT).
//
// The book has no time zone: an "HH:MM" time becomes a floating local start,
// any other time text an all-day event. SUMMARY reads "name: subject",
// DESCRIPTION holds the phone (and the time text of an all-day event), and
// each field is kept byte for byte in its own X-QUIMBARO-* property (none for
// an empty field), so that
// the book can take its own events back unchanged.

#include <libical/ical.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "book/appointment.h"
#include "calendar/dates.h"

namespace quimbaro::ical {

inline constexpr const char* kProductId = "-//Quimbaro//Agenda//ES";
inline constexpr const char* kFieldProperties[5] = {"X-QUIMBARO-DATE", "X-QUIMBARO-TIME", "X-QUIMBARO-PHONE",
                                                    "X-QUIMBARO-NAME", "X-QUIMBARO-SUBJECT"};

// A DayKey that names a real day of years 1..9999.
std::optional<CalendarDate> ValidDay(std::string_view dayKey);
// Hours and minutes of a time that is exactly HH:MM (00:00..23:59).
std::optional<std::pair<int, int>> ClockTime(std::string_view time);

// One UID per record, the same each time the same book is exported: a digest
// of the five fields and the record's rank among identical ones.
std::vector<std::string> StableUids(std::span<const Appointment> records);

// The event of a record whose date passes ValidDay; the caller frees it.
icalcomponent* AppointmentEvent(const Appointment& record, const std::string& uid);

}  // namespace quimbaro::ical
