#include "files/atomic_write.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QRandomGenerator>
#include <cerrno>
#include <memory>
#include <vector>

#include "files/folder_entries.h"
#include "files/unique_fd.h"

namespace quimbaro::files {
namespace {

constexpr int kTempSuffixLength = 12;

std::string NewTempName(std::string_view prefix) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string name(prefix);
    for (int i = 0; i < kTempSuffixLength; ++i) name += kHex[QRandomGenerator::global()->bounded(16)];
    return name;
}

// Writes the producer's bytes into fd; 0 or the errno of the first failure.
int Fill(int fd, FdWriter::Mode mode, const Producer& produce) {
    FdWriter out(fd, mode);
    const bool produced = produce(out);
    if (out.failure() != 0) return out.failure();
    return produced ? 0 : EIO;
}

// The file a user-given path ends at: links followed, the final ones kept.
std::filesystem::path RealPath(const std::filesystem::path& path) {
    const std::unique_ptr<char, decltype(&free)> real(::realpath(path.c_str(), nullptr), free);
    return real ? std::filesystem::path(real.get()) : path;
}

FileResult ReplaceInFolder(const std::filesystem::path& file, mode_t mode, const Producer& produce,
                           const std::string& shown) {
    const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
    const UniqueFd folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folderFd.valid()) return FileFailure(FileError::FolderFailed, errno, folder.string());
    std::string tempName;
    if (FileResult written = WriteTemp(folderFd.get(), produce, mode, shown, tempName); !written.Done())
        return written;
    FileResult replaced = ReplaceWith(folderFd.get(), tempName, file.filename().string(), shown);
    return replaced.Done() ? SyncFolder(folderFd.get(), shown) : replaced;
}

FileResult WriteThrough(const std::filesystem::path& target, const Producer& produce, const std::string& shown) {
    UniqueFd fd(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid()) return FileFailure(FileError::OpenFailed, errno, shown);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return FileFailure(FileError::OpenFailed, errno, shown);
    if (!S_ISCHR(info.st_mode) && !S_ISFIFO(info.st_mode)) return FileFailure(FileError::NotPlain, 0, shown);
    // A reader is there (the open would have failed otherwise): wait for it as it reads.
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return FileFailure(FileError::OpenFailed, errno, shown);
    if (const int error = Fill(fd.get(), FdWriter::Mode::Stream, produce); error != 0)
        return FileFailure(FileError::WriteFailed, error, shown);
    if (const int error = fd.Close(); error != 0) return FileFailure(FileError::WriteFailed, error, shown);
    return {};
}

}  // namespace

FdWriter::FdWriter(int fd, Mode mode) : fd_(fd), mode_(mode) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

qint64 FdWriter::writeData(const char* data, qint64 size) {
    qint64 done = 0;
    while (failure_ == 0 && done < size) {
        const std::size_t left = static_cast<std::size_t>(size - done);
        const ssize_t put = mode_ == Mode::File ? ::pwrite(fd_, data + done, left, offset_ + done)
                                                : ::write(fd_, data + done, left);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) failure_ = put == 0 || errno == 0 ? ENOSPC : errno;
        else done += put;
    }
    offset_ += done;
    return failure_ == 0 ? done : -1;
}

bool IsTempName(std::string_view name, std::string_view prefix) {
    if (name.size() != prefix.size() + kTempSuffixLength || !name.starts_with(prefix)) return false;
    for (const char c : name.substr(prefix.size()))
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

FileResult WriteTemp(int folderFd, const Producer& produce, mode_t mode, const std::string& shown,
                     std::string& tempName, std::string_view prefix) {
    UniqueFd fd;
    for (int attempt = 0; attempt < 100 && !fd.valid(); ++attempt) {
        tempName = NewTempName(prefix);
        fd.Reset(::openat(folderFd, tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!fd.valid() && errno != EEXIST) break;
    }
    if (!fd.valid()) return FileFailure(FileError::OpenFailed, errno, shown);
    int error = Fill(fd.get(), FdWriter::Mode::File, produce);
    FileError failed = FileError::WriteFailed;
    if (error == 0 && (mode & 07777) != 0600 && ::fchmod(fd.get(), mode & 07777) != 0) error = errno;
    if (error == 0 && ::fsync(fd.get()) != 0) error = errno, failed = FileError::SyncFailed;
    if (error == 0) error = fd.Close();
    if (error == 0) return {};
    ::unlinkat(folderFd, tempName.c_str(), 0);
    return FileFailure(failed, error, shown);
}

void RemoveTemps(int folderFd, std::string_view prefix) {
    std::vector<std::string> names;
    ListNames(folderFd, "", names);
    for (const std::string& name : names)
        if (IsTempName(name, prefix) && KindOf(folderFd, name) == EntryKind::Plain) ::unlinkat(folderFd, name.c_str(), 0);
}

FileResult ReplaceWith(int folderFd, const std::string& tempName, const std::string& name, const std::string& shown) {
    if (::renameat(folderFd, tempName.c_str(), folderFd, name.c_str()) != 0) {
        const int error = errno;
        ::unlinkat(folderFd, tempName.c_str(), 0);
        return FileFailure(FileError::ReplaceFailed, error, shown);
    }
    return {};
}

FileResult SyncFolder(int folderFd, const std::string& shown) {
    return ::fsync(folderFd) == 0 ? FileResult{} : FileFailure(FileError::SyncFailed, errno, shown);
}

FileResult WriteFileSafely(const std::filesystem::path& target, const Producer& produce) {
    const std::string shown = target.string();
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        if (errno != ENOENT) return FileFailure(FileError::OpenFailed, errno, shown);
        if (::lstat(target.c_str(), &info) == 0) return FileFailure(FileError::NotPlain, ELOOP, shown);  // a broken link
        if (target.filename().empty()) return FileFailure(FileError::NotPlain, EISDIR, shown);
        return ReplaceInFolder(target, 0600, produce, shown);
    }
    if (S_ISREG(info.st_mode)) return ReplaceInFolder(RealPath(target), info.st_mode, produce, shown);
    if (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)) return WriteThrough(target, produce, shown);
    return FileFailure(FileError::NotPlain, S_ISDIR(info.st_mode) ? EISDIR : 0, shown);
}

}  // namespace quimbaro::files
