#pragma once
// A year file opened for one operation and held under an exclusive advisory
// lock, so that two running copies never read or write it at the same time.

#include <filesystem>

#include "book/year_file.h"

namespace quimbaro {

class LockedFile {
public:
    LockedFile() = default;
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    ~LockedFile();

    // Opens the file and waits up to waitMilliseconds for the lock; opened for
    // writing, a missing file is created empty. Only a regular file that is no
    // link is opened. Reports OpenFailed (ENOENT: missing and read-only),
    // NotAFile or LockTimeout.
    StoreResult Open(const std::filesystem::path& path, int accessFlags, int waitMilliseconds);
    // Closes the file, releasing the lock; false (errno set) when close fails.
    bool Close();
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

}  // namespace quimbaro
