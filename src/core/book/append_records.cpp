#include "book/append_records.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <unordered_map>

#include "book/fd_io.h"
#include "book/year_file_write.h"
#include "book/locked_file.h"
#include "calendar/dates.h"

namespace quimbaro {
namespace {

using RecordCounts = std::unordered_map<std::string, int>;

StoreResult Failed(StoreError error, int systemError, const std::string& fileName) {
    return StoreResult{error, systemError, fileName};
}

// Records read from the year file at a time: the file may be far larger than
// memory, the incoming batch never is.
constexpr std::size_t kReadBlock = 4096;

// Reads the whole records of an open file into records; 0 or an errno.
int ReadOpenFile(int fd, std::vector<Appointment>& records) {
    struct stat info {};
    if (fstat(fd, &info) != 0) return errno;
    records.resize(static_cast<std::size_t>(info.st_size) / kRecordSize);
    const std::size_t bytes = records.size() * kRecordSize;
    const ssize_t got = ReadFully(fd, reinterpret_cast<char*>(records.data()), bytes);
    if (got < 0) return errno;
    records.resize(static_cast<std::size_t>(got) / kRecordSize);
    return 0;
}

// How many copies of each incoming record the file holds, read a block at a
// time; end becomes the end of its last whole record. 0 or an errno.
int CountHeld(int fd, std::span<const Appointment> incoming, RecordCounts& held, off_t& end) {
    for (const Appointment& record : incoming) held.emplace(RecordKey(record), 0);
    std::vector<Appointment> block(kReadBlock);
    end = 0;
    for (;;) {
        const ssize_t got = ReadFully(fd, reinterpret_cast<char*>(block.data()), kReadBlock * kRecordSize);
        if (got < 0) return errno;
        const std::size_t whole = static_cast<std::size_t>(got) / kRecordSize;
        for (std::size_t i = 0; i < whole; ++i) {
            if (const auto found = held.find(RecordKey(block[i])); found != held.end()) ++found->second;
        }
        end += static_cast<off_t>(whole * kRecordSize);
        if (whole < kReadBlock) return 0;
    }
}

bool SameYearFile(std::span<const Appointment> records, std::string& fileName) {
    for (const Appointment& record : records) {
        const std::string date = ReadField(record.date);
        if (!ParseDayKey(date)) return false;
        const std::string name = YearFilePath("", date).string();
        if (!fileName.empty() && name != fileName) return false;
        fileName = name;
    }
    return true;
}

// The incoming records the file's copies do not cover yet, in their order.
std::vector<Appointment> NewRecords(RecordCounts& held, std::span<const Appointment> incoming) {
    std::vector<Appointment> fresh;
    for (const Appointment& record : incoming) {
        int& copies = held[RecordKey(record)];
        if (copies > 0) {
            --copies;
        } else {
            fresh.push_back(record);
        }
    }
    return fresh;
}

// Writes the batch after the last whole record and syncs it; on failure the
// file is cut back to where it ended.
StoreResult WriteBatch(int fd, off_t end, const std::vector<Appointment>& fresh, const std::string& fileName) {
    const auto* bytes = reinterpret_cast<const char*>(fresh.data());
    StoreResult result;
    if (!WriteFully(fd, bytes, fresh.size() * kRecordSize, end)) {
        result = Failed(StoreError::WriteFailed, errno, fileName);
    } else if (fsync(fd) != 0) {
        result = Failed(StoreError::SyncFailed, errno, fileName);
    }
    if (!result.Stored() && ftruncate(fd, end) == 0) fsync(fd);
    return result;
}

// Zeroes what follows the field's text, the last byte always.
template <std::size_t Width>
void ClearAfterText(char (&field)[Width]) {
    const std::size_t text = strnlen(field, Width - 1);
    std::memset(field + text, 0, Width - text);
}

}  // namespace

// The record as MakeAppointment would store its fields again, made in place:
// a key is taken for every incoming and every held record.
std::string RecordKey(const Appointment& record) {
    Appointment clean = record;
    ClearAfterText(clean.date);
    ClearAfterText(clean.time);
    ClearAfterText(clean.phone);
    ClearAfterText(clean.name);
    ClearAfterText(clean.subject);
    return std::string(reinterpret_cast<const char*>(&clean), kRecordSize);
}

StoreResult ReadYearRecords(const std::filesystem::path& path, std::vector<Appointment>& records) {
    records.clear();
    const std::string fileName = path.filename().string();
    LockedFile file;
    StoreResult result = file.Open(path, O_RDONLY, kLockWaitMilliseconds);
    if (result.FileMissing()) return {};
    if (result.Stored()) {
        if (const int error = ReadOpenFile(file.fd(), records); error != 0)
            result = Failed(StoreError::ReadFailed, error, fileName);
    }
    result.fileName = fileName;
    return result;
}

BatchResult AppendNewRecords(const std::filesystem::path& folder, std::span<const Appointment> records,
                             Duplicates duplicates) {
    BatchResult batch;
    std::string fileName;
    if (!SameYearFile(records, fileName)) return {Failed(StoreError::BadDate, 0, fileName), 0, 0};
    if (records.empty()) return batch;
    LockedFile file;
    batch.store = file.Open(folder / fileName, O_RDWR, kLockWaitMilliseconds);
    RecordCounts held;
    off_t end = 0;
    if (batch.store.Stored() && duplicates == Duplicates::Keep) {
        struct stat info {};
        if (fstat(file.fd(), &info) != 0) batch.store = Failed(StoreError::ReadFailed, errno, fileName);
        end = static_cast<off_t>(info.st_size / off_t(kRecordSize) * off_t(kRecordSize));
    } else if (batch.store.Stored()) {
        if (const int error = CountHeld(file.fd(), records, held, end); error != 0)
            batch.store = Failed(StoreError::ReadFailed, error, fileName);
    }
    if (!batch.store.Stored()) {
        batch.store.fileName = fileName;
        return batch;
    }
    const std::vector<Appointment> fresh = NewRecords(held, records);
    if (!fresh.empty()) batch.store = WriteBatch(file.fd(), end, fresh, fileName);
    if (batch.store.Stored() && !file.Close()) batch.store = Failed(StoreError::WriteFailed, errno, fileName);
    batch.store.fileName = fileName;
    if (batch.store.Stored()) {
        batch.added = static_cast<int>(fresh.size());
        batch.at = end;
        batch.alreadyThere = static_cast<int>(records.size() - fresh.size());
    }
    return batch;
}

}  // namespace quimbaro
