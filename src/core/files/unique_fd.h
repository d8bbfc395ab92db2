#pragma once
// A file descriptor closed when it goes out of scope.

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace quimbaro::files {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        Reset(std::exchange(other.fd_, -1));
        return *this;
    }
    ~UniqueFd() { Reset(); }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int Release() { return std::exchange(fd_, -1); }
    void Reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    // Closes it now; 0, or the errno of a failed close (a late write error on some file systems).
    int Close() {
        const int fd = std::exchange(fd_, -1);
        return fd < 0 || ::close(fd) == 0 ? 0 : errno;
    }

private:
    int fd_ = -1;
};

}  // namespace quimbaro::files
