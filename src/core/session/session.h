#pragma once
// The console without a window: the day on display, the sort order, the undo
// steps, the pending edit and the search. A line typed into the entry goes
// in; what the window must draw, tell and do comes out (SessionAnswer). Each
// command word is one case of Enter, so a new one lands beside the others.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "book/change_record.h"
#include "book/day_index.h"
#include "calendar/dates.h"
#include "command/classify_line.h"
#include "repeat/day_occurrences.h"
#include "repeat/rules_file.h"
#include "repeat/series_change.h"
#include "session/search_state.h"
#include "session/session_answer.h"
#include "settings/settings.h"

namespace quimbaro {

class Session {
public:
    // The settings must outlive the session; the order and the reminder lead
    // are changed and saved in them.
    Session(std::filesystem::path folder, TodayClock today, SettingsStore& settings);
    // Days of large year files are then looked up in the day index kept there.
    void UseDayIndex(DayIndexPlace place) { dayIndex_ = std::move(place); }

    // Today, as the window first shows it.
    SessionAnswer Start();
    // One non-empty line from the entry, Windows-1252.
    SessionAnswer Enter(std::string_view line);
    // A clicked reminder.
    SessionAnswer ShowToday();
    // The entry emptied by hand: a pending edit ends.
    SessionAnswer CancelEdit();
    // What the colour dialog did with the settings file.
    SessionAnswer ColourChosen(bool saved);
    // The book changed on disk (another copy, the command line, a sync): the
    // shown day is read again, keeping the search and a pending edit.
    // lineBegun: the entry holds a line typed while the old rows were shown.
    SessionAnswer BookChanged(bool lineBegun);
    // The year file the day on display is read from.
    std::filesystem::path ShownYearFile() const;
    // Every year file the table area draws from: the shown day's, and while a
    // week is shown, the other year's of a week across New Year.
    std::vector<std::filesystem::path> ShownYearFiles() const;

private:
    // The day on display as the last ShowDay named it; loaded is false when
    // its year file could not be read, so the table shows no rows of it.
    struct ShownDay {
        CalendarDate date;
        std::string key;
        bool loaded = false;
    };

    void Act(const ClassifiedLine& line, std::string_view typed, SessionAnswer& answer);
    void ShowDay(const CalendarDate& date, std::string key, SessionAnswer& answer);
    void ShowDate(const CalendarDate& date, SessionAnswer& answer) { ShowDay(date, DayKey(date), answer); }
    void ShowDayFromToday(int32_t days, SessionAnswer& answer);
    void RedrawShownDay(SessionAnswer& answer);
    void RepaintShownDay(SessionAnswer& answer);
    DayView View() const;
    void SaveSettingsOrTell(SessionAnswer& answer);
    void SetReminderMinutes(int minutes, SessionAnswer& answer);
    void StoreAppointment(const Appointment& appointment, SessionAnswer& answer);
    void Export(SessionAnswer& answer);
    void Sync(SessionAnswer& answer);
    static void Refuse(std::string message, SessionAnswer& answer);
    // borrar, editar, deshacer (session_rows.cpp).
    void DeleteRow(int row, SessionAnswer& answer);
    void EditRow(int row, SessionAnswer& answer);
    void StoreEdit(const Appointment& replacement, SessionAnswer& answer);
    void EndEdit();
    void UndoLastChange(SessionAnswer& answer);
    // buscar, siguiente, anterior (session_search.cpp).
    void Search(const std::string& query, SessionAnswer& answer);
    void ShowMatchDay(bool forward, SessionAnswer& answer);
    void NoteStoredAppointment(const Appointment& appointment);
    MatchedRows RowsMatched() const;
    // Series: "cada", their rows, "borrar serie", "editar serie" (session_series.cpp).
    void AddShownOccurrences(SessionAnswer& answer);
    void AddSeriesMatchDays(const RecordMatcher& matcher, std::vector<CalendarDate>& days);
    void StoreSeries(const ClassifiedLine& line, SessionAnswer& answer);
    std::optional<OccurrenceRow> OccurrenceAt(int row) const;
    void DeleteOccurrence(const OccurrenceRow& occurrence, bool wholeSeries, SessionAnswer& answer);
    void DeleteSeriesRow(int row, SessionAnswer& answer);
    void EditOccurrence(int row, const OccurrenceRow& occurrence, bool wholeSeries, SessionAnswer& answer);
    void EditSeriesRow(int row, SessionAnswer& answer);
    void StoreOccurrenceEdit(const Appointment& replacement, SessionAnswer& answer);
    void TellSeriesChange(const SeriesChange& change, SessionAnswer& answer);
    void UndoSeries(const SeriesUndo& step, SessionAnswer& answer);
    bool Editing() const { return pendingEdit_.has_value() || pendingOccurrence_.has_value(); }
    // semana, imprimir, and the warning after storing (session_week.cpp).
    void ShowWeek(int32_t weeks, SessionAnswer& answer);
    bool RedrawShownWeek(SessionAnswer& answer);
    void Print(SessionAnswer& answer);
    void WarnOfDoubleBooking(const Appointment& stored, SessionAnswer& answer) const;
    // The live view (session_reload.cpp).
    void FollowPendingEdit();
    void NoteShownDayMatches();
    bool RowChangedUnderLine(int row) const;
    void RefuseChangedRow(const char* what, SessionAnswer& answer) const;

    std::filesystem::path folder_;
    DayIndexPlace dayIndex_;
    TodayClock today_;
    SettingsStore& settings_;
    ShownDay shown_;
    DayList rows_;  // with the file positions of the shown rows
    SearchState search_;
    bool weekShown_ = false;  // the table area holds shown_'s week; any day shown ends it
    // The row "editar" put into the entry, until its line is stored or the
    // edit is cancelled.
    std::optional<StoredRecord> pendingEdit_;
    int pendingRow_ = 0;
    // this run's deletions and edits, the last one at the back
    std::vector<std::variant<UndoStep, SeriesUndo>> undoSteps_;
    RulesCache rules_;                   // the series, read again when their file changed
    RowSeries rowSeries_{};              // which shown rows are occurrences
    std::string toldRulesProblem_;       // the rules file's problem, told once until it changes
    // The occurrence "editar N" or "editar serie N" put into the entry.
    std::optional<OccurrenceRow> pendingOccurrence_;
    bool pendingWholeSeries_ = false;
    // The rows on display when the line in the entry was begun, if the book
    // changed on disk since: the numbers in that line name these rows.
    std::optional<DayList> rowsUnderLine_;
};

}  // namespace quimbaro
