#pragma once
// A day as the window's table shows it, for listings and printed pages,
// and how drawing days as pages went.

#include <cstddef>
#include <string>
#include <vector>

#include "book/appointment.h"
#include "calendar/dates.h"

namespace quimbaro {

struct DayRows {
    CalendarDate date;
    std::string key;                // the day key its records carry (DD/MM/YYYY)
    std::vector<Appointment> rows;  // in the table's order: row N is rows[N - 1]
    std::vector<std::string> repetition{};  // per row, a series' name; empty for a single appointment
};

// Row r's (from 0) series name; empty for a single appointment.
inline std::string RepetitionOf(const DayRows& day, std::size_t row) {
    return row < day.repetition.size() ? day.repetition[row] : std::string();
}

// How drawing days as a document went.
struct PdfOutcome {
    int pages = 0;
    std::string error;  // empty when the document was drawn; else why not, in Spanish
};

}  // namespace quimbaro
