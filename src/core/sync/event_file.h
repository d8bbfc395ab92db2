#pragma once
// One event file of the vdir folder as a sync sees it: the records it maps
// to (as import maps them), and the bytes it gets when the book's record is
// written into it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "book/appointment.h"
#include "ical/event_import.h"
#include "repeat/series.h"

namespace quimbaro::sync {

// A digest of a file's bytes, as hex.
std::string BytesDigest(std::string_view bytes);

// A digest of all a series holds: its UID, fields, rule and removed days.
uint64_t SeriesDigest(const Series& series);

// A file of one repeating event whose rule the book can keep maps to that
// series, as the rules file would read it back; any other file to records
// (a repeating event with replaced days comes in as its days).
struct MappedFile {
    std::vector<Appointment> records{};
    std::optional<Series> series{};
    int refused = 0;     // events refused (no valid start, too many occurrences, ...)
    bool whole = true;   // false: the file is refused whole (too large, too many records)
};
MappedFile MapFile(std::string_view bytes, const ical::ImportOptions& options);

// The file's bytes with the record written in: a new file of our own (uid
// names its event) when existing is empty; otherwise the file's one event
// keeps its UID and every property the book does not map, with its start
// (and its end, moved along), summary, and for an event of ours its
// description and X-QUIMBARO-* fields changed. Empty when the file holds no
// single plain event (several, or a repeating one) to write into.
std::string EventBytes(std::string_view existing, const Appointment& record, const std::string& uid);

// The same for a series, keeping its UID: its rule and removed days replace
// the event's; a file that holds no single event is written whole anew.
std::string SeriesBytes(std::string_view existing, const Series& series);

}  // namespace quimbaro::sync
