#include "repeat/day_occurrences.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "book/collation.h"
#include "repeat/occurrences.h"

namespace quimbaro {

namespace {

// While sorting, an occurrence's offset holds a mark of its own, so that it
// follows its row: no year file is that long.
constexpr uint64_t kMarkBase = std::numeric_limits<uint64_t>::max() - kDaySlots;

}  // namespace

Appointment OccurrenceRecord(const Series& series, const CalendarDate& day) {
    Appointment record = series.first;
    StoreField(record.date, DayKey(day));
    return record;
}

std::vector<std::size_t> SeriesOn(const std::vector<Series>& series, const CalendarDate& day) {
    std::vector<std::size_t> on;
    for (std::size_t i = 0; i < series.size(); ++i)
        if (OccursOn(series[i], day)) on.push_back(i);
    return on;
}

std::map<CalendarDate, std::vector<std::size_t>> SeriesByDay(const std::vector<Series>& series,
                                                             const CalendarDate& from, const CalendarDate& to) {
    std::map<CalendarDate, std::vector<std::size_t>> days;
    for (std::size_t i = 0; i < series.size(); ++i)
        for (const CalendarDate& day : OccurrencesIn(series[i], from, to).days) days[day].push_back(i);
    return days;
}

void AddOccurrences(DayList& list, const std::vector<Series>& series, const std::vector<std::size_t>& onDay,
                    const CalendarDate& day, SortOrder order, RowSeries& origin) {
    origin = {};
    std::array<std::optional<OccurrenceRow>, kDaySlots> added{};
    int count = std::min(list.kept, kDaySlots);
    const int records = count;
    for (const std::size_t index : onDay) {
        const Series& one = series[index];
        ++list.kept;
        if (count >= kDaySlots) continue;
        list.slots[count] = OccurrenceRecord(one, day);
        list.offsets[count] = kMarkBase + uint64_t(count);
        added[count] = OccurrenceRow{one.uid, day, SeriesName(one.rule)};
        ++count;
    }
    if (count == records) return;
    SortDay(list, count, order);
    for (int i = 0; i < count; ++i) {
        if (list.offsets[i] < kMarkBase) continue;
        origin[i] = added[list.offsets[i] - kMarkBase];
        list.offsets[i] = 0;
    }
}

MatchedRows RepeatingRows(const RowSeries& origin) {
    MatchedRows rows;
    for (std::size_t i = 0; i < origin.size(); ++i) rows.set(i, origin[i].has_value());
    return rows;
}

DayRows ShownDayRows(const CalendarDate& date, std::string key, const DayList& list, const RowSeries& origin) {
    DayRows day{date, std::move(key), {}};
    const int kept = std::min(list.kept, kDaySlots);
    day.rows.assign(list.slots.begin(), list.slots.begin() + kept);
    for (int i = 0; i < kept; ++i) day.repetition.push_back(origin[i] ? origin[i]->name : std::string());
    return day;
}

}  // namespace quimbaro
