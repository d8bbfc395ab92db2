#pragma once
// The search in force: what was searched and the days that answer it. It
// stays through day changes until the next "buscar".

#include <optional>
#include <string>
#include <vector>

#include "calendar/dates.h"
#include "search/record_matcher.h"

namespace quimbaro {

struct SearchState {
    std::optional<RecordMatcher> matcher;  // none: no search in force
    std::vector<CalendarDate> days;        // the days with a match, in date order
};

}  // namespace quimbaro
