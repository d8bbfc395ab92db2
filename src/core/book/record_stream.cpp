#include "book/record_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <new>

#include "book/fd_io.h"
#include "book/locked_file.h"

namespace quimbaro {
namespace {

StoreResult Failure(StoreError error, int systemError, const std::filesystem::path& path) {
    StoreResult result;
    result.error = error;
    result.systemError = systemError;
    result.fileName = path.filename().string();
    return result;
}

// The kernel copies each block out of page-cache pages, which start on 4 KiB
// boundaries. A destination a few bytes further into its 4 KiB span than the
// source (as when malloc puts a large block just past a boundary and the read
// starts on one) has the copy's loads wait on its own just-made stores that
// share their low twelve address bits: 8 times slower, measured on one
// processor. Half the span apart they never share them, so each block goes
// there, wherever it starts in the file.
constexpr std::size_t kAliasSpan = 4096;

struct FreeMemory {
    void operator()(char* memory) const { std::free(memory); }
};

// Room for `bytes` read from any file offset, placed as above.
class ReadBlock {
public:
    explicit ReadBlock(std::size_t bytes)
        : memory_(static_cast<char*>(std::aligned_alloc(kAliasSpan, (bytes / kAliasSpan + 2) * kAliasSpan))) {
        if (!memory_) throw std::bad_alloc();
    }
    char* For(uint64_t fileOffset) const {
        return memory_.get() + (fileOffset + kAliasSpan / 2) % kAliasSpan;
    }

private:
    std::unique_ptr<char, FreeMemory> memory_;
};

}  // namespace

int StreamRecords(int fd, const RecordBlockVisitor& visit) {
    struct stat info {};
    if (fstat(fd, &info) != 0) return errno;
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);  // helps when the file is not cached
    uint64_t records = static_cast<uint64_t>(info.st_size) / kRecordSize;
    uint64_t offset = 0;
    if (records == 0) return 0;
    const ReadBlock block(static_cast<std::size_t>(std::min<uint64_t>(records, kStreamBlockRecords)) * kRecordSize);
    while (records > 0) {
        const std::size_t wanted = static_cast<std::size_t>(std::min<uint64_t>(records, kStreamBlockRecords));
        char* const at = block.For(offset);
        const ssize_t got = ReadFully(fd, at, wanted * kRecordSize);
        if (got < 0) return errno;
        const std::size_t whole = static_cast<std::size_t>(got) / kRecordSize;
        if (whole > 0) visit(at, whole, offset);
        if (whole < wanted) break;  // the file got shorter than its size said
        records -= wanted;
        offset += wanted * kRecordSize;
    }
    return 0;
}

StoreResult ReadYearFile(const std::filesystem::path& path, const std::function<int(int fd)>& read) {
    LockedFile file;
    StoreResult result = file.Open(path, O_RDONLY, kLockWaitMilliseconds);
    result.fileName = path.filename().string();
    if (result.FileMissing()) return {.fileName = result.fileName};
    if (!result.Stored()) return result;
    if (const int readError = read(file.fd()); readError != 0) return Failure(StoreError::ReadFailed, readError, path);
    return result;
}

StoreResult StreamYearFile(const std::filesystem::path& path, const RecordBlockVisitor& visit) {
    return ReadYearFile(path, [&visit](int fd) { return StreamRecords(fd, visit); });
}

}  // namespace quimbaro
