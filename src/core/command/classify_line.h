#pragma once
// What a line typed into the command entry asks for. Pure: line in, action
// out, so it can be tested and fuzzed without a window.

#include <string>
#include <string_view>

#include "book/appointment.h"
#include "calendar/dates.h"
#include "repeat/series.h"

namespace quimbaro {

enum class LineAction {
    Nothing,      // empty line, or a line that matches no test: dropped
    Exit,         // "salir"
    Author,       // "autor"
    Ascending,    // "ascendente"
    Descending,   // "descendente"
    Yesterday,    // "ayer"
    Tomorrow,     // "mañana"
    Today,        // "hoy"
    ShowDate,     // a typed DD/MM/YYYY accepted by ParseDayKey
    ChooseColour, // "color"
    Export,       // "exportar": the book as an iCalendar file in the data folder
    Append,       // exactly four "|" and a date field that is a DayKey
    BadEntry,     // any other count of "|", or four "|" with a bad date
    SetReminder,  // "aviso N", N minutes from 0 to 1440
    BadReminder,  // "aviso" with anything else after it, and no "|"
    Delete,       // "borrar N"
    Edit,         // "editar N"
    Undo,         // "deshacer"
    Search,       // "buscar", alone or followed by one space and the text
    NextMatch,    // "siguiente"
    PreviousMatch,// "anterior"
    AppendSeries, // "cada ..." with a repetition and an appointment line (series_line.h)
    BadSeries,    // "cada" with anything else
    DeleteSeries, // "borrar serie N"
    EditSeries,   // "editar serie N"
    Sync,         // "sincronizar": one two-way sync with the vdir folder of [Sincronizar]
    ShowWeek,     // "semana": the shown day's week, Monday to Sunday
    NextWeek,     // "semana siguiente" or "siguiente semana": the week after, the shown day a week on
    PreviousWeek, // "semana anterior": the week before
    Print,        // "imprimir": what is shown, on paper
};

struct ClassifiedLine {
    LineAction action = LineAction::Nothing;
    CalendarDate date{};                 // ShowDate: the accepted date
    Appointment appointment{};           // Append: the five fields as they are stored
    int minutes = 0;                     // SetReminder: the minutes asked for
    int row = 0;                         // Delete, Edit, DeleteSeries, EditSeries: the typed row; 0 when no number follows the word
    std::string query{};                 // Search: the text, spaces around it removed; empty clears
    Repetition repetition{};             // AppendSeries: how the appointment repeats
};

// line is Windows-1252 text as read from the entry.
ClassifiedLine ClassifyLine(std::string_view line);

}  // namespace quimbaro
