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

    // Opens the file (creating it empty when missing) and waits up to
    // waitMilliseconds for the lock. Reports OpenFailed or LockTimeout.
    StoreResult Open(const std::filesystem::path& path, int accessFlags, int waitMilliseconds);
    // Closes the file, releasing the lock; false (errno set) when close fails.
    bool Close();
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

}  // namespace quimbaro
