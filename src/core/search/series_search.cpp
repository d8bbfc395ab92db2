#include "search/series_search.h"

#include <algorithm>

#include "repeat/occurrences.h"

namespace quimbaro {

std::vector<SeriesMatch> MatchingSeries(const std::vector<Series>& series, const RecordMatcher& matcher,
                                        const CalendarDate& today) {
    const CalendarDate from{int16_t(std::max(1, today.year - kSeriesSearchYears)), 1, 1};
    const CalendarDate to{int16_t(std::min(9999, today.year + kSeriesSearchYears)), 12, 31};
    std::vector<SeriesMatch> found;
    for (std::size_t i = 0; i < series.size(); ++i)
        if (matcher.TextMatches(reinterpret_cast<const char*>(&series[i].first)))
            found.push_back({i, OccurrencesIn(series[i], from, to).days});
    return found;
}

}  // namespace quimbaro
