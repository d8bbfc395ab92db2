#pragma once
// Reading a folder whose contents someone else may have made: every entry is
// looked at and opened relative to the folder's own descriptor, never through
// a link and never waiting on a FIFO, and no more bytes are read than asked.

#include <sys/stat.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "files/file_result.h"
#include "files/unique_fd.h"

namespace quimbaro::files {

// Opens the folder for the calls below; with create, makes it and any missing
// parents first, for their owner only (they may hold names and phones).
FileResult OpenFolder(const std::filesystem::path& folder, bool create, UniqueFd& fd);

enum class EntryKind { Missing, Plain, Other };  // Other: link, folder, FIFO, device, socket
EntryKind KindOf(int folderFd, const std::string& name);
// The same, filling info from lstat for a Plain entry.
EntryKind KindOf(int folderFd, const std::string& name, struct stat& info);

// The bytes of a plain file directly in the folder; shown names it in errors.
// Reports NotPlain for anything else (a link is not followed) and TooLarge
// past maxBytes; a missing file is OpenFailed with ENOENT.
FileResult ReadPlainFile(int folderFd, const std::string& name, std::size_t maxBytes, const std::string& shown,
                         std::string& bytes);

// The names of the folder's entries, "." and ".." left out.
FileResult ListNames(int folderFd, const std::string& shown, std::vector<std::string>& names);

}  // namespace quimbaro::files
