#pragma once
// The printed days as a PDF document: A4 pages, as day_pages.h draws them.

#include <QIODevice>

#include <vector>

#include "book/day_rows.h"
#include "calendar/dates.h"

namespace quimbaro {

// Writes the whole document to out (open for writing); whether it reached
// its destination is for out's owner to check.
PdfOutcome WritePdfPages(const std::vector<DayRows>& days, const CalendarDate& printedOn, QIODevice& out);

}  // namespace quimbaro
