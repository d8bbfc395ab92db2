#pragma once
// The book's appointments as one iCalendar file, or written to any device.

#include <QIODevice>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "book/appointment.h"
#include "calendar/dates.h"
#include "repeat/series.h"

namespace quimbaro::ical {

// What the window's "exportar" writes into the data folder.
inline constexpr const char* kExportFileName = "quimbaro.ics";

// Days from..to, both included; an open end has no limit.
struct DateRange {
    std::optional<CalendarDate> from;
    std::optional<CalendarDate> to;
    bool Contains(const CalendarDate& day) const;
};

// The folder's year files (NNNN.log), in order; error says why the folder
// could not be listed.
std::vector<std::filesystem::path> YearFiles(const std::filesystem::path& folder, std::string& error);

// The records of every year file (NNNN.log) in the folder, years in order and
// each file in its own order, whose date is a real day in range and names the
// file they are in (no other record is ever shown).
struct BookRecords {
    std::vector<Appointment> records;
    int skipped = 0;    // records whose date is no real day of their file
    std::string error;  // why a year file could not be read; empty when all were
};
BookRecords CollectBook(const std::filesystem::path& folder, const DateRange& range);

// The folder's series with a day in range; error says why they could not all be read.
std::vector<Series> SeriesInRange(const std::filesystem::path& folder, const DateRange& range, std::string& error);

struct ExportOutcome {
    int exported = 0;
    int series = 0;  // repeating appointments, one event each
    int skipped = 0;
    std::string error;  // Spanish, empty on success; nothing is written then
    bool Done() const { return error.empty(); }
};

// One VCALENDAR with one VEVENT per record, in the given order, with the
// records' StableUids or the given ones; false when the device refused bytes.
bool WriteCalendar(std::span<const Appointment> records, QIODevice& out);
bool WriteCalendar(std::span<const Appointment> records, std::span<const std::string> uids, QIODevice& out);

// Writes the folder's book to out (stdout, say): the records, then the
// series with a day in range, each one VEVENT with its RRULE and EXDATEs.
ExportOutcome ExportBook(const std::filesystem::path& folder, const DateRange& range, QIODevice& out);
// Writes it to file as files::WriteFileSafely does: a failure leaves what was there.
ExportOutcome ExportBookToFile(const std::filesystem::path& folder, const DateRange& range,
                               const std::filesystem::path& file);

// "Se exportaron N citas a FILE." plus the skipped records, for boxes and
// the command line.
std::string ExportMessage(const ExportOutcome& outcome, const std::string& where);
// The sentence on skipped records that ends such messages; empty for none.
std::string SkippedText(int skipped);

}  // namespace quimbaro::ical
