// The row commands: "borrar N", "editar N" and "deshacer".
#include "command/row_commands.h"
#include "session/session.h"
#include "text/messages.h"

namespace quimbaro {

namespace {

std::string Because(const char* what, const StoreResult& result) { return what + result.Reason(); }

}  // namespace

// The table is redrawn also after a failure, so that it shows what the file
// holds now.
void Session::DeleteRow(int row, SessionAnswer& answer) {
    if (RowChangedUnderLine(row)) return RefuseChangedRow(kNotDeletedText, answer);
    if (const auto occurrence = OccurrenceAt(row)) return DeleteOccurrence(*occurrence, false, answer);
    const RowPick pick = PickRow(rows_, shown_.loaded, row);
    if (!pick.record) return answer.messages.push_back(pick.problem);
    const Change deleted = DeleteChange(folder_, *pick.record);
    if (deleted.undo) undoSteps_.push_back(*deleted.undo);
    RedrawShownDay(answer);
    if (!deleted.result.Stored()) answer.messages.push_back(Because(kNotDeletedText, deleted.result));
}

void Session::EditRow(int row, SessionAnswer& answer) {
    if (RowChangedUnderLine(row)) return RefuseChangedRow(kNotEditedText, answer);
    if (const auto occurrence = OccurrenceAt(row)) return EditOccurrence(row, *occurrence, false, answer);
    const RowPick pick = PickRow(rows_, shown_.loaded, row);
    if (!pick.record) return answer.messages.push_back(pick.problem);
    pendingEdit_ = pick.record;
    pendingRow_ = row;
    answer.entryLine = AppointmentLineOf(pendingEdit_->record);
}

// The line comes back for correcting, as a refused append does; when the
// record changed meanwhile the edit ends, so the line would be a new one.
void Session::StoreEdit(const Appointment& replacement, SessionAnswer& answer) {
    const Change stored = ReplaceChange(folder_, *pendingEdit_, replacement);
    if (stored.undo) undoSteps_.push_back(*stored.undo);
    if (stored.result.Stored() || stored.result.error == StoreError::Changed) EndEdit();
    RedrawShownDay(answer);
    if (!stored.result.Stored()) return Refuse(Because(kNotStoredText, stored.result), answer);
    WarnOfDoubleBooking(replacement, answer);
}

void Session::EndEdit() {
    pendingEdit_.reset();
    pendingOccurrence_.reset();
    pendingRow_ = 0;
}

// An undo that can never succeed (the record changed) is dropped; one that
// failed for a passing cause stays to be tried again. A restored record's day
// is shown.
void Session::UndoLastChange(SessionAnswer& answer) {
    if (undoSteps_.empty()) return answer.messages.push_back(kNothingToUndoText);
    if (const auto* series = std::get_if<SeriesUndo>(&undoSteps_.back())) return UndoSeries(*series, answer);
    const UndoStep step = std::get<UndoStep>(undoSteps_.back());
    const StoreResult undone = Undo(folder_, step);
    if (undone.Stored() || undone.error == StoreError::Changed) undoSteps_.pop_back();
    const std::string restoredKey = ReadField(step.removed.record.date);
    const auto restoredDay = ParseDayKey(restoredKey);
    if (undone.Stored() && restoredDay)
        ShowDay(*restoredDay, restoredKey, answer);
    else
        RedrawShownDay(answer);
    if (!undone.Stored()) answer.messages.push_back(Because(kNotUndoneText, undone));
}

}  // namespace quimbaro
