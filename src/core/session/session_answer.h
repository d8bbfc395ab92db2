#pragma once
// What the window must do after the session took a line: a plain value the
// window carries out in the order of its fields.

#include <optional>
#include <string>
#include <vector>

#include "book/appointment.h"
#include "book/day_rows.h"
#include "calendar/dates.h"

namespace quimbaro {

// The day to draw: the strip around it and its table.
struct DayView {
    CalendarDate date;
    DayList rows;                          // empty when the day could not be read
    MatchedRows matched;                   // the rows that answer the search in force
    std::vector<CalendarDate> matchDays;   // the days the strip boxes, in date order
    MatchedRows repeating{};               // the rows that are occurrences of a series
};

// The week to draw in the table's place: the strip around the shown day,
// and the seven days Monday to Sunday, each in the day table's order.
struct WeekView {
    CalendarDate shown;
    CalendarDate today;
    std::vector<DayRows> days;             // seven; a day that could not be read has no rows
    std::vector<CalendarDate> matchDays;   // as DayView's
};

// Normal, or holding the line of the shown row `row` while it is edited.
struct EntryMode {
    bool editing = false;
    int row = 0;
};

// What only the window can do; carried out after the boxes.
enum class WindowRequest {
    Quit,              // with SessionAnswer::exitCode, at once
    ShowAuthorCredit,  // over the strip, until the next day is drawn
    ChooseColour,      // the colour dialog; its outcome goes to Session::ColourChosen
    RecheckReminders,  // the book or the lead changed: look for due reminders now
    Sync,              // one sync in the background, its outcome told in a box
    Print,             // SessionAnswer::print through the print dialog
};

struct SessionAnswer {
    std::optional<DayView> show;          // drawn first
    std::optional<WeekView> showWeek;     // drawn instead of show's table (never both)
    std::optional<std::string> entryLine;  // Windows-1252, put into the entry
    EntryMode entry;                       // the entry's look from now on
    std::vector<std::string> messages;     // the boxes, one after the other (UTF-8)
    bool handBackTyped = false;            // the typed line back into the entry, unless a new one is there
    std::vector<WindowRequest> requests;
    int exitCode = 0;
    std::vector<DayRows> print;            // WindowRequest::Print: the days on display
};

}  // namespace quimbaro
