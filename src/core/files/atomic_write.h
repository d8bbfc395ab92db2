#pragma once
// Writing a file so that a failure leaves the old one as it was: the bytes go
// to a temporary file in the same folder, every write is checked, the file is
// synced and only then renamed over the old one. Devices and FIFOs cannot be
// replaced, so they are written through; anything else is refused.

#include <sys/types.h>

#include <QIODevice>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "files/file_result.h"

namespace quimbaro::files {

// Writes a file's bytes into the device; false when it gave up (a failed
// write of the device is then the cause).
using Producer = std::function<bool(QIODevice& out)>;

// A device over a descriptor that checks every write and keeps the errno of
// the first failure (a write that takes no bytes counts as a full disk).
// Positional writes suit files; streams (FIFOs, devices) take plain writes.
class FdWriter : public QIODevice {
public:
    enum class Mode { File, Stream };
    FdWriter(int fd, Mode mode);
    int failure() const { return failure_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    int fd_;
    Mode mode_;
    off_t offset_ = 0;
    int failure_ = 0;
};

// How WriteTemp names its files: the prefix and twelve hex digits; dot names
// sync tools pass over. A writer that clears its own leftovers gives its own prefix.
inline constexpr std::string_view kTempPrefix = ".quimbaro-tmp-";
bool IsTempName(std::string_view name, std::string_view prefix = kTempPrefix);

// Makes a temporary file in the folder with the given permission bits, fills
// it and syncs it; tempName then names it. Nothing is left behind on failure
// (but a kill leaves it: see RemoveTemps). shown names the file being written in errors.
FileResult WriteTemp(int folderFd, const Producer& produce, mode_t mode, const std::string& shown,
                     std::string& tempName, std::string_view prefix = kTempPrefix);

// Removes the folder's plain files named as WriteTemp names them with this
// prefix; links and anything else stay. Only for a writer that holds a lock
// every writer with that prefix takes, so that no one is writing them.
void RemoveTemps(int folderFd, std::string_view prefix);

// Renames the folder's temporary file over name (or to it); the temporary
// file is removed on failure. The folder is not synced: see SyncFolder.
FileResult ReplaceWith(int folderFd, const std::string& tempName, const std::string& name, const std::string& shown);

// Puts the folder's entries on disk.
FileResult SyncFolder(int folderFd, const std::string& shown);

// Writes target the safe way for what it is: a new or regular file (through a
// link the user made, which stays) is replaced at once when all of it is on
// disk, a new one readable by its owner only and an old one keeping its
// permissions; a character device or a FIFO is written through, without
// waiting for a reader that is not there; anything else is NotPlain.
FileResult WriteFileSafely(const std::filesystem::path& target, const Producer& produce);

}  // namespace quimbaro::files
