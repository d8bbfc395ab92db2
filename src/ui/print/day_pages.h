#pragma once
// The days on paper: a heading per day with its date in words, its
// appointments as a table (time, phone, name, subject, long texts wrapped,
// nothing cut), the page number and the date of printing at each page's
// foot. It draws on any paged device (a PDF writer, a printer) within the
// printable area of the device's page layout.

#include <QPagedPaintDevice>

#include <vector>

#include "book/day_rows.h"
#include "calendar/dates.h"

namespace quimbaro {

// The pages drawn; 0 when the device refused the painter.
int PaintDayPages(QPagedPaintDevice& device, const std::vector<DayRows>& days, const CalendarDate& printedOn);

}  // namespace quimbaro
