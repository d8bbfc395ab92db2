#pragma once
// A day as the window's table shows it, for listings and printed pages,
// and how drawing days as pages went.

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

// How drawing days as a document went.
struct PdfOutcome {
    int pages = 0;
    std::string error;  // empty when the document was drawn; else why not, in Spanish
};

}  // namespace quimbaro
