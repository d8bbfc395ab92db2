#pragma once
// The week in the table's place as a screen reader reads it: a table named
// with the week's Monday, one row per band of the picture (each day's
// heading, then its appointments, or "sin citas"), the heading's words in
// the first cell of its row.

#include <QString>

#include "access/text_table.h"
#include "session/session_answer.h"

namespace quimbaro {

QString WeekTableName(const WeekView& week);     // "Semana del lunes 7 de diciembre de 2026"
QString WeekTableSummary(const WeekView& week);  // "7 días, 12 citas"
int WeekTableRows(const WeekView& week);
TextCellFacts WeekTableCell(const WeekView& week, int row, int column);
// A heading row says it is one; an appointment row its row number in its day.
QString WeekRowText(const WeekView& week, int row);

}  // namespace quimbaro
