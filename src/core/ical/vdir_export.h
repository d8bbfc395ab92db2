#pragma once
// The book as a vdir: a folder of one <UID>.ics file per appointment and per
// series (its RRULE and EXDATEs in one event, its UID kept), the
// form that sync tools keep in step with a calendar server.
//
// The folder may hold other programs' files: a file is ours only when it is
// listed in the folder's ".quimbaro-vdir" (which sync tools pass over, as it
// does not end in .ics). Each run writes new and changed appointments,
// removes our files of appointments no longer in the book, and never touches
// a file that is not ours. An appointment that another program's file in the
// folder already holds (as import would map it: an event made on the server
// and imported) is not written again, so it does not reach the server twice.
//
// Whoever can write into the folder is not trusted: only plain files directly
// in it, with names the export itself makes, are ever written or removed, and
// no link is followed. A run holds the folder's lock (files/folder_lock.h),
// writes every new file aside first and moves them into place only when all
// are on disk, and writes the list last, so a failed run leaves the folder as
// it was and the next run carries on.

#include <filesystem>
#include <string>
#include <string_view>

#include "ical/book_export.h"
#include "ical/event_import.h"

namespace quimbaro::ical {

inline constexpr const char* kVdirListName = ".quimbaro-vdir";

// The file a series goes to: its UID when the book made it, else a name made
// from a digest of the UID (another program's UID may be no file name at all).
std::string SeriesFileName(const std::string& uid);
bool IsSeriesFileName(std::string_view name);

struct VdirOutcome {
    int written = 0;    // new or changed files (a series is one file)
    int unchanged = 0;
    int removed = 0;
    int notOurs = 0;    // appointments whose file name another program's entry holds
    int elsewhere = 0;  // appointments another program's file in the folder holds
    int skipped = 0;    // records whose date is no real day
    int passedOver = 0;  // names in the list the export would never make or that are no plain file now
    std::string error;  // Spanish, empty on success
};

// foreign: how other programs' events are mapped (see MakeImportOptions).
VdirOutcome ExportBookToVdir(const std::filesystem::path& folder, const DateRange& range,
                             const std::filesystem::path& vdir, const ImportOptions& foreign);

std::string VdirMessage(const VdirOutcome& outcome, const std::string& vdir);

}  // namespace quimbaro::ical
