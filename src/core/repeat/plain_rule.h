#pragma once
// The rule texts this program writes, read without libical: a frequency, an
// interval, a count or an end, in the order and spelling libical writes them.
// Reading them costs a few hundred instructions against libical's few
// thousand, which a thousand series pay at every start and for every row.

#include <optional>
#include <string_view>

#include <libical/ical.h>

#include "repeat/series.h"

namespace quimbaro {

// Whether the end of a rule may carry the time of day the export gives it.
enum class RuleEnd { Day, DayOrLastSecond };

// "FREQ=WEEKLY[;COUNT=n|;UNTIL=YYYYMMDD[T235959]][;INTERVAL=n]", with a count
// and an interval the book can keep and a real day as end; nothing for any
// other text, which is libical's to read.
std::optional<Repetition> ReadPlainRule(std::string_view text, RuleEnd end);

// "YYYYMMDD" as a real day of a four-digit year libical keeps as it is.
std::optional<CalendarDate> CompactDay(std::string_view digits);

// The repetition as libical holds a rule.
icalrecurrencetype RecurrenceOf(const Repetition& repetition);

// The rule as libical reads it; a plain rule without libical.
icalrecurrencetype ParseRule(std::string_view text);

}  // namespace quimbaro
