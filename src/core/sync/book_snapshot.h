#pragma once
// Every record of every year file, deleted ones too, where it stands: what a
// sync compares with what it synced last time.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "book/appointment.h"

namespace quimbaro::sync {

// A digest of the record's five fields (bytes after a field's end do not count).
uint64_t RecordDigest(const Appointment& record);

// The year file a record's date names ("2026.log").
std::string YearFileOf(const Appointment& record);

struct BookSnapshot {
    std::map<std::string, std::vector<Appointment>> years;  // year file -> its records in file order
    std::string error;                                      // Spanish; empty when all were read

    // The record at the byte offset, or null past the end.
    const Appointment* At(const std::string& yearFile, int64_t offset) const;
    // Whether it is part of the book: a real day that names its own file.
    static bool IsLive(const Appointment& record, const std::string& yearFile);
};

BookSnapshot ReadBook(const std::filesystem::path& folder);

}  // namespace quimbaro::sync
