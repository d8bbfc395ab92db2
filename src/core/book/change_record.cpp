#include "book/change_record.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "book/locked_file.h"
#include "book/year_file_write.h"
#include "calendar/dates.h"

namespace quimbaro {
namespace {

namespace fs = std::filesystem;
constexpr std::size_t kDateWidth = sizeof(Appointment::date);

std::string FileNameOf(const Appointment& record) {
    return YearFilePath({}, ReadField(record.date)).string();
}

bool HasDayKey(const Appointment& record) { return ParseDayKey(ReadField(record.date)).has_value(); }

// The year files of one change, one or two, locked together. They are locked
// in name order, so two copies changing the same two files never each hold
// the lock the other waits for.
class ChangeFiles {
public:
    StoreResult Open(const fs::path& folder, std::string first, std::string second) {
        if (second < first) std::swap(first, second);
        names_ = {first, second};
        const int count = first == second ? 1 : 2;
        for (int i = 0; i < count; ++i) {
            StoreResult result = files_[i].Open(folder / names_[i], O_RDWR, kLockWaitMilliseconds);
            result.fileName = names_[i];
            if (!result.Stored()) return result;
        }
        return {};
    }
    int Fd(const std::string& name) const { return files_[name == names_[0] ? 0 : 1].fd(); }
    // The change's result, unless it succeeded and a file then fails to close.
    StoreResult Finish(StoreResult result) {
        for (int i = 0; i < 2; ++i)
            if (!files_[i].Close() && result.Stored()) result = StoreResult{StoreError::WriteFailed, errno, names_[i]};
        return result;
    }

private:
    std::array<std::string, 2> names_;
    std::array<LockedFile, 2> files_;
};

// Reads until size bytes or the end of the file; -1 (errno set) on error.
ssize_t ReadFullyAt(int fd, char* buffer, std::size_t size, off_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, buffer + done, size - done, offset + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

bool OnARecordBoundary(uint64_t offset) {
    return offset % kRecordSize == 0 &&
           offset <= static_cast<uint64_t>(std::numeric_limits<off_t>::max()) - kRecordSize;
}

// Changed unless the bytes at the record's place are exactly the record, with
// its date zeroed when `deleted`.
StoreResult Expect(int fd, const StoredRecord& stored, bool deleted, const std::string& name) {
    if (!OnARecordBoundary(stored.offset)) return StoreResult{StoreError::Changed, 0, name};
    Appointment expected = stored.record;
    if (deleted) std::memset(expected.date, 0, kDateWidth);
    char found[kRecordSize];
    const ssize_t got = ReadFullyAt(fd, found, kRecordSize, static_cast<off_t>(stored.offset));
    if (got < 0) return StoreResult{StoreError::ReadFailed, errno, name};
    if (static_cast<std::size_t>(got) != kRecordSize || std::memcmp(found, &expected, kRecordSize) != 0)
        return StoreResult{StoreError::Changed, 0, name};
    return {};
}

// Writes the record's date field, or zeroes in its place when `deleted`, and
// waits until it is on disk. Only those 11 bytes are written: a torn write
// leaves a date no day key matches, so the record stays deleted.
StoreResult WriteDate(int fd, const StoredRecord& stored, bool deleted, const std::string& name) {
    char date[kDateWidth] = {};
    if (!deleted) std::memcpy(date, stored.record.date, kDateWidth);
    if (!WriteFully(fd, date, kDateWidth, static_cast<off_t>(stored.offset)))
        return StoreResult{StoreError::WriteFailed, errno, name};
    if (fsync(fd) != 0) return StoreResult{StoreError::SyncFailed, errno, name};
    return {};
}

}  // namespace

StoredRecord RowRecord(const DayList& list, int row) {
    const auto slot = static_cast<std::size_t>(row - 1);
    return {list.slots.at(slot), list.offsets.at(slot)};
}

StoreResult DeleteRecord(const fs::path& folder, const StoredRecord& seen) {
    const std::string name = FileNameOf(seen.record);
    if (!HasDayKey(seen.record)) return StoreResult{StoreError::BadDate, 0, name};
    ChangeFiles files;
    StoreResult result = files.Open(folder, name, name);
    if (result.Stored()) result = Expect(files.Fd(name), seen, false, name);
    if (result.Stored()) result = WriteDate(files.Fd(name), seen, true, name);
    return files.Finish(result);
}

StoreResult AddRecord(const fs::path& folder, const Appointment& record, StoredRecord& added) {
    const std::string name = FileNameOf(record);
    if (!HasDayKey(record)) return StoreResult{StoreError::BadDate, 0, name};
    ChangeFiles files;
    StoreResult result = files.Open(folder, name, name);
    added.record = record;
    if (result.Stored()) result = WriteRecordAtEnd(files.Fd(name), folder, record, name, added.offset);
    return files.Finish(result);
}

StoreResult ReplaceRecord(const fs::path& folder, const StoredRecord& seen, const Appointment& replacement,
                          StoredRecord& added) {
    const std::string oldName = FileNameOf(seen.record), newName = FileNameOf(replacement);
    if (!HasDayKey(seen.record) || !HasDayKey(replacement)) return StoreResult{StoreError::BadDate, 0, newName};
    ChangeFiles files;
    StoreResult result = files.Open(folder, oldName, newName);
    if (result.Stored()) result = Expect(files.Fd(oldName), seen, false, oldName);
    if (result.Stored() && SameBytes(seen.record, replacement)) {
        added = seen;
        return files.Finish(result);
    }
    added.record = replacement;
    if (result.Stored()) result = WriteRecordAtEnd(files.Fd(newName), folder, replacement, newName, added.offset);
    if (result.Stored()) result = WriteDate(files.Fd(oldName), seen, true, oldName);
    return files.Finish(result);
}

// The write-back comes first: a crash before the added record is deleted
// again leaves both, never neither.
StoreResult Undo(const fs::path& folder, const UndoStep& step) {
    const std::string removedName = FileNameOf(step.removed.record);
    const std::string addedName = step.added ? FileNameOf(step.added->record) : removedName;
    if (!HasDayKey(step.removed.record) || (step.added && !HasDayKey(step.added->record)))
        return StoreResult{StoreError::BadDate, 0, removedName};
    ChangeFiles files;
    StoreResult result = files.Open(folder, removedName, addedName);
    if (result.Stored()) result = Expect(files.Fd(removedName), step.removed, true, removedName);
    if (result.Stored() && step.added) result = Expect(files.Fd(addedName), *step.added, false, addedName);
    if (result.Stored()) result = WriteDate(files.Fd(removedName), step.removed, false, removedName);
    if (result.Stored() && step.added) result = WriteDate(files.Fd(addedName), *step.added, true, addedName);
    return files.Finish(result);
}

Change DeleteChange(const fs::path& folder, const StoredRecord& seen) {
    Change change{DeleteRecord(folder, seen), std::nullopt};
    if (change.result.Stored()) change.undo = UndoStep{seen, std::nullopt};
    return change;
}

Change ReplaceChange(const fs::path& folder, const StoredRecord& seen, const Appointment& replacement) {
    StoredRecord added;
    Change change{ReplaceRecord(folder, seen, replacement, added), std::nullopt};
    if (change.result.Stored() && !SameBytes(replacement, seen.record)) change.undo = UndoStep{seen, added};
    return change;
}

}  // namespace quimbaro
