// "buscar", "siguiente" and "anterior": finding the days whose appointments
// hold a text, and moving between them.
#include <algorithm>

#include "search/book_search.h"
#include "search/search_texts.h"
#include "session/session.h"
#include "text/win1252.h"

namespace quimbaro {

namespace {

std::string SkippedFilesText(const std::vector<StoreResult>& skipped) {
    std::string lines;
    for (const StoreResult& file : skipped) lines += (lines.empty() ? "" : "\n") + SkippedFileText(file);
    return lines;
}

}  // namespace

// A new search replaces the one in force; an empty text only clears it. The
// first day to show is the first match from today on, else the last before.
void Session::Search(const std::string& query, SessionAnswer& answer) {
    search_ = {};
    if (query.empty()) return RepaintShownDay(answer);
    RecordMatcher matcher(query);
    DaySearch found = FindMatchingDays(folder_, matcher, dayIndex_);
    AddSeriesMatchDays(matcher, found.days);
    const std::optional<CalendarDate> first = FirstDayToShow(found.days, today_());
    if (first) {
        search_ = {std::move(matcher), std::move(found.days)};
        ShowDate(*first, answer);
    } else {
        RepaintShownDay(answer);  // the day stays; the old search's marks go
    }
    if (!found.skipped.empty()) answer.messages.push_back(SkippedFilesText(found.skipped));
    if (!first) answer.messages.push_back(kNoMatchText + FromWin1252(query).toStdString());
}

// At either end nothing moves.
void Session::ShowMatchDay(bool forward, SessionAnswer& answer) {
    if (!search_.matcher) return answer.messages.push_back(kNoSearchText);
    const auto day = forward ? NextMatchDay(search_.days, shown_.date) : PreviousMatchDay(search_.days, shown_.date);
    if (day) return ShowDate(*day, answer);
    answer.messages.push_back(forward ? kNoLaterMatchText : kNoEarlierMatchText);
}

// A stored appointment that answers the search in force marks its day from
// the next day change on, as it shows in the table only from then.
void Session::NoteStoredAppointment(const Appointment& appointment) {
    const char* bytes = reinterpret_cast<const char*>(&appointment);
    if (!search_.matcher || !search_.matcher->Matches(bytes)) return;
    const CalendarDate day = *RecordDay(bytes);
    const auto at = std::lower_bound(search_.days.begin(), search_.days.end(), day);
    if (at == search_.days.end() || *at != day) search_.days.insert(at, day);
}

MatchedRows Session::RowsMatched() const {
    MatchedRows rows;
    if (!search_.matcher) return rows;
    for (int slot = 0; slot < std::min(rows_.kept, kDaySlots); ++slot)
        rows.set(static_cast<std::size_t>(slot),
                 search_.matcher->Matches(reinterpret_cast<const char*>(&rows_.slots[slot])));
    return rows;
}

}  // namespace quimbaro
