#pragma once
// Reading one day's records of a year file through its day index where the
// index holds for the file as it is, else reading the whole file and leaving
// an index behind for the next time.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

#include "book/day_index.h"
#include "book/year_file.h"

namespace quimbaro {

using DayRecordVisitor = std::function<void(const char* record, uint64_t offset)>;

// Hands keep each record whose date matches key, with its file offset, in
// file order; the year file is locked meanwhile. A missing file hands
// nothing and is not created.
StoreResult ReadDayRecords(const std::filesystem::path& path, std::string_view key, const DayIndexPlace& place,
                           const DayRecordVisitor& keep);

}  // namespace quimbaro
