// "buscar", "siguiente" and "anterior": finding the days whose appointments
// hold a text, and moving between them.
#include <algorithm>

#include "book/appointment.h"
#include "command/classify_line.h"
#include "dialogs/programmer_message.h"
#include "search/book_search.h"
#include "search/search_texts.h"
#include "text/win1252.h"
#include "views/month_strip.h"
#include "window/main_window.h"

namespace quimbaro {

namespace {

QString SkippedFilesText(const std::vector<StoreResult>& skipped) {
    QStringList lines;
    for (const StoreResult& file : skipped)
        lines << QString::fromUtf8(kSkippedFileText) + QString::fromStdString(file.Reason());
    return lines.join(u'\n');
}

}  // namespace

// A new search replaces the one in force; an empty text only clears it. The
// first day to show is the first match from today on, else the last before.
void MainWindow::Search(const std::string& query) {
    SearchState& search = state_->search;
    search = {};
    if (query.empty()) return RepaintShownDay();
    RecordMatcher matcher(query);
    DaySearch found = FindMatchingDays(context_.dataFolder, matcher);
    const std::optional<CalendarDate> first = FirstDayToShow(found.days, context_.today());
    if (first) {
        search = {std::move(matcher), std::move(found.days)};
        ShowDate(*first);
    } else {
        RepaintShownDay();  // the day stays; the old search's marks go
    }
    if (!found.skipped.empty()) ShowProgrammerMessage(SkippedFilesText(found.skipped));
    if (!first) ShowProgrammerMessage(QString::fromUtf8(kNoMatchText) + FromWin1252(query));
}

// At either end nothing moves.
void MainWindow::ShowMatchDay(bool forward) {
    const SearchState& search = state_->search;
    if (!search.matcher) return ShowProgrammerMessage(QString::fromUtf8(kNoSearchText));
    const auto day = forward ? NextMatchDay(search.days, state_->shownDay.date)
                             : PreviousMatchDay(search.days, state_->shownDay.date);
    if (day) return ShowDate(*day);
    ShowProgrammerMessage(QString::fromUtf8(forward ? kNoLaterMatchText : kNoEarlierMatchText));
}

void MainWindow::ShowDate(const CalendarDate& date) { ShowDay(date.year, date.month, date.day, DayKey(date)); }

// The shown day's strip and table again, with the marks of the search now in
// force; the day list is not read again.
void MainWindow::RepaintShownDay() {
    ShellState& state = *state_;
    const CalendarDate& day = state.shownDay.date;
    DrawCalendarPanel(state.surface, *calendarPanel_, day.year, day.month, day.day,
                      context_.settings.userColour, state.search.days);
    ClearTablePicture(state.surface, *state.tablePicture);
    PaintDay();
}

// A stored appointment that answers the search in force marks its day from
// the next day change on, as it shows in the table only from then.
void MainWindow::NoteStoredAppointment(const ClassifiedLine& line) {
    SearchState& search = state_->search;
    const auto& f = line.fields;
    const Appointment record = MakeAppointment(f[0], f[1], f[2], f[3], f[4]);
    const char* bytes = reinterpret_cast<const char*>(&record);
    if (!search.matcher || !search.matcher->Matches(bytes)) return;
    const CalendarDate day = *RecordDay(bytes);
    const auto at = std::lower_bound(search.days.begin(), search.days.end(), day);
    if (at == search.days.end() || *at != day) search.days.insert(at, day);
}

MatchedRows MainWindow::RowsMatched() const {
    MatchedRows rows;
    const SearchState& search = state_->search;
    if (!search.matcher) return rows;
    const DayList& list = state_->dayList;
    for (int slot = 0; slot < std::min(list.kept, kDaySlots); ++slot)
        rows.set(static_cast<std::size_t>(slot),
                 search.matcher->Matches(reinterpret_cast<const char*>(&list.slots[slot])));
    return rows;
}

}  // namespace quimbaro
