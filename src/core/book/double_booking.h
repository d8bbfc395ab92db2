#pragma once
// Two appointments of one day at the same time: the book stores both, and
// whoever stored the second one is told about the first. Only times written
// exactly HH:MM count; "tarde" or "10h" are no clock time to clash on.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "book/appointment.h"

namespace quimbaro {

// Another record of day (which holds `stored` itself once it is stored) at
// stored's HH:MM time: the first one in day's order that is not that copy.
std::optional<Appointment> OtherAtSameTime(std::span<const Appointment> day, const Appointment& stored);

// How many of records share their date and HH:MM time with another record
// of book; book holds the records themselves.
int CountSameTimeRecords(std::span<const Appointment> book, std::span<const Appointment> records);

// The same count over a book read record by record (a year file streamed):
// memory grows with the records asked about, never with the book.
class SameTimeCount {
public:
    explicit SameTimeCount(std::span<const Appointment> records);
    void Add(const Appointment& held);
    int Clashes() const;

private:
    std::span<const Appointment> records_;
    std::map<std::pair<std::string, int32_t>, int> held_;  // only the records' own dates and times
};

// The same count for records just stored in the folder's year file; 0 when
// it cannot be read again.
int CountSameTimeInYearFile(const std::filesystem::path& yearFile, std::span<const Appointment> records);

// "A las 10:00 ya está Ana Peña: Fisioterapia" (UTF-8).
std::string DoubleBookingText(const Appointment& other);

// The text for a record just stored in the folder's book; nothing when its
// time is free or its day cannot be read (the store itself succeeded).
std::optional<std::string> DoubleBookingWarning(const std::filesystem::path& folder, const Appointment& stored);

}  // namespace quimbaro
