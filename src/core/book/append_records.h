#pragma once
// Many records into one year file at once, as an import brings them: one
// lock, one write and one fsync for the whole batch, and records the file
// already holds are not added again.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "book/appointment.h"
#include "book/year_file.h"

namespace quimbaro {

struct BatchResult {
    StoreResult store;     // fileName is the year file's name
    int added = 0;
    int alreadyThere = 0;  // incoming records the file held already
    int64_t at = -1;       // the byte offset of the first record added, one after the other
};

// The record as its five fields read (bytes after a field's end do not
// count): equal keys are the same appointment.
std::string RecordKey(const Appointment& record);

// Every record of the year file at path, in file order (whole records only);
// a missing file reads as empty and is not created.
StoreResult ReadYearRecords(const std::filesystem::path& path, std::vector<Appointment>& records);

// Appends to the one year file that all the records' dates name those records
// it does not hold yet. Records are compared by their five fields; the file
// holding a record k times covers the first k incoming copies of it, so that
// importing the same records twice adds nothing and a batch cut short by a
// crash is completed by running it again. Every date must be a DayKey of the
// same year (else BadDate, nothing written). On a failed write or sync the
// file is cut back to the whole records it had. Duplicates::Keep appends
// every record, held or not (a sync that knows which records are new).
enum class Duplicates { Skip, Keep };
BatchResult AppendNewRecords(const std::filesystem::path& folder, std::span<const Appointment> records,
                             Duplicates duplicates = Duplicates::Skip);

}  // namespace quimbaro
