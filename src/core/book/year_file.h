#pragma once
// Year files: one headerless sequence of 155-byte records per year, in the
// data folder, named after the last four characters of the DayKey + ".log".
// Every load and append holds an exclusive advisory lock on the file so two
// running copies never interleave their writes.

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "book/appointment.h"
#include "book/day_index.h"
#include "book/sort_order.h"

namespace quimbaro {

std::filesystem::path YearFilePath(const std::filesystem::path& folder, std::string_view dateKey);

// Puts the folder's entries (files and folders made in it) on disk, so they
// survive a crash; 0 or the errno of the failure.
int SyncFolder(const std::filesystem::path& folder);

enum class StoreError {
    None,
    BadDate,       // the date is no DayKey: refused, nothing written
    OpenFailed,    // folder not writable, file is a directory or a link, ...
    NotAFile,      // a FIFO, a device or a socket in the year file's place
    LockTimeout,   // another copy held the file past the wait
    ReadFailed,    // the year file could not be read while loading
    WriteFailed,   // short or failed write (disk full, file too large)
    SyncFailed,    // the record could not be flushed to disk
    Changed,       // the stored record is no longer the one the user saw
};

struct StoreResult {
    StoreError error = StoreError::None;
    int systemError = 0;  // errno, when there is one
    std::string fileName;  // the year file's name (e.g. 2026.log), for Reason()
    bool Stored() const { return error == StoreError::None; }
    // A file opened only for reading that is not there: no records, no failure.
    bool FileMissing() const { return error == StoreError::OpenFailed && systemError == ENOENT; }
    // Why the record was not stored, in Spanish, for the user.
    std::string Reason() const;
};

// How long a load or append waits for another copy's lock.
inline constexpr int kLockWaitMilliseconds = 2000;

// Fills the day list with the first 29 records whose date equals dateKey byte
// for byte, in file order, then sorts them by time (SortDay). A missing year
// file is an empty day, and is not created. On failure the list is left empty. An empty
// key, one whose file name would leave the folder (a '/' in its last four
// characters, "." or "..") or one holding a zero byte is refused as BadDate,
// and nothing is created.
StoreResult LoadDay(const std::filesystem::path& folder, std::string_view dateKey, SortOrder sortOrder,
                    DayList& list);

// The same, reading a large year file through its day index (book/day_index.h)
// kept in index.folder, made there when missing or out of date.
StoreResult LoadDay(const std::filesystem::path& folder, std::string_view dateKey, SortOrder sortOrder,
                    DayList& list, const DayIndexPlace& index);

// Several days, each as LoadDay loads it (lists[i] is keys[i]'s day), every
// year file read once however many of its days are asked for. The keys are
// distinct; on a failure lists is empty.
StoreResult LoadDays(const std::filesystem::path& folder, const std::vector<std::string>& keys, SortOrder sortOrder,
                     std::vector<DayList>& lists);

// Every record whose date equals dateKey, in file order and unsorted, with no
// limit on their number; the same refusals and failures as LoadDay.
StoreResult LoadWholeDay(const std::filesystem::path& folder, std::string_view dateKey,
                         std::vector<Appointment>& records);

// Appends one record at offset n * 155 (n = whole records in the file, so a
// partial trailing record is overwritten). Only a date that ParseDayKey
// accepts is stored; anything else is BadDate and no file is touched. Reports
// success only once the record is on disk.
StoreResult AppendAppointment(const std::filesystem::path& folder, std::string_view date,
                              std::string_view time, std::string_view phone, std::string_view name,
                              std::string_view subject);
StoreResult AppendAppointment(const std::filesystem::path& folder, const Appointment& record);

}  // namespace quimbaro
