#pragma once
// Whole reads and writes on a file descriptor, riding out interrupted and
// short transfers, for the year file's operations.

#include <sys/types.h>

#include <cstddef>

namespace quimbaro {

// Reads until size bytes or the end of the file; -1 (errno set) on error.
ssize_t ReadFully(int fd, char* buffer, std::size_t size);

// Writes all of data at offset; false (errno set) when the system stops
// accepting bytes.
bool WriteFully(int fd, const char* data, std::size_t size, off_t offset);

}  // namespace quimbaro
