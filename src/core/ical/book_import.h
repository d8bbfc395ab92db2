#pragma once
// An iCalendar file into the book: events mapped to records, then each year
// file given its new records in one locked write and one fsync.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "calendar/dates.h"
#include "ical/event_import.h"

namespace quimbaro::ical {

// A larger file is refused unread: libical holds a parsed file at several
// times its size.
inline constexpr std::size_t kMaxImportBytes = 64 << 20;

// The range given on the command line (either end may be missing) for
// filtering; recurring events are expanded within it, or within one year
// back to two years ahead of today where it is open.
ImportOptions MakeImportOptions(const CalendarDate& today, const DateRange& given);

struct YearOutcome {
    int added = 0;
    int alreadyThere = 0;
    int notStored = 0;  // records lost to a failed write: the file is as it was
    std::string error;
    int clashes = 0;    // incoming records at an HH:MM time another record of their day holds
};

struct SeriesOutcome {
    int added = 0;
    int alreadyThere = 0;  // a series of the same UID was there
    int notStored = 0;
    std::string error;
};

struct ImportReport {
    std::map<std::string, YearOutcome> years;  // by year file name
    SeriesOutcome series;
    MappedEvents mapped;                       // records cleared once stored
    bool notCalendar = false;                  // no iCalendar object in the input at all
    bool tooLarge = false;                     // over kMaxImportBytes: not read
    // Not stored at all: too large, or more records than one file may give.
    bool Refused() const { return tooLarge || mapped.overLimit; }
    // Events refused, records not stored, or no calendar: anything lost.
    bool AnythingRefused() const;
};

// Nothing is stored when the file is refused whole (Refused()).
ImportReport ImportCalendarText(const std::filesystem::path& folder, std::string_view text,
                                const ImportOptions& options);

// The report for the user, in Spanish, one item per line.
std::string ImportReportText(const ImportReport& report);

}  // namespace quimbaro::ical
