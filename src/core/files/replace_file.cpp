#include "files/replace_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "book/year_file.h"
#include "book/year_file_write.h"

namespace quimbaro {
namespace {

// The mode the new file gets: the old file's, or the owner's only; the
// errno when the old file is no regular file of ours.
int ModeFor(const std::filesystem::path& path, mode_t& mode) {
    struct stat info {};
    mode = S_IRUSR | S_IWUSR;
    if (lstat(path.c_str(), &info) != 0) return errno == ENOENT ? 0 : errno;
    if (S_ISLNK(info.st_mode)) return ELOOP;
    if (!S_ISREG(info.st_mode)) return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    mode = info.st_mode & 07777;
    return 0;
}

int WriteAndSync(int fd, mode_t mode, std::string_view text) {
    if (fchmod(fd, mode) != 0) return errno;
    if (!WriteFully(fd, text.data(), text.size(), 0)) return errno;
    return fsync(fd) == 0 ? 0 : errno;
}

}  // namespace

int ReplaceFileWith(const std::filesystem::path& path, std::string_view text) {
    mode_t mode = 0;
    if (const int error = ModeFor(path, mode); error != 0) return error;
    std::string temporary = path.native() + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return errno;
    int error = WriteAndSync(fd, mode, text);
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return error;
    }
    return SyncFolder(path.parent_path());
}

}  // namespace quimbaro
