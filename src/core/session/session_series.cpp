// Series in the console: the "cada" line, the occurrences among the shown
// day's rows, and the row commands on them.
#include "command/row_commands.h"
#include <algorithm>

#include "repeat/occurrences.h"
#include "repeat/rules_file.h"
#include "search/series_search.h"
#include "session/session.h"
#include "text/messages.h"

namespace quimbaro {

// A damaged rules file hides its series only: the day's records still show,
// and the box says why once.
void Session::AddShownOccurrences(SessionAnswer& answer) {
    rowSeries_ = {};
    const RulesRead& rules = rules_.Read(folder_);
    if (rules.problem != toldRulesProblem_ && !rules.problem.empty()) answer.messages.push_back(rules.problem);
    toldRulesProblem_ = rules.problem;
    if (shown_.loaded)
        AddOccurrences(rows_, rules.series, SeriesOn(rules.series, shown_.date), shown_.date, settings_.sortOrder,
                       rowSeries_);
}

// The days of the series whose fields answer the search (near today, as
// MatchingSeries follows them) join the days found in the year files.
void Session::AddSeriesMatchDays(const RecordMatcher& matcher, std::vector<CalendarDate>& days) {
    const std::size_t found = days.size();
    for (const SeriesMatch& match : MatchingSeries(rules_.Read(folder_).series, matcher, today_()))
        days.insert(days.end(), match.days.begin(), match.days.end());
    if (days.size() == found) return;
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
}

// The shown day is drawn again, so that an occurrence on it shows at once.
void Session::StoreSeries(const ClassifiedLine& line, SessionAnswer& answer) {
    EndEdit();
    const SeriesChange change = AddSeries(folder_, line.appointment, line.repetition);
    if (!change.Done()) return Refuse(kNotStoredText + change.error, answer);
    TellSeriesChange(change, answer);
}

std::optional<OccurrenceRow> Session::OccurrenceAt(int row) const {
    if (row < 1 || row > kDaySlots) return std::nullopt;
    return rowSeries_[static_cast<std::size_t>(row - 1)];
}

void Session::DeleteOccurrence(const OccurrenceRow& occurrence, bool wholeSeries, SessionAnswer& answer) {
    const SeriesChange change = wholeSeries ? EndSeriesBefore(folder_, occurrence) : SkipOccurrence(folder_, occurrence);
    if (!change.Done()) {
        RedrawShownDay(answer);
        return answer.messages.push_back(kNotDeletedText + change.error);
    }
    TellSeriesChange(change, answer);
}

void Session::DeleteSeriesRow(int row, SessionAnswer& answer) {
    if (const auto occurrence = OccurrenceAt(row)) return DeleteOccurrence(*occurrence, true, answer);
    const RowPick pick = PickRow(rows_, shown_.loaded, row);
    answer.messages.push_back(pick.record ? kNotSeriesRowText + std::to_string(row) : pick.problem);
}

void Session::EditOccurrence(int row, const OccurrenceRow& occurrence, bool wholeSeries, SessionAnswer& answer) {
    pendingOccurrence_ = occurrence;
    pendingWholeSeries_ = wholeSeries;
    pendingRow_ = row;
    answer.entryLine = AppointmentLineOf(rows_.slots[static_cast<std::size_t>(row - 1)]);
}

void Session::EditSeriesRow(int row, SessionAnswer& answer) {
    if (const auto occurrence = OccurrenceAt(row)) return EditOccurrence(row, *occurrence, true, answer);
    const RowPick pick = PickRow(rows_, shown_.loaded, row);
    answer.messages.push_back(pick.record ? kNotSeriesRowText + std::to_string(row) : pick.problem);
}

// As with a record's edit, a refused line comes back for correcting.
void Session::StoreOccurrenceEdit(const Appointment& replacement, SessionAnswer& answer) {
    const OccurrenceRow occurrence = *pendingOccurrence_;
    const SeriesChange change = pendingWholeSeries_ ? SplitSeries(folder_, occurrence, replacement)
                                                    : DetachOccurrence(folder_, occurrence, replacement);
    if (!change.Done()) {
        RedrawShownDay(answer);
        return Refuse(kNotStoredText + change.error, answer);
    }
    EndEdit();
    TellSeriesChange(change, answer);
}

void Session::TellSeriesChange(const SeriesChange& change, SessionAnswer& answer) {
    if (change.undo) undoSteps_.push_back(*change.undo);
    RedrawShownDay(answer);
    answer.messages.push_back(change.done);
    answer.requests.push_back(WindowRequest::RecheckReminders);
}

// A step that failed stays to be tried again.
void Session::UndoSeries(const SeriesUndo& step, SessionAnswer& answer) {
    const SeriesUndo undo = step;
    const std::string error = UndoSeriesChange(folder_, undo);
    if (error.empty()) undoSteps_.pop_back();
    RedrawShownDay(answer);
    answer.messages.push_back(error.empty() ? "Se deshizo el cambio de la serie " + undo.name + "."
                                            : kNotUndoneText + error);
}

}  // namespace quimbaro
