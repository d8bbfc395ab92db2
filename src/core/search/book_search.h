#pragma once
// Searching every year file of the data folder: the files named NNNN.log
// (four digits), each streamed in blocks under its lock, so memory stays
// flat however many records there are. A file that cannot be read is
// skipped and reported; the others are still searched.

#include <filesystem>
#include <optional>
#include <vector>

#include "book/appointment.h"
#include "book/day_index.h"
#include "book/year_file.h"
#include "calendar/dates.h"
#include "search/record_matcher.h"

namespace quimbaro {

// The year files of the folder, in year order; anything else is ignored.
// A folder that cannot be listed is reported in `failure`.
std::vector<std::filesystem::path> YearFiles(const std::filesystem::path& folder,
                                             std::optional<StoreResult>& failure);

// A record dated in another year than its file's is never found: its day
// never shows it. `skipped` holds the files (or the folder) that could not
// be read.
struct DaySearch {
    std::vector<CalendarDate> days;  // in date order, each once
    std::vector<StoreResult> skipped;
};
// Memory stays a day table per file however many records match. Large year
// files are searched in their search tables (search_table.h) kept in `cache`
// (empty: none are read or made); making one holds the file's folded texts,
// about half its size and at most SearchTableBuilder::kMaxTableBytes.
DaySearch FindMatchingDays(const std::filesystem::path& folder, const RecordMatcher& matcher,
                           const DayIndexPlace& cache = {});

struct RecordSearch {
    std::vector<Appointment> records;  // in date order, then time order (as a day sorts them)
    std::vector<StoreResult> skipped;
};
RecordSearch FindMatchingRecords(const std::filesystem::path& folder, const RecordMatcher& matcher);

// Where a new search starts: the first matching day on or after today, or
// else the last one before it; nothing when there is no match.
std::optional<CalendarDate> FirstDayToShow(const std::vector<CalendarDate>& days, const CalendarDate& today);
// The matching day right after, or right before, the shown one.
std::optional<CalendarDate> NextMatchDay(const std::vector<CalendarDate>& days, const CalendarDate& shown);
std::optional<CalendarDate> PreviousMatchDay(const std::vector<CalendarDate>& days, const CalendarDate& shown);

}  // namespace quimbaro
