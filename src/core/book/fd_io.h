#pragma once
// Whole reads from a file descriptor, riding out interrupted and short
// reads, for the year file's operations (writes: year_file_write.h).

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace quimbaro {

// Reads until size bytes or the end of the file; -1 (errno set) on error.
ssize_t ReadFully(int fd, char* buffer, std::size_t size);

// Whether exactly size bytes were read from the offset (cache files).
bool ReadExactlyAt(int fd, void* buffer, std::size_t size, uint64_t offset);

}  // namespace quimbaro
