#pragma once
// The series a search finds: those whose fields hold the text, each with its
// days near today. A rule without end is followed only kSeriesSearchYears
// either side of today, so that no search expands a series for ever; the
// window marks these days and the command line prints the next of them.

#include <cstddef>
#include <vector>

#include "calendar/dates.h"
#include "repeat/series.h"
#include "search/record_matcher.h"

namespace quimbaro {

inline constexpr int kSeriesSearchYears = 2;

struct SeriesMatch {
    std::size_t index;               // into the series searched
    std::vector<CalendarDate> days;  // in date order, from 1 January kSeriesSearchYears before
                                     // today's year to 31 December as many after; may be empty
};

// In the series' order.
std::vector<SeriesMatch> MatchingSeries(const std::vector<Series>& series, const RecordMatcher& matcher,
                                        const CalendarDate& today);

}  // namespace quimbaro
