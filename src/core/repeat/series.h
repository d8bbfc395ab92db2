#pragma once
// A repeating appointment: one set of five fields and the rule that says on
// which days it comes. The rule is kept as libical reads an RRULE value, with
// its end (UNTIL) as a plain date: the book's days have no time zone, and
// the time of day is the appointment's own field.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "book/appointment.h"
#include "calendar/dates.h"

namespace quimbaro {

enum class Frequency { Daily, Weekly, Monthly, Yearly };

// What a "cada" line or the command line's --every asks for.
struct Repetition {
    Frequency frequency = Frequency::Weekly;
    int interval = 1;                    // 1..kMaxInterval
    std::optional<CalendarDate> until;   // last day that may hold an occurrence
    int count = 0;                       // 0: no count; else 1..kMaxCount occurrences
    friend bool operator==(const Repetition&, const Repetition&) = default;
};

inline constexpr int kMaxInterval = 999;
inline constexpr int kMaxCount = 9999;

struct Series {
    std::string uid;
    Appointment first;                   // the fields; its date is the first occurrence
    std::string rule;                    // e.g. "FREQ=WEEKLY;INTERVAL=2;UNTIL=20271231"
    std::vector<CalendarDate> excluded;  // removed occurrences, in date order
};

// The rule text for a repetition, as the rules file keeps it.
std::string RuleText(const Repetition& repetition);

// How the boxes name a series: "semanal", "cada 2 semanas", ...
std::string SeriesName(const std::string& rule);

// A UID the rules file keeps as it is: up to kMaxUidBytes, no control bytes
// (a line break would end the property and the UID would not read back), no
// space at either end (dropped when read back).
inline constexpr std::size_t kMaxUidBytes = 255;
bool UsableUid(std::string_view uid);
// The UID a series from another program is kept under: its own when usable,
// else one made from it, the same every time (a sync maps the file again and
// again), and a new one when it has none.
std::string KeptUid(const std::string& uid);

// The first occurrence's day; nothing for a record date that is no real day.
std::optional<CalendarDate> FirstDay(const Series& series);

}  // namespace quimbaro
