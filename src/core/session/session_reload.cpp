// The live view: the shown day read again when its year file changed on
// disk, and the row numbers of a line begun before that kept honest.
#include <algorithm>
#include <cstring>

#include "book/year_file.h"
#include "command/row_commands.h"
#include "session/session.h"
#include "text/messages.h"

namespace quimbaro {

namespace {

bool SameRows(const DayList& a, const DayList& b) {
    return a.kept == b.kept && std::memcmp(a.slots.data(), b.slots.data(), sizeof(a.slots)) == 0 &&
           a.offsets == b.offsets;
}

bool SameRecord(const std::optional<StoredRecord>& a, const std::optional<StoredRecord>& b) {
    if (!a || !b) return a.has_value() == b.has_value();
    return a->offset == b->offset && SameBytes(a->record, b->record);
}

}  // namespace

// An unchanged day draws nothing, unless the week is shown: any of its
// seven days may be the one that changed. A line being typed keeps the rows
// it was begun under; an empty entry means the user starts from the new rows.
SessionAnswer Session::BookChanged(bool lineBegun) {
    SessionAnswer answer;
    answer.entry = {Editing(), pendingRow_};
    const DayList before = rows_;
    const bool wasLoaded = shown_.loaded;
    const StoreResult loaded = LoadDay(folder_, shown_.key, settings_.sortOrder, rows_, dayIndex_);
    shown_.loaded = loaded.Stored();
    AddShownOccurrences(answer);  // a series changed by another copy shows too
    const bool dayChanged = shown_.loaded != wasLoaded || !SameRows(before, rows_);
    if (!dayChanged && !weekShown_) return answer;
    if (dayChanged) {
        if (!lineBegun)
            rowsUnderLine_.reset();
        else if (!rowsUnderLine_)
            rowsUnderLine_ = before;
        FollowPendingEdit();
        NoteShownDayMatches();
    }
    answer.entry = {Editing(), pendingRow_};
    if (weekShown_) {
        RedrawShownWeek(answer);
        return answer;
    }
    answer.show = View();
    if (!loaded.Stored()) answer.messages.push_back(kNotLoadedText + loaded.Reason());
    return answer;
}

std::filesystem::path Session::ShownYearFile() const { return YearFilePath(folder_, shown_.key); }

// The edited record, if it is still as it was read, may now show on another
// row. If it changed or went, the edit stays: storing it is then refused by
// the change check, with the line kept.
void Session::FollowPendingEdit() {
    if (!pendingEdit_) return;
    for (int row = 1; row <= RowsShown(rows_); ++row)
        if (SameRecord(RowRecord(rows_, row), pendingEdit_)) pendingRow_ = row;
}

// The strip boxes the day while one of its appointments answers the search;
// a day read whole with none left loses its box.
void Session::NoteShownDayMatches() {
    if (!search_.matcher || !shown_.loaded) return;
    auto& days = search_.days;
    const auto at = std::lower_bound(days.begin(), days.end(), shown_.date);
    const bool listed = at != days.end() && *at == shown_.date;
    if (RowsMatched().any() && !listed) days.insert(at, shown_.date);
    if (RowsMatched().none() && listed && rows_.kept <= kDaySlots) days.erase(at);
}

// The row the line was typed for must still be the row on display.
bool Session::RowChangedUnderLine(int row) const {
    if (!rowsUnderLine_) return false;
    return !SameRecord(PickRow(*rowsUnderLine_, true, row).record, PickRow(rows_, shown_.loaded, row).record);
}

// Refused as a record changed by another copy is; the line comes back, so
// that Enter once more names the row as now shown.
void Session::RefuseChangedRow(const char* what, SessionAnswer& answer) const {
    const StoreResult changed{StoreError::Changed, 0, ShownYearFile().filename().string()};
    Refuse(what + changed.Reason() + "\n" + kRowsRedrawnText, answer);
}

}  // namespace quimbaro
