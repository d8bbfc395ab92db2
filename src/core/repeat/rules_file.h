#pragma once
// The repeating appointments live in one iCalendar file in the data folder,
// beside the year files, which stay as they are: one VEVENT per series with
// its RRULE and an EXDATE per removed day, the fields kept byte for byte as
// the export keeps them. The file is read without following a link and up to
// a size limit; a change takes the data folder's lock, reads the whole file,
// and writes the new one aside, syncs it and renames it over the old one, so
// a kill leaves the old rules or the new ones (and at most a temporary file,
// which the next change clears).

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "repeat/series.h"

#include <libical/ical.h>

namespace quimbaro {

inline constexpr const char* kRulesFileName = "repeticiones.ics";
inline constexpr std::size_t kMaxRulesFileBytes = std::size_t{16} << 20;
inline constexpr std::size_t kMaxSeries = 100000;

struct RulesRead {
    std::vector<Series> series;  // the events that could be read, in file order
    std::string problem;         // Spanish, naming the file: why it or some of its events could not be read
    bool Whole() const { return problem.empty(); }
};

// No file: no series and no problem.
RulesRead ReadRules(const std::filesystem::path& folder);
// The events of the file's text; problem names no file.
RulesRead ParseRules(std::string_view text);
// The same read by libical alone, which ParseRules gives what it does not
// recognise; the two agree on every text.
RulesRead ParseRulesWithLibical(std::string_view text);
std::string RulesText(const std::vector<Series>& series);
// The series' VEVENT, the caller's to free.
icalcomponent* SeriesEvent(const Series& series);

// Edits the folder's series: returns empty to have them written, else the
// reason (Spanish) to leave the file as it was.
using RulesEdit = std::function<std::string(std::vector<Series>& series)>;
// Empty once the new rules are on disk; else why not, in Spanish. A file
// that is not whole is never written over: what could not be read would be lost.
std::string ChangeRules(const std::filesystem::path& folder, const RulesEdit& edit);

// The folder's rules, read again only when the file is another one (every
// change renames a new file into place) or its size or time changed.
class RulesCache {
public:
    const RulesRead& Read(const std::filesystem::path& folder);
    // Changes whenever the file is read again.
    uint64_t Generation() const { return generation_; }

private:
    uint64_t generation_ = 0;
    std::array<int64_t, 5> seen_{};  // device, inode, size, change time (s, ns); all 0: no file
    bool read_ = false;
    RulesRead rules_;
};

// The same two steps for a caller that opened and locked the folder itself
// (a sync, holding the lock throughout); empty once written, else why not.
RulesRead ReadRulesIn(int folderFd, const std::filesystem::path& folder);
std::string WriteRulesIn(int folderFd, const std::filesystem::path& folder, const std::vector<Series>& series);

// A new series' UID.
std::string NewSeriesUid();

}  // namespace quimbaro
