#pragma once
// One writer per folder at a time: every run that changes a shared folder
// (a vdir export, a sync) first takes the exclusive lock of the lock file in
// it. The file stays in the folder; removing it would let two runs lock two
// different files of the same name.

#include <chrono>
#include <string>

#include "files/file_result.h"
#include "files/unique_fd.h"

namespace quimbaro::files {

inline constexpr const char* kFolderLockName = ".quimbaro-lock";

class FolderLock {
public:
    // Waits up to wait for another holder to let go; Busy after that. shown
    // names the folder in errors. The lock is held until this object goes.
    FileResult Take(int folderFd, const std::string& shown, std::chrono::milliseconds wait);

private:
    UniqueFd fd_;
};

}  // namespace quimbaro::files
