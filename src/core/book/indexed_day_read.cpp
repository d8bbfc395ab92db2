#include "book/indexed_day_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "book/cache_file.h"
#include "book/date_matcher.h"
#include "book/locked_file.h"
#include "book/record_stream.h"

namespace quimbaro {
namespace {

StoreResult ReadFailure(int systemError) {
    StoreResult result;
    result.error = StoreError::ReadFailed;
    result.systemError = systemError;
    return result;
}

bool SameState(const struct stat& a, const struct stat& b) { return StampOf(a) == StampOf(b); }

// The index's slot for the key, when the key is a date the index can hold.
std::optional<int> KeySlot(std::string_view key) {
    std::array<char, kRecordSize> field{};
    if (key.size() != 10) return {};
    std::memcpy(field.data(), key.data(), key.size());
    return DaySlot(field.data());
}

// The records the index names, each read from the year file and checked.
int ReadListed(int fd, const std::vector<uint32_t>& numbers, const DateMatcher& matches, const DayRecordVisitor& keep) {
    std::array<char, kRecordSize> record;
    for (const uint32_t number : numbers) {
        const off_t offset = static_cast<off_t>(uint64_t(number) * kRecordSize);
        ssize_t got;
        do got = ::pread(fd, record.data(), record.size(), offset);
        while (got < 0 && errno == EINTR);
        if (got < 0) return errno;
        if (got == ssize_t(kRecordSize) && matches(record.data())) keep(record.data(), uint64_t(offset));
    }
    return 0;
}

}  // namespace

StoreResult ReadDayRecords(const std::filesystem::path& path, std::string_view key, const DayIndexPlace& place,
                           const DayRecordVisitor& keep) {
    LockedFile file;
    StoreResult result = file.Open(path, O_RDONLY, kLockWaitMilliseconds);
    if (result.FileMissing()) return {};
    if (!result.Stored()) return result;
    struct stat before {};
    if (fstat(file.fd(), &before) != 0) return ReadFailure(errno);
    const DateMatcher matches(key);
    const std::optional<int> slot = KeySlot(key);
    const bool indexed = slot && uint64_t(before.st_size) / kRecordSize >= kIndexedRecords;
    if (indexed)
        if (const auto numbers = ReadDayIndex(place, before, *slot)) {
            const int error = ReadListed(file.fd(), *numbers, matches, keep);
            return error == 0 ? result : ReadFailure(error);
        }
    DayIndexBuilder builder;
    const int error = StreamRecords(file.fd(), [&](const char* records, std::size_t count, uint64_t firstOffset) {
        matches.ForEachMatch(records, count,
                             [&](std::size_t i) { keep(records + i * kRecordSize, firstOffset + i * kRecordSize); });
        if (indexed) builder.Add(records, count, firstOffset / kRecordSize);
    });
    if (error != 0) return ReadFailure(error);
    // Indexed only when the file stayed as it was while it was read.
    struct stat after {};
    if (indexed && fstat(file.fd(), &after) == 0 && SameState(before, after)) builder.Write(place, before);
    return result;
}

}  // namespace quimbaro
