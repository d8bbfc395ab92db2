#pragma once
// The book as a vdir: a folder of one <UID>.ics file per appointment, the
// form that sync tools keep in step with a calendar server.
//
// The folder may hold other programs' files: a file is ours only when it is
// listed in the folder's ".quimbaro-vdir" (which sync tools pass over, as it
// does not end in .ics). Each run writes new and changed appointments,
// removes our files of appointments no longer in the book, and never touches
// a file that is not ours.

#include <filesystem>
#include <string>

#include "ical/book_export.h"

namespace quimbaro::ical {

inline constexpr const char* kVdirListName = ".quimbaro-vdir";

struct VdirOutcome {
    int written = 0;    // new or changed files
    int unchanged = 0;
    int removed = 0;
    int notOurs = 0;    // appointments whose file name another program's file holds
    int skipped = 0;    // records whose date is no real day
    std::string error;  // Spanish, empty on success
};

VdirOutcome ExportBookToVdir(const std::filesystem::path& folder, const DateRange& range,
                             const std::filesystem::path& vdir);

std::string VdirMessage(const VdirOutcome& outcome, const std::string& vdir);

}  // namespace quimbaro::ical
