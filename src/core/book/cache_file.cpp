#include "book/cache_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>

#include "book/year_file_write.h"
#include "files/unique_fd.h"

namespace quimbaro {
namespace {

// File system clocks tick in at most 10 ms.
constexpr auto kSettledFor = std::chrono::milliseconds(200);

}  // namespace

CacheStamp StampOf(const struct stat& year) {
    return {static_cast<uint64_t>(year.st_dev), static_cast<uint64_t>(year.st_ino),
            static_cast<uint64_t>(year.st_size), year.st_ctim.tv_sec, year.st_ctim.tv_nsec,
            year.st_mtim.tv_sec, year.st_mtim.tv_nsec};
}

bool SettledForCache(const DayIndexPlace& place, const struct stat& year) {
    const auto changed = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(year.st_ctim.tv_sec) + std::chrono::nanoseconds(year.st_ctim.tv_nsec)));
    return place.now() - changed > kSettledFor;
}

std::filesystem::path CachePath(const DayIndexPlace& place, std::string_view kind, const struct stat& year) {
    return place.folder /
           (std::string(kind) + "-" + std::to_string(year.st_dev) + "-" + std::to_string(year.st_ino));
}

void WriteCacheFile(const DayIndexPlace& place, std::string_view kind, const struct stat& year,
                    const std::vector<std::string_view>& parts) {
    if (place.folder.empty() || !SettledForCache(place, year)) return;
    std::error_code ignored;
    std::filesystem::create_directories(place.folder, ignored);
    const std::filesystem::path path = CachePath(place, kind, year);
    const std::filesystem::path temporary = path.string() + "." + std::to_string(::getpid());
    const files::UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.get() < 0) return;
    bool written = true;
    uint64_t offset = 0;
    for (const std::string_view part : parts) {
        written = written && WriteFully(fd.get(), part.data(), part.size(), offset);
        offset += part.size();
    }
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) ::unlink(temporary.c_str());
    KeepNewestIndexes(place.folder, kind);
}

int OpenCacheFile(const std::filesystem::path& path) {
    files::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (fd.get() < 0 || fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return fd.Release();
}

}  // namespace quimbaro
