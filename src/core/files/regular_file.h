#pragma once
// Opening and reading files that come from outside (the data folder, a file
// named by the user) without trusting them: only plain files are accepted,
// a FIFO cannot hang the open, a link is refused where the program did not
// make it, and a read stops at a size limit instead of filling the memory.

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <string>

namespace quimbaro {

enum class FileFault {
    None,
    Missing,     // no file of that name
    OpenFailed,  // the system refused (systemError tells why; ELOOP: a link we do not follow)
    Directory,   // a folder where a file was expected
    NotRegular,  // a FIFO, a device or a socket
    TooLarge,    // longer than the caller allows
    ReadFailed,  // the system failed while reading (systemError)
};

enum class Links { Follow, Refuse };

// Why, in Spanish, without the file's name: "es una carpeta, no un archivo".
std::string FileFaultText(FileFault fault, int systemError);

struct OpenedFile {
    int fd = -1;  // the caller's to close; -1 on a fault
    FileFault fault = FileFault::None;
    int systemError = 0;
};

// open(2) with accessFlags (and O_CREAT's mode) plus O_NONBLOCK, O_CLOEXEC and,
// for Links::Refuse, O_NOFOLLOW; then only a regular file is kept.
OpenedFile OpenRegularFile(const std::filesystem::path& path, int accessFlags, mode_t mode, Links links);

struct FileBytes {
    std::string bytes;
    FileFault fault = FileFault::None;
    int systemError = 0;
    std::size_t limit = 0;  // the size allowed, for the TooLarge text
    bool Read() const { return fault == FileFault::None; }
    std::string Reason() const;
};

// The rest of an open file, if it holds at most limit bytes (it may grow
// while it is read: the limit still holds).
FileBytes ReadAtMost(int fd, std::size_t limit);

// The whole content of a regular file of at most maxBytes.
FileBytes ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes, Links links);

}  // namespace quimbaro
