#include "book/year_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <unordered_map>

#include "book/collation.h"
#include "book/date_matcher.h"
#include "book/indexed_day_read.h"
#include "book/locked_file.h"
#include "book/record_stream.h"
#include "book/year_file_write.h"
#include "calendar/dates.h"

namespace quimbaro {
namespace {

// The last four characters, or the whole key when it is shorter.
std::string_view YearPart(std::string_view dateKey) {
    return dateKey.size() > 4 ? dateKey.substr(dateKey.size() - 4) : dateKey;
}

std::string YearFileName(std::string_view dateKey) { return std::string(YearPart(dateKey)) + ".log"; }

// The key names a file in the folder itself: no '/' in its last four
// characters (so no sub-folder and no way out), not "." or "..", no zero byte.
bool NamesFileInFolder(std::string_view dateKey) {
    const std::string_view year = YearPart(dateKey);
    return !year.empty() && year != "." && year != ".." && year.find('/') == std::string_view::npos &&
           dateKey.find('\0') == std::string_view::npos;
}

StoreResult Failure(StoreError error, int systemError, const std::string& fileName) {
    StoreResult result;
    result.error = error;
    result.systemError = systemError;
    result.fileName = fileName;
    return result;
}

void Keep(const char* record, uint64_t offset, DayList& list) {
    ++list.kept;
    if (list.kept > kDaySlots) return;
    std::memcpy(&list.slots[list.kept - 1], record, kRecordSize);
    list.offsets[list.kept - 1] = offset;
}

// Hands each record of the day and its file offset to keep; the year file is
// locked while it is read.
template <typename KeepRecord>
StoreResult ReadYearFile(const std::filesystem::path& path, std::string_view key, KeepRecord keep) {
    const DateMatcher matches(key);
    return StreamYearFile(path, [&](const char* records, std::size_t count, uint64_t firstOffset) {
        matches.ForEachMatch(records, count,
                             [&](std::size_t i) { keep(records + i * kRecordSize, firstOffset + i * kRecordSize); });
    });
}

}  // namespace

bool WriteFully(int fd, const char* data, std::size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, data, size, offset);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = ENOSPC;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
        offset += written;
    }
    return true;
}

StoreResult WriteRecordAtEnd(int fd, const std::filesystem::path& folder, const Appointment& record,
                             const std::string& fileName, uint64_t& offset) {
    struct stat info {};
    if (fstat(fd, &info) != 0) return Failure(StoreError::WriteFailed, errno, fileName);
    const off_t end = info.st_size / static_cast<off_t>(kRecordSize) * static_cast<off_t>(kRecordSize);
    StoreResult result;
    if (!WriteFully(fd, reinterpret_cast<const char*>(&record), kRecordSize, end)) {
        result = Failure(StoreError::WriteFailed, errno, fileName);
    } else if (fsync(fd) != 0) {
        result = Failure(StoreError::SyncFailed, errno, fileName);
    } else if (const int error = end == 0 ? SyncFolder(folder) : 0; error != 0) {
        // The first record of a file may be in a file just created, which a
        // crash would lose with its record unless the folder's entry is on disk too.
        result = Failure(StoreError::SyncFailed, error, fileName);
    }
    if (!result.Stored()) {
        // The user is told it was not stored: the file keeps its old size, and
        // the record must not turn up later. Best effort: the failure is the news.
        if (ftruncate(fd, info.st_size) == 0) fsync(fd);
        return result;
    }
    offset = static_cast<uint64_t>(end);
    return result;
}

int SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int error = fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

std::filesystem::path YearFilePath(const std::filesystem::path& folder, std::string_view dateKey) {
    return folder / YearFileName(dateKey);
}

StoreResult LoadDay(const std::filesystem::path& folder, std::string_view dateKey, SortOrder sortOrder,
                    DayList& list) {
    return LoadDay(folder, dateKey, sortOrder, list, DayIndexPlace{});
}

StoreResult LoadDay(const std::filesystem::path& folder, std::string_view dateKey, SortOrder sortOrder,
                    DayList& list, const DayIndexPlace& index) {
    list.Clear();
    const std::string fileName = YearFileName(dateKey);
    if (!NamesFileInFolder(dateKey)) return Failure(StoreError::BadDate, 0, fileName);
    const auto keep = [&list](const char* record, uint64_t offset) { Keep(record, offset, list); };
    StoreResult result = index.folder.empty() ? ReadYearFile(folder / fileName, dateKey, keep)
                                              : ReadDayRecords(folder / fileName, dateKey, index, keep);
    result.fileName = fileName;
    if (!result.Stored()) {
        list.Clear();
        return result;
    }
    if (list.kept >= 2) SortDay(list, std::min(list.kept, kDaySlots), sortOrder);
    return result;
}

StoreResult LoadDays(const std::filesystem::path& folder, const std::vector<std::string>& keys, SortOrder sortOrder,
                     std::vector<DayList>& lists) {
    lists.assign(keys.size(), DayList{});
    std::map<std::string, std::unordered_map<std::string_view, std::size_t>> daysOfFile;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (!NamesFileInFolder(keys[i])) {
            lists.clear();
            return Failure(StoreError::BadDate, 0, YearFileName(keys[i]));
        }
        daysOfFile[YearFileName(keys[i])].emplace(keys[i], i);
    }
    for (const auto& file : daysOfFile) {
        const std::string& fileName = file.first;
        const auto& days = file.second;  // named, not bound: a lambda below uses it
        // A record's date is the bytes before its first zero, as DateMatcher reads it.
        StoreResult result = StreamYearFile(folder / fileName, [&](const char* records, std::size_t count, uint64_t first) {
            for (std::size_t i = 0; i < count; ++i) {
                const char* record = records + i * kRecordSize;
                const auto day = days.find(std::string_view(record, strnlen(record, sizeof(Appointment::date))));
                if (day != days.end()) Keep(record, first + i * kRecordSize, lists[day->second]);
            }
        });
        result.fileName = fileName;
        if (!result.Stored()) {
            lists.clear();
            return result;
        }
    }
    for (DayList& list : lists)
        if (list.kept >= 2) SortDay(list, std::min(list.kept, kDaySlots), sortOrder);
    return {};
}

StoreResult LoadWholeDay(const std::filesystem::path& folder, std::string_view dateKey,
                         std::vector<Appointment>& records) {
    records.clear();
    const std::string fileName = YearFileName(dateKey);
    if (!NamesFileInFolder(dateKey)) return Failure(StoreError::BadDate, 0, fileName);
    StoreResult result = ReadYearFile(folder / fileName, dateKey, [&records](const char* record, uint64_t) {
        std::memcpy(&records.emplace_back(), record, kRecordSize);
    });
    result.fileName = fileName;
    if (!result.Stored()) records.clear();
    return result;
}

StoreResult AppendAppointment(const std::filesystem::path& folder, std::string_view date,
                              std::string_view time, std::string_view phone, std::string_view name,
                              std::string_view subject) {
    if (!ParseDayKey(date)) return Failure(StoreError::BadDate, 0, YearFileName(date));
    return AppendAppointment(folder, MakeAppointment(date, time, phone, name, subject));
}

StoreResult AppendAppointment(const std::filesystem::path& folder, const Appointment& record) {
    const std::string date = ReadField(record.date);
    const std::string fileName = YearFileName(date);
    if (!ParseDayKey(date)) return Failure(StoreError::BadDate, 0, fileName);
    LockedFile file;
    StoreResult result = file.Open(folder / fileName, O_RDWR, kLockWaitMilliseconds);
    uint64_t offset = 0;
    if (result.Stored()) result = WriteRecordAtEnd(file.fd(), folder, record, fileName, offset);
    if (result.Stored() && !file.Close()) result = Failure(StoreError::WriteFailed, errno, fileName);
    result.fileName = fileName;
    return result;
}

}  // namespace quimbaro
