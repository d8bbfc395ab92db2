#pragma once
// What the caches kept beside the book (the day index, the search table)
// share: each is made from one year file as it was, and is used only while
// that file still has the same device, inode, size, change and modification
// times. Each is written whole or not at all, and only a few are kept.

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "book/day_index.h"

namespace quimbaro {

// Stored at the head of a cache file, as is: eight-byte fields, no padding.
struct CacheStamp {
    uint64_t device, inode, size;
    int64_t changedSeconds, changedNanoseconds, modifiedSeconds, modifiedNanoseconds;
    bool operator==(const CacheStamp&) const = default;
};
CacheStamp StampOf(const struct stat& year);

// The cache file of this kind ("dias", "textos") for the year file.
std::filesystem::path CachePath(const DayIndexPlace& place, std::string_view kind, const struct stat& year);

// A cache file written aside, through a small buffer, and renamed into its
// place by Commit, which then removes all but the newest kKeptIndexes files
// of the kind. None is made for a year file changed less than a moment
// before now: a change within the same tick of the file system's clock could
// leave its times as they were. Best effort, as for any cache: a failure
// leaves no file and is not reported; a writer not committed leaves none.
class CacheWriter {
public:
    CacheWriter(const DayIndexPlace& place, std::string_view kind, const struct stat& year);
    ~CacheWriter();
    CacheWriter(const CacheWriter&) = delete;
    CacheWriter& operator=(const CacheWriter&) = delete;

    void Put(std::string_view bytes) {
        if (buffer_.size() + bytes.size() < kBuffer) buffer_.append(bytes);
        else PutPast(bytes);
    }
    void Commit();

private:
    static constexpr std::size_t kBuffer = 256 * 1024;
    void PutPast(std::string_view bytes);
    void Flush();

    std::filesystem::path folder_, path_, temporary_;
    std::string kind_;
    int fd_ = -1;  // -1: nothing is written
    uint64_t offset_ = 0;
    bool failed_ = false;
    std::string buffer_;
};

// Opens a cache file for reading: a regular file, never through a link; -1
// when there is none.
int OpenCacheFile(const std::filesystem::path& path);

}  // namespace quimbaro
