#pragma once
// The days on a printer, as the same pages the PDF file gets: the print
// dialog is only the step that picks the printer before PrintDays.

#include <QPrinter>

#include <vector>

#include "book/day_rows.h"
#include "calendar/dates.h"

namespace quimbaro {

// A4 portrait with the PDF file's margins, named for the print queue; the
// dialog may change any of it.
void PreparePrinter(QPrinter& printer);

// Draws the days on the printer as set up; the outcome's error (Spanish) is
// not empty when nothing could be drawn.
PdfOutcome PrintDays(QPrinter& printer, const std::vector<DayRows>& days, const CalendarDate& printedOn);

}  // namespace quimbaro
