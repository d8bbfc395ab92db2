#include "book/append_records.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

// The incoming records the file's records do not cover yet, in their order.
std::vector<Appointment> NewRecords(const std::vector<Appointment>& existing,
                                    std::span<const Appointment> incoming) {
    if (existing.empty()) return std::vector<Appointment>(incoming.begin(), incoming.end());
    RecordCounts held;
    for (const Appointment& record : existing) ++held[RecordKey(record)];
    std::vector<Appointment> fresh;
    for (const Appointment& record : incoming) {
        const auto found = held.find(RecordKey(record));
        if (found != held.end() && found->second > 0) {
            --found->second;
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

}  // namespace

std::string RecordKey(const Appointment& record) {
    const Appointment clean = MakeAppointment(ReadField(record.date), ReadField(record.time),
                                              ReadField(record.phone), ReadField(record.name),
                                              ReadField(record.subject));
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

BatchResult AppendNewRecords(const std::filesystem::path& folder, std::span<const Appointment> records) {
    BatchResult batch;
    std::string fileName;
    if (!SameYearFile(records, fileName)) return {Failed(StoreError::BadDate, 0, fileName), 0, 0};
    if (records.empty()) return batch;
    LockedFile file;
    batch.store = file.Open(folder / fileName, O_RDWR, kLockWaitMilliseconds);
    std::vector<Appointment> existing;
    if (batch.store.Stored()) {
        if (const int error = ReadOpenFile(file.fd(), existing); error != 0)
            batch.store = Failed(StoreError::ReadFailed, error, fileName);
    }
    if (!batch.store.Stored()) {
        batch.store.fileName = fileName;
        return batch;
    }
    const std::vector<Appointment> fresh = NewRecords(existing, records);
    const off_t end = static_cast<off_t>(existing.size() * kRecordSize);
    if (!fresh.empty()) batch.store = WriteBatch(file.fd(), end, fresh, fileName);
    if (batch.store.Stored() && !file.Close()) batch.store = Failed(StoreError::WriteFailed, errno, fileName);
    batch.store.fileName = fileName;
    if (batch.store.Stored()) {
        batch.added = static_cast<int>(fresh.size());
        batch.alreadyThere = static_cast<int>(records.size() - fresh.size());
    }
    return batch;
}

}  // namespace quimbaro
