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

using Clock = std::chrono::steady_clock;

// Waiting copies announce themselves with a shared fcntl lock on one byte far
// past any record (fcntl locks are independent of flock and change nothing
// in the file). A copy that finds others waiting queues up with them instead
// of taking the file the moment it is free, so one busy writer cannot starve
// the rest. The mark is only a hint: where it fails the wait is less fair.
constexpr off_t kWaitingByte = off_t{1} << 62;

bool MarkWaiting(int fd, short type, int command) {
    struct flock mark {};
    mark.l_type = type;
    mark.l_whence = SEEK_SET;
    mark.l_start = kWaitingByte;
    mark.l_len = 1;
    return fcntl(fd, command, &mark) == 0 && (command != F_OFD_GETLK || mark.l_type != F_UNLCK);
}

bool OthersWaiting(int fd) { return MarkWaiting(fd, F_WRLCK, F_OFD_GETLK); }

enum class Attempt { Locked, Busy, Failed };

Attempt TryLock(int fd, int& systemError) {
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) return Attempt::Locked;
        if (errno == EWOULDBLOCK) return Attempt::Busy;
        if (errno != EINTR) {
            systemError = errno;
            return Attempt::Failed;
        }
    }
}

// flock cannot time out by itself, so poll it without blocking.
Attempt PollLock(int fd, Clock::time_point deadline, int& systemError) {
    for (;;) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        const Attempt attempt = TryLock(fd, systemError);
        if (attempt != Attempt::Busy || Clock::now() >= deadline) return attempt;
    }
}

Attempt LockWithin(int fd, int waitMilliseconds, int& systemError) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMilliseconds);
    if (!OthersWaiting(fd)) {
        const Attempt first = TryLock(fd, systemError);
        if (first != Attempt::Busy || waitMilliseconds <= 0) return first;
    }
    MarkWaiting(fd, F_RDLCK, F_OFD_SETLK);
    const Attempt attempt = PollLock(fd, deadline, systemError);
    MarkWaiting(fd, F_UNLCK, F_OFD_SETLK);
    return attempt;
}

StoreResult Failure(StoreError error, int systemError) {
    StoreResult result;
    result.error = error;
    result.systemError = systemError;
    return result;
}

}  // namespace

LockedFile::~LockedFile() { Close(); }

StoreResult LockedFile::Open(const std::filesystem::path& path, int accessFlags, int waitMilliseconds) {
    Close();
    // O_NONBLOCK keeps a FIFO in the folder from hanging the open; it has no
    // effect on regular files. The book holds names and phone numbers: a new
    // year file is for its owner only.
    fd_ = ::open(path.c_str(), accessFlags | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd_ < 0) return Failure(StoreError::OpenFailed, errno);
    struct stat info {};
    if (fstat(fd_, &info) != 0) return Failure(StoreError::OpenFailed, errno);
    if (!S_ISREG(info.st_mode)) return Failure(StoreError::OpenFailed, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    int systemError = 0;
    switch (LockWithin(fd_, waitMilliseconds, systemError)) {
    case Attempt::Locked: return {};
    case Attempt::Busy: return Failure(StoreError::LockTimeout, EWOULDBLOCK);
    case Attempt::Failed: return Failure(StoreError::OpenFailed, systemError);
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
