#pragma once
// Deleting and editing stored appointments without moving or rewriting any
// other record. A deletion zeroes the date field of that one record: it then
// matches no day, and its other fields stay, so writing the date back undoes
// it. An edit appends the new record before it deletes the old one, so a
// crash in between leaves a duplicate, never a loss. Every change first
// checks, under the year file's lock, that the record still holds exactly the
// bytes the user saw (Changed otherwise), and is on disk before it reports
// success.

#include <cstdint>
#include <filesystem>
#include <optional>

#include "book/appointment.h"
#include "book/year_file.h"

namespace quimbaro {

// A record as it was read, and where: its byte position in the year file
// named after its own date.
struct StoredRecord {
    Appointment record;
    uint64_t offset = 0;
};

// The shown row's record, from a loaded day list (row 1..29).
StoredRecord RowRecord(const DayList& list, int row);

StoreResult DeleteRecord(const std::filesystem::path& folder, const StoredRecord& seen);

// Appends the record to the year file of its date, as AppendAppointment
// does; added tells where it went, for undoing it.
StoreResult AddRecord(const std::filesystem::path& folder, const Appointment& record, StoredRecord& added);

// Appends replacement to the year file of its own date (BadDate when that is
// no DayKey), then deletes seen; added tells where the replacement went. A
// replacement byte-identical to seen changes nothing and leaves added = seen.
StoreResult ReplaceRecord(const std::filesystem::path& folder, const StoredRecord& seen,
                          const Appointment& replacement, StoredRecord& added);

// What undoes one deletion (no added record) or one edit.
struct UndoStep {
    StoredRecord removed;              // written back
    std::optional<StoredRecord> added;  // deleted again, after the write-back
};

StoreResult Undo(const std::filesystem::path& folder, const UndoStep& step);

// A deletion or an edit as the window and the command line make them, with
// the step that undoes it: none when it failed or changed nothing.
struct Change {
    StoreResult result;
    std::optional<UndoStep> undo;
};
Change DeleteChange(const std::filesystem::path& folder, const StoredRecord& seen);
Change ReplaceChange(const std::filesystem::path& folder, const StoredRecord& seen, const Appointment& replacement);

}  // namespace quimbaro
