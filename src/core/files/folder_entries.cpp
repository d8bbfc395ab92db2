#include "files/folder_entries.h"
#include "files/regular_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace quimbaro::files {
namespace {

// mkdir -p with 0700 for what it makes; 0 or the errno of the failure.
int MakeFolders(const std::filesystem::path& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) return 0;
    if (errno != ENOENT) return errno;
    const std::filesystem::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder) {
        if (const int error = MakeFolders(parent); error != 0) return error;
    }
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST ? 0 : errno;
}

}  // namespace

FileResult OpenFolder(const std::filesystem::path& folder, bool create, UniqueFd& fd) {
    const std::filesystem::path clean = folder.lexically_normal();
    if (const int error = create ? MakeFolders(clean) : 0; error != 0)
        return FileFailure(FileError::FolderFailed, error, folder.string());
    fd.Reset(::open(clean.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) return FileFailure(FileError::FolderFailed, errno, folder.string());
    return {};
}

EntryKind KindOf(int folderFd, const std::string& name) {
    struct stat info {};
    return KindOf(folderFd, name, info);
}

EntryKind KindOf(int folderFd, const std::string& name, struct stat& info) {
    if (::fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? EntryKind::Missing : EntryKind::Other;
    return S_ISREG(info.st_mode) ? EntryKind::Plain : EntryKind::Other;
}

FileResult ReadPlainFile(int folderFd, const std::string& name, std::size_t maxBytes, const std::string& shown,
                         std::string& bytes) {
    bytes.clear();
    const UniqueFd fd(::openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid())
        return errno == ELOOP ? FileFailure(FileError::NotPlain, ELOOP, shown)
                              : FileFailure(FileError::OpenFailed, errno, shown);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return FileFailure(FileError::ReadFailed, errno, shown);
    if (!S_ISREG(info.st_mode)) return FileFailure(FileError::NotPlain, S_ISDIR(info.st_mode) ? EISDIR : 0, shown);
    FileBytes read = ReadAtMost(fd.get(), maxBytes);
    if (read.fault == FileFault::TooLarge) return FileFailure(FileError::TooLarge, 0, shown);
    if (!read.Read()) return FileFailure(FileError::ReadFailed, read.systemError, shown);
    bytes = std::move(read.bytes);
    return {};
}

FileResult ListNames(int folderFd, const std::string& shown, std::vector<std::string>& names) {
    names.clear();
    UniqueFd own(::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR* dir = own.valid() ? ::fdopendir(own.get()) : nullptr;
    if (dir == nullptr) return FileFailure(FileError::ReadFailed, errno, shown);
    own.Release();  // closedir closes it
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
        errno = 0;
    }
    const int error = errno;
    ::closedir(dir);
    return error == 0 ? FileResult{} : FileFailure(FileError::ReadFailed, error, shown);
}

}  // namespace quimbaro::files
