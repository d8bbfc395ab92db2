#include "book/fd_io.h"

#include <unistd.h>

#include <cerrno>

namespace quimbaro {

ssize_t ReadFully(int fd, char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, buffer + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

bool ReadExactlyAt(int fd, void* buffer, std::size_t size, uint64_t offset) {
    auto* at = static_cast<char*>(buffer);
    while (size > 0) {
        const ssize_t got = ::pread(fd, at, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        at += got, size -= static_cast<std::size_t>(got), offset += static_cast<uint64_t>(got);
    }
    return true;
}

}  // namespace quimbaro
