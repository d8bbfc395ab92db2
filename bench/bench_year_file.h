#pragma once
// Year files for the benchmarks: many records of other days with the
// records of one day spread evenly through them, written once and reused.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace quimbaro::bench {

// Records of the loaded day in every generated file: one more than the day
// list holds, so the load also passes one over.
inline constexpr int kDayRecords = 30;

// A name of 49 and a subject of 74 capitals, wide enough to wrap in their
// columns; different for each index.
std::string LongName(int index);
std::string LongSubject(int index);

// Writes folder/<year>.log with `records` records, kDayRecords of them dated
// dayKey, unless the file already holds exactly that (a stamp beside it
// says so). Throws std::runtime_error when the file cannot be written.
std::filesystem::path EnsureYearFile(const std::filesystem::path& folder, int64_t records,
                                     std::string_view dayKey);

// Writes count weekly series without end into the folder's rules file, the
// first starting on dayKey and each next one a day earlier (so one in seven
// comes on that day and every one after it), unless the file is there already.
// Throws std::runtime_error when it cannot be written.
void EnsureWeeklySeries(const std::filesystem::path& folder, int count, std::string_view dayKey);

}  // namespace quimbaro::bench
