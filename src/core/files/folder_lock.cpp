#include "files/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <thread>

namespace quimbaro::files {

FileResult FolderLock::Take(int folderFd, const std::string& shown, std::chrono::milliseconds wait) {
    const std::string lockShown = shown + "/" + kFolderLockName;
    fd_.Reset(::openat(folderFd, kFolderLockName, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
    if (!fd_.valid())
        return errno == ELOOP ? FileFailure(FileError::NotPlain, ELOOP, lockShown)
                              : FileFailure(FileError::OpenFailed, errno, lockShown);
    struct stat info {};
    if (::fstat(fd_.get(), &info) != 0) return FileFailure(FileError::OpenFailed, errno, lockShown);
    if (!S_ISREG(info.st_mode)) return fd_.Reset(), FileFailure(FileError::NotPlain, 0, lockShown);
    // flock cannot time out by itself: poll it without blocking.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(fd_.get(), LOCK_EX | LOCK_NB) == 0) return {};
        if (errno != EWOULDBLOCK && errno != EINTR) return fd_.Reset(), FileFailure(FileError::OpenFailed, errno, lockShown);
        if (std::chrono::steady_clock::now() >= deadline) return fd_.Reset(), FileFailure(FileError::Busy, 0, shown);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace quimbaro::files
