#include "files/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "text/messages.h"

namespace quimbaro {
namespace {

FileFault KindFault(mode_t mode) {
    if (S_ISREG(mode)) return FileFault::None;
    return S_ISDIR(mode) ? FileFault::Directory : FileFault::NotRegular;
}

std::string SizeText(std::size_t bytes) {
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    return bytes >= kMiB ? std::to_string(bytes / kMiB) + " MiB" : std::to_string(bytes) + " bytes";
}

}  // namespace

std::string FileFaultText(FileFault fault, int systemError) {
    switch (fault) {
    case FileFault::None: return "";
    case FileFault::Missing: return "no existe";
    case FileFault::OpenFailed:
    case FileFault::ReadFailed: return SystemReason(systemError);
    case FileFault::Directory: return SystemReason(EISDIR);
    case FileFault::NotRegular: return "no es un archivo normal (es una tubería, un dispositivo o un socket)";
    case FileFault::TooLarge: return "es demasiado grande";
    }
    return "";
}

std::string FileBytes::Reason() const {
    const std::string text = FileFaultText(fault, systemError);
    return fault == FileFault::TooLarge ? text + " (más de " + SizeText(limit) + ")" : text;
}

OpenedFile OpenRegularFile(const std::filesystem::path& path, int accessFlags, mode_t mode, Links links) {
    const int flags = accessFlags | O_NONBLOCK | O_CLOEXEC | (links == Links::Refuse ? O_NOFOLLOW : 0);
    const int fd = ::open(path.c_str(), flags, mode);
    if (fd < 0) return {-1, errno == ENOENT ? FileFault::Missing : FileFault::OpenFailed, errno};
    struct stat info {};
    const FileFault fault = fstat(fd, &info) != 0 ? FileFault::OpenFailed : KindFault(info.st_mode);
    if (fault == FileFault::None) return {fd, fault, 0};
    const int error = fault == FileFault::OpenFailed ? errno : 0;
    ::close(fd);
    return {-1, fault, error};
}

// Reads up to limit + 1 bytes, so that a file longer than its size said (or
// one still growing) is caught as well.
FileBytes ReadAtMost(int fd, std::size_t limit) {
    FileBytes result{{}, FileFault::None, 0, limit};
    struct stat info {};
    if (fstat(fd, &info) != 0) return {{}, FileFault::ReadFailed, errno, limit};
    if (static_cast<uint64_t>(info.st_size) > limit) return {{}, FileFault::TooLarge, 0, limit};
    result.bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == result.bytes.size()) {
            if (done > limit) return {{}, FileFault::TooLarge, 0, limit};
            result.bytes.resize(std::min(done * 2 + 4096, limit + 1));
        }
        const ssize_t got = ::read(fd, result.bytes.data() + done, result.bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return {{}, FileFault::ReadFailed, errno, limit};
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    if (done > limit) return {{}, FileFault::TooLarge, 0, limit};
    result.bytes.resize(done);
    return result;
}

FileBytes ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes, Links links) {
    const OpenedFile file = OpenRegularFile(path, O_RDONLY, 0, links);
    if (file.fault != FileFault::None) return {{}, file.fault, file.systemError, maxBytes};
    FileBytes result = ReadAtMost(file.fd, maxBytes);
    ::close(file.fd);
    return result;
}

}  // namespace quimbaro
