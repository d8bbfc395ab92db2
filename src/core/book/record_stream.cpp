#include "book/record_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

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

}  // namespace

int StreamRecords(int fd, const RecordBlockVisitor& visit) {
    struct stat info {};
    if (fstat(fd, &info) != 0) return errno;
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);  // helps when the file is not cached
    uint64_t records = static_cast<uint64_t>(info.st_size) / kRecordSize;
    uint64_t offset = 0;
    const auto block = std::make_unique_for_overwrite<char[]>(kStreamBlockRecords * kRecordSize);
    while (records > 0) {
        const std::size_t wanted = static_cast<std::size_t>(std::min<uint64_t>(records, kStreamBlockRecords));
        const ssize_t got = ReadFully(fd, block.get(), wanted * kRecordSize);
        if (got < 0) return errno;
        const std::size_t whole = static_cast<std::size_t>(got) / kRecordSize;
        if (whole > 0) visit(block.get(), whole, offset);
        if (whole < wanted) break;  // the file got shorter than its size said
        records -= wanted;
        offset += wanted * kRecordSize;
    }
    return 0;
}

StoreResult StreamYearFile(const std::filesystem::path& path, const RecordBlockVisitor& visit) {
    LockedFile file;
    StoreResult result = file.Open(path, O_RDONLY, kLockWaitMilliseconds);
    result.fileName = path.filename().string();
    if (result.FileMissing()) return {.fileName = result.fileName};
    if (!result.Stored()) return result;
    if (const int readError = StreamRecords(file.fd(), visit); readError != 0)
        return Failure(StoreError::ReadFailed, readError, path);
    return result;
}

}  // namespace quimbaro
