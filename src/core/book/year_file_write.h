#pragma once
// Writing into a year file the caller holds open under its lock: shared by
// appending and by changing stored records.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "book/appointment.h"
#include "book/year_file.h"

namespace quimbaro {

// Writes all of data at offset, riding out interrupted and short writes;
// false (errno set) when the system stops accepting bytes.
bool WriteFully(int fd, const char* data, std::size_t size, off_t offset);

// Writes the record after the last whole record (over a partial trailing
// one) and waits until it is on disk, with the folder's entry when the file
// was empty; offset then tells where it went. A failure cuts the file back
// to the size it had.
StoreResult WriteRecordAtEnd(int fd, const std::filesystem::path& folder, const Appointment& record,
                             const std::string& fileName, uint64_t& offset);

}  // namespace quimbaro
