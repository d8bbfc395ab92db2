#include "book/cache_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <utility>

#include "book/year_file_write.h"
#include "files/unique_fd.h"

namespace quimbaro {
namespace {

// File system clocks tick in at most 10 ms.
constexpr auto kSettledFor = std::chrono::milliseconds(200);

bool SettledForCache(const DayIndexPlace& place, const struct stat& year) {
    const auto changed = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(year.st_ctim.tv_sec) + std::chrono::nanoseconds(year.st_ctim.tv_nsec)));
    return place.now() - changed > kSettledFor;
}

}  // namespace

CacheStamp StampOf(const struct stat& year) {
    return {static_cast<uint64_t>(year.st_dev), static_cast<uint64_t>(year.st_ino),
            static_cast<uint64_t>(year.st_size), year.st_ctim.tv_sec, year.st_ctim.tv_nsec,
            year.st_mtim.tv_sec, year.st_mtim.tv_nsec};
}

std::filesystem::path CachePath(const DayIndexPlace& place, std::string_view kind, const struct stat& year) {
    return place.folder /
           (std::string(kind) + "-" + std::to_string(year.st_dev) + "-" + std::to_string(year.st_ino));
}

CacheWriter::CacheWriter(const DayIndexPlace& place, std::string_view kind, const struct stat& year)
    : folder_(place.folder), kind_(kind) {
    if (place.folder.empty() || !SettledForCache(place, year)) return;
    std::error_code ignored;
    std::filesystem::create_directories(place.folder, ignored);
    path_ = CachePath(place, kind, year);
    temporary_ = path_.string() + "." + std::to_string(::getpid());
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd_ >= 0) buffer_.reserve(kBuffer);
}

CacheWriter::~CacheWriter() {
    if (fd_ < 0) return;
    ::close(fd_);
    ::unlink(temporary_.c_str());
}

void CacheWriter::Flush() {
    failed_ = failed_ || fd_ < 0 || !WriteFully(fd_, buffer_.data(), buffer_.size(), static_cast<off_t>(offset_));
    offset_ += buffer_.size();
    buffer_.clear();
}

// Fills the buffer, writes it out and goes on with the rest.
void CacheWriter::PutPast(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t room = std::min(kBuffer - buffer_.size(), bytes.size());
        buffer_.append(bytes.substr(0, room));
        bytes.remove_prefix(room);
        if (buffer_.size() == kBuffer) Flush();
    }
}

void CacheWriter::Commit() {
    if (fd_ < 0) return;
    Flush();
    const bool closed = ::close(std::exchange(fd_, -1)) == 0;
    if (failed_ || !closed || ::rename(temporary_.c_str(), path_.c_str()) != 0) ::unlink(temporary_.c_str());
    KeepNewestIndexes(folder_, kind_);
}

int OpenCacheFile(const std::filesystem::path& path) {
    files::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (fd.get() < 0 || fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return fd.Release();
}

}  // namespace quimbaro
