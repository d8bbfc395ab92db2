#pragma once
// A year file read front to back in blocks of whole records: the one loop
// behind loading a day and searching the book. Memory stays one block,
// whatever the size of the file.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>

#include "book/appointment.h"
#include "book/year_file.h"

namespace quimbaro {

// Records per block (620 KiB). Measured against a plain 1 MiB read: blocks
// of 155 KiB pay four times the system calls, and 1 MiB blocks leave no room
// in a 1 MiB second-level cache for the copy the kernel reads from, and cost
// small files a fresh megabyte per load.
inline constexpr std::size_t kStreamBlockRecords = 4096;

// One block: `count` whole records, the first at file offset `firstOffset`;
// record i starts at records + i * kRecordSize.
using RecordBlockVisitor =
    std::function<void(const char* records, std::size_t count, uint64_t firstOffset)>;

// Hands the visitor the whole records of the open file, as many as its size
// holds when the call starts; a trailing partial record is left out. 0, or
// the errno of a failed read.
int StreamRecords(int fd, const RecordBlockVisitor& visit);

// Opens the year file and holds its lock while `read` reads it from the
// descriptor; `read` answers 0 or the errno of a failed read. A missing file
// is not read and not created; the result names the file.
StoreResult ReadYearFile(const std::filesystem::path& path, const std::function<int(int fd)>& read);

// Opens the year file, holds its lock while streaming it, and names it in the
// result; a missing file streams nothing and is not created.
StoreResult StreamYearFile(const std::filesystem::path& path, const RecordBlockVisitor& visit);

}  // namespace quimbaro
