#include "book/locked_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "files/regular_file.h"

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
    // Only changes make a missing file; the book holds names and phone
    // numbers, so a new year file is for its owner only. A link in the folder
    // is not ours and is refused; a FIFO is refused without hanging the open.
    const bool changes = (accessFlags & O_ACCMODE) != O_RDONLY;
    const OpenedFile opened = OpenRegularFile(path, accessFlags | (changes ? O_CREAT : 0), 0600, Links::Refuse);
    fd_ = opened.fd;
    switch (opened.fault) {
    case FileFault::None: break;
    case FileFault::Directory: return Failure(StoreError::OpenFailed, EISDIR);
    case FileFault::NotRegular: return Failure(StoreError::NotAFile, 0);
    default: return Failure(StoreError::OpenFailed, opened.systemError);
    }
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
