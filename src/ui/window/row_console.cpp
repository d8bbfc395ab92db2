// The row commands of the console: "borrar N", "editar N" and "deshacer".
#include "book/change_record.h"
#include "command/classify_line.h"
#include "command/row_commands.h"
#include "dialogs/programmer_message.h"
#include "text/win1252.h"
#include "window/command_line_edit.h"
#include "window/main_window.h"

namespace quimbaro {

namespace {

QString Because(const char* what, const StoreResult& result) {
    return QString::fromUtf8(what) + QString::fromStdString(result.Reason());
}

}  // namespace

// True when the row shows an appointment of the day on display; otherwise
// the user is told why and nothing changes.
bool MainWindow::CheckRow(int row) {
    const std::string problem = RowProblem(row, RowsShown(state_->dayList), state_->shownDay.loaded);
    if (problem.empty()) return true;
    ShowProgrammerMessage(QString::fromStdString(problem));
    return false;
}

// The table is redrawn also after a failure, so that it shows what the file
// holds now.
void MainWindow::DeleteRow(int row) {
    if (!CheckRow(row)) return;
    const StoredRecord seen = RowRecord(state_->dayList, row);
    const StoreResult deleted = DeleteRecord(context_.dataFolder, seen);
    if (deleted.Stored()) state_->undoSteps.push_back({seen, std::nullopt});
    RedrawShownDay();
    if (!deleted.Stored()) ShowProgrammerMessage(Because(kNotDeletedText, deleted));
}

void MainWindow::EditRow(int row) {
    if (!CheckRow(row)) return;
    state_->pendingEdit = RowRecord(state_->dayList, row);
    commandLine_->setText(FromWin1252(AppointmentLineOf(state_->pendingEdit->record)));
    commandLine_->ShowPendingEdit(true);
}

// The line comes back for correcting, as a refused append does; when the
// record changed meanwhile the edit ends, so the line would be a new one.
void MainWindow::StoreEdit(const ClassifiedLine& line, const QString& typed) {
    const auto& f = line.fields;
    const StoredRecord seen = *state_->pendingEdit;
    const Appointment replacement = MakeAppointment(f[0], f[1], f[2], f[3], f[4]);
    StoredRecord added;
    const StoreResult stored = ReplaceRecord(context_.dataFolder, seen, replacement, added);
    if (stored.Stored() && !SameBytes(replacement, seen.record)) state_->undoSteps.push_back({seen, added});
    if (stored.Stored() || stored.error == StoreError::Changed) EndEdit();
    RedrawShownDay();
    if (!stored.Stored()) RefuseLine(Because(kNotStoredText, stored), typed);
}

void MainWindow::EndEdit() {
    state_->pendingEdit.reset();
    commandLine_->ShowPendingEdit(false);
}

// An undo that can never succeed (the record changed) is dropped; one that
// failed for a passing cause stays to be tried again.
void MainWindow::UndoLastChange() {
    auto& steps = state_->undoSteps;
    if (steps.empty()) return ShowProgrammerMessage(QString::fromUtf8(kNothingToUndoText));
    const UndoStep step = steps.back();
    const StoreResult undone = Undo(context_.dataFolder, step);
    if (undone.Stored() || undone.error == StoreError::Changed) steps.pop_back();
    const std::string restoredKey = ReadField(step.removed.record.date);
    const auto restoredDay = ParseDayKey(restoredKey);
    if (undone.Stored() && restoredDay)
        ShowDay(restoredDay->year, restoredDay->month, restoredDay->day, restoredKey);
    else
        RedrawShownDay();
    if (!undone.Stored()) ShowProgrammerMessage(Because(kNotUndoneText, undone));
}

void MainWindow::RedrawShownDay() {
    const ShownDay shown = state_->shownDay;
    ShowDay(shown.date.year, shown.date.month, shown.date.day, shown.key);
}

}  // namespace quimbaro
