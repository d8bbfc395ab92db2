#pragma once
// The rows the row commands (borrar N, editar N) name, what the user is told
// when a number names none (shared by the window's boxes and the command
// line), and the line an edit starts from.

#include <optional>
#include <string>

#include "book/appointment.h"
#include "book/change_record.h"

namespace quimbaro {

// Rows shown for a loaded day: one per kept record, at most 29.
int RowsShown(const DayList& list);

// Why `row` names no appointment of the day on display, in Spanish; empty
// when it names one. row < 1 stands for a missing or unreadable number.
std::string RowProblem(int row, int rowsShown, bool dayLoaded);

// The record row `row` of a day list shows, or why it shows none.
struct RowPick {
    std::optional<StoredRecord> record;
    std::string problem;  // RowProblem's text when there is no record
};
RowPick PickRow(const DayList& list, bool dayLoaded, int row);

// The record as one appointment line, DD/MM/YYYY|HH:MM|phone|name|subject,
// in the record's own (Windows-1252) bytes.
std::string AppointmentLineOf(const Appointment& record);

}  // namespace quimbaro
