#include "session/session.h"

#include <utility>

#include "book/year_file.h"
#include "ical/book_export.h"
#include "text/messages.h"

namespace quimbaro {

Session::Session(std::filesystem::path folder, TodayClock today, SettingsStore& settings)
    : folder_(std::move(folder)), today_(std::move(today)), settings_(settings) {}

SessionAnswer Session::Start() {
    SessionAnswer answer;
    const CalendarDate today = today_();
    ShowDay(today, DayKey(today), answer);
    return answer;
}

SessionAnswer Session::Enter(std::string_view line) {
    SessionAnswer answer;
    const ClassifiedLine classified = ClassifyLine(line);
    // A line that stores or needs correcting keeps the edit; any other ends it.
    if (classified.action != LineAction::Append && classified.action != LineAction::BadEntry) EndEdit();
    Act(classified, line, answer);
    rowsUnderLine_.reset();  // the next line is typed under the rows on display now
    answer.entry = {Editing(), pendingRow_};
    return answer;
}

SessionAnswer Session::ShowToday() {
    SessionAnswer answer;
    ShowDayFromToday(0, answer);
    answer.entry = {Editing(), pendingRow_};
    return answer;
}

SessionAnswer Session::CancelEdit() {
    EndEdit();
    rowsUnderLine_.reset();
    return {};
}

// The value stays in use for this run either way.
SessionAnswer Session::ColourChosen(bool saved) {
    SessionAnswer answer;
    if (!saved) answer.messages.push_back(kSettingsNotSavedText + settings_.file.filename().string());
    answer.entry = {Editing(), pendingRow_};
    return answer;
}

void Session::Act(const ClassifiedLine& line, std::string_view typed, SessionAnswer& answer) {
    switch (line.action) {
    case LineAction::Nothing: return;
    case LineAction::Exit: answer.requests.push_back(WindowRequest::Quit); return;
    case LineAction::Author: answer.requests.push_back(WindowRequest::ShowAuthorCredit); return;
    // The new order shows from the next day change; the table on display stays.
    case LineAction::Ascending: settings_.sortOrder = SortOrder::LatestFirst; return SaveSettingsOrTell(answer);
    case LineAction::Descending: settings_.sortOrder = SortOrder::EarliestFirst; return SaveSettingsOrTell(answer);
    case LineAction::Yesterday: return ShowDayFromToday(-1, answer);
    case LineAction::Tomorrow: return ShowDayFromToday(+1, answer);
    case LineAction::Today: return ShowDayFromToday(0, answer);
    case LineAction::ShowDate: return ShowDay(line.date, std::string(typed), answer);  // the exact key typed
    case LineAction::ChooseColour: answer.requests.push_back(WindowRequest::ChooseColour); return;
    case LineAction::Export: return Export(answer);
    case LineAction::Append: return StoreAppointment(line.appointment, answer);
    case LineAction::BadEntry: return Refuse(kBadEntryText, answer);
    case LineAction::SetReminder: return SetReminderMinutes(line.minutes, answer);
    case LineAction::BadReminder: return Refuse(kBadReminderText, answer);
    case LineAction::Search: return Search(line.query, answer);
    case LineAction::NextMatch: return ShowMatchDay(true, answer);
    case LineAction::PreviousMatch: return ShowMatchDay(false, answer);
    case LineAction::Delete: return DeleteRow(line.row, answer);
    case LineAction::Edit: return EditRow(line.row, answer);
    case LineAction::Undo: return UndoLastChange(answer);
    case LineAction::AppendSeries: return StoreSeries(line, answer);
    case LineAction::BadSeries: return Refuse(kBadSeriesText, answer);
    case LineAction::DeleteSeries: return DeleteSeriesRow(line.row, answer);
    case LineAction::EditSeries: return EditSeriesRow(line.row, answer);
    case LineAction::Sync: return Sync(answer);
    case LineAction::ShowWeek: return ShowWeek(0, answer);
    case LineAction::NextWeek: return ShowWeek(+1, answer);
    case LineAction::PreviousWeek: return ShowWeek(-1, answer);
    case LineAction::Print: return Print(answer);
    }
}

void Session::ShowDay(const CalendarDate& date, std::string key, SessionAnswer& answer) {
    const StoreResult loaded = LoadDay(folder_, key, settings_.sortOrder, rows_, dayIndex_);
    shown_ = {date, std::move(key), loaded.Stored()};
    weekShown_ = false;
    rowsUnderLine_.reset();
    AddShownOccurrences(answer);
    answer.show = View();
    if (!loaded.Stored()) answer.messages.push_back(kNotLoadedText + loaded.Reason());
}

// "ayer" and "mañana" always count from today, not from the day on display;
// a today at the calendar's end stays where it is.
void Session::ShowDayFromToday(int32_t days, SessionAnswer& answer) {
    const CalendarDate today = today_();
    ShowDate(DaysAfter(today, days).value_or(today), answer);
}

void Session::RedrawShownDay(SessionAnswer& answer) { ShowDay(shown_.date, shown_.key, answer); }

// The marks of the search now in force; the day list is not read again.
void Session::RepaintShownDay(SessionAnswer& answer) { answer.show = View(); }

DayView Session::View() const {
    return {shown_.date, rows_, RowsMatched(), search_.days, RepeatingRows(rowSeries_)};
}

// The value stays in use for this run; the user learns it will not survive it.
void Session::SaveSettingsOrTell(SessionAnswer& answer) {
    if (!SaveSettings(settings_)) answer.messages.push_back(kSettingsNotSavedText + settings_.file.filename().string());
}

// Takes effect at once: the reminders look again with the new lead.
void Session::SetReminderMinutes(int minutes, SessionAnswer& answer) {
    settings_.reminderMinutes = static_cast<int16_t>(minutes);
    SaveSettingsOrTell(answer);
    answer.requests.push_back(WindowRequest::RecheckReminders);
}

// A day table is not redrawn: the appointment shows the next time its day is
// shown. A week on display is, as it may be the new one's.
void Session::StoreAppointment(const Appointment& appointment, SessionAnswer& answer) {
    if (pendingEdit_) return StoreEdit(appointment, answer);
    if (pendingOccurrence_) return StoreOccurrenceEdit(appointment, answer);
    const StoreResult stored = AppendAppointment(folder_, appointment);
    if (!stored.Stored()) return Refuse(kNotStoredText + stored.Reason(), answer);
    answer.requests.push_back(WindowRequest::RecheckReminders);  // one due soon is told at once
    NoteStoredAppointment(appointment);
    if (weekShown_) RedrawShownWeek(answer);
    WarnOfDoubleBooking(appointment, answer);
}

// The whole book, for other calendar programs; the box says where it went.
void Session::Sync(SessionAnswer& answer) {
    if (settings_.syncFolder.empty()) return answer.messages.push_back(kNoSyncFolderText + settings_.file.string());
    answer.requests.push_back(WindowRequest::Sync);
}

void Session::Export(SessionAnswer& answer) {
    const std::filesystem::path file = folder_ / ical::kExportFileName;
    const ical::ExportOutcome outcome = ical::ExportBookToFile(folder_, {}, file);
    answer.messages.push_back(ical::ExportMessage(outcome, file.string()));
}

// The typed line comes back into the entry so that it can be corrected.
void Session::Refuse(std::string message, SessionAnswer& answer) {
    answer.messages.push_back(std::move(message));
    answer.handBackTyped = true;
}

}  // namespace quimbaro
