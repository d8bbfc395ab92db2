#pragma once
// What the window must do after the session took a line: a plain value the
// window carries out in the order of its fields.

#include <optional>
#include <string>
#include <vector>

#include "book/appointment.h"
#include "calendar/dates.h"

namespace quimbaro {

// The day to draw: the strip around it and its table.
struct DayView {
    CalendarDate date;
    DayList rows;                          // empty when the day could not be read
    MatchedRows matched;                   // the rows that answer the search in force
    std::vector<CalendarDate> matchDays;   // the days the strip boxes, in date order
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
};

struct SessionAnswer {
    std::optional<DayView> show;          // drawn first
    std::optional<std::string> entryLine;  // Windows-1252, put into the entry
    EntryMode entry;                       // the entry's look from now on
    std::vector<std::string> messages;     // the boxes, one after the other (UTF-8)
    bool handBackTyped = false;            // the typed line back into the entry, unless a new one is there
    std::vector<WindowRequest> requests;
    int exitCode = 0;
};

}  // namespace quimbaro
