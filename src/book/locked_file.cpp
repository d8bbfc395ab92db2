#include "book/locked_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace quimbaro {
namespace {

StoreResult Failure(StoreError error, int systemError) {
    StoreResult result;
    result.error = error;
    result.systemError = systemError;
    return result;
}

// flock cannot time out by itself, so poll it without blocking.
bool LockWithin(int fd, int waitMilliseconds, int& systemError) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMilliseconds);
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            systemError = errno;
            return false;
        }
        if (Clock::now() >= deadline) {
            systemError = EWOULDBLOCK;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace

LockedFile::~LockedFile() { Close(); }

StoreResult LockedFile::Open(const std::filesystem::path& path, int accessFlags, int waitMilliseconds) {
    Close();
    // O_NONBLOCK keeps a FIFO in the folder from hanging the open; it has no
    // effect on regular files.
    fd_ = ::open(path.c_str(), accessFlags | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd_ < 0) return Failure(StoreError::OpenFailed, errno);
    struct stat info {};
    if (fstat(fd_, &info) != 0) return Failure(StoreError::OpenFailed, errno);
    if (!S_ISREG(info.st_mode)) {
        Close();
        return Failure(StoreError::OpenFailed, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    }
    int lockError = 0;
    if (!LockWithin(fd_, waitMilliseconds, lockError)) {
        Close();
        return Failure(lockError == EWOULDBLOCK ? StoreError::LockTimeout : StoreError::OpenFailed, lockError);
    }
    return {};
}

bool LockedFile::Close() {
    if (fd_ < 0) return true;
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
}

}  // namespace quimbaro
