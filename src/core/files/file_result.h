#pragma once
// How an operation on a file or folder from outside the book ended: the kind
// of failure, the errno behind it and the path as the user knows it.

#include <string>

namespace quimbaro::files {

enum class FileError {
    None,
    NotPlain,       // a folder, link, FIFO, ... where a plain file belongs: left alone
    FolderFailed,   // the folder could not be made or opened
    OpenFailed,
    ReadFailed,
    TooLarge,       // more bytes than any file of its kind we read
    WriteFailed,    // short or failed write (disk full, file too large, closed pipe)
    SyncFailed,
    ReplaceFailed,  // the finished file could not take the old one's place
    RemoveFailed,
    Busy,           // another copy of the program holds the folder's lock
};

struct FileResult {
    FileError error = FileError::None;
    int systemError = 0;  // errno, when there is one
    std::string path;
    bool Done() const { return error == FileError::None; }
    // Why, in Spanish, for the user.
    std::string Reason() const;
};

inline FileResult FileFailure(FileError error, int systemError, std::string path) {
    return {error, systemError, std::move(path)};
}

}  // namespace quimbaro::files
