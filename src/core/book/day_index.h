#pragma once
// A day index of a year file: which records each day of the year holds, so
// that a day is read without reading the rest of a large file. It is a cache
// only, kept outside the data folder, and it is never trusted beyond what it
// was made from: it is used only while the year file has the same device,
// inode, size, change and modification times, and every record it points at
// is read from the year file itself and checked against the day. A damaged or
// foreign index file makes the load read the whole year file, as without one.

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace quimbaro {

struct DayIndexPlace {
    std::filesystem::path folder;  // empty: no index is read or made
    std::function<std::chrono::system_clock::time_point()> now = std::chrono::system_clock::now;
};

// $XDG_CACHE_HOME/quimbaro when absolute, else ~/.cache/quimbaro; no folder
// when neither is known.
DayIndexPlace ProcessDayIndexPlace();

// Which of the index's days (month × 31 + day) a date field or day key falls
// in, from its first 11 bytes; none for anything not shaped DD/MM/YYYY.
std::optional<int> DaySlot(const char* dateField);

// A year file smaller than this many records is read whole: one read.
inline constexpr uint64_t kIndexedRecords = 4096;

// The record numbers (offset / record size) the index lists for the day's
// slot, ascending; none when there is no index for this very file or it
// does not hold together.
std::optional<std::vector<uint32_t>> ReadDayIndex(const DayIndexPlace& place, const struct stat& year, int slot);

// Collects every record's slot while the year file is read whole, then
// writes the index for the file as it was when it was looked at (`year`).
class DayIndexBuilder {
public:
    void Add(const char* records, std::size_t count, uint64_t firstRecord);
    // Best effort, as for any cache: a failure leaves no index and is not
    // reported. A file changed less than a moment before now is not indexed,
    // since a change within the same tick of the file system's clock could
    // leave its times as they were.
    void Write(const DayIndexPlace& place, const struct stat& year) const;

private:
    std::vector<std::pair<uint16_t, uint32_t>> entries_;  // slot, record number
};

// The cache files of each kind kept in the folder: the newest ones, a few
// per year file.
inline constexpr std::size_t kKeptIndexes = 32;
// Removes all but the newest kKeptIndexes entries named "<kind>-*" (links
// included, never followed); nothing else in the folder is touched.
void KeepNewestIndexes(const std::filesystem::path& folder, std::string_view kind = "dias");

}  // namespace quimbaro
