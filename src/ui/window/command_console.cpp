// The command console: what happens when Enter is pressed in CommandLine.
#include <chrono>
#include <thread>

#include "views/author_credit.h"
#include "command/classify_line.h"
#include "window/command_line_edit.h"
#include "window/main_window.h"
#include "dialogs/programmer_message.h"
#include "text/win1252.h"
#include "book/year_file.h"
#include "dialogs/colour_choice.h"
#include "settings/settings.h"
#include "ical/book_export.h"
#include "notify/reminder_service.h"

namespace quimbaro {

namespace {

constexpr int kFillSteps = 100;
constexpr std::chrono::milliseconds kFillStepPause{1};

}  // namespace

void MainWindow::RunCommandLine() {
    const QString typed = commandLine_->text();
    state_->commandText = ToWin1252(typed);
    if (state_->commandText.empty()) return;
    AnimateCommandLine();
    commandLine_->EndFill();
    commandLine_->clear();
    const ClassifiedLine line = ClassifyLine(state_->commandText);
    // A line that stores or needs correcting keeps the edit; any other ends it.
    if (line.action != LineAction::Append && line.action != LineAction::BadEntry) EndEdit();
    ActOnLine(line, typed);
}

// Shown step by step; no events are processed in between.
void MainWindow::AnimateCommandLine() {
    for (int step = 1; step <= kFillSteps; ++step) {
        FillCommandLine(*commandLine_, static_cast<double>(step) / kFillSteps,
                        ShownUserColour(context_.settings.userColour));
        if (context_.afterFillStep) context_.afterFillStep(step);
        std::this_thread::sleep_for(kFillStepPause);
    }
}

void MainWindow::ActOnLine(const ClassifiedLine& line, const QString& typed) {
    switch (line.action) {
    case LineAction::Nothing: return;
    case LineAction::Exit: context_.endProcess(0); return;
    case LineAction::Author: DrawAuthorCredit(state_->surface, *calendarPanel_); return;
    case LineAction::Ascending: SetSortOrder(1); return;
    case LineAction::Descending: SetSortOrder(2); return;
    case LineAction::Yesterday: ShowDayFromToday(-1); return;
    case LineAction::Tomorrow: ShowDayFromToday(+1); return;
    case LineAction::Today: ShowToday(); return;
    case LineAction::ShowDate:
        ShowDay(line.date.year, line.date.month, line.date.day, state_->commandText);
        return;
    case LineAction::ChooseColour: ChooseColour(); return;
    case LineAction::Export: ExportCalendar(); return;
    case LineAction::Append: StoreAppointment(line, typed); return;
    case LineAction::BadEntry: RefuseLine(QString::fromUtf8(kBadEntryText), typed); return;
    case LineAction::SetReminder: SetReminderMinutes(line.minutes); return;
    case LineAction::BadReminder: RefuseLine(QString::fromUtf8(kBadReminderText), typed); return;
    case LineAction::Search: Search(line.query); return;
    case LineAction::NextMatch: ShowMatchDay(true); return;
    case LineAction::PreviousMatch: ShowMatchDay(false); return;
    case LineAction::Delete: DeleteRow(line.row); return;
    case LineAction::Edit: EditRow(line.row); return;
    case LineAction::Undo: UndoLastChange(); return;
    }
}

void MainWindow::ShowToday() {
    const CalendarDate today = context_.today();
    ShowDay(today.year, today.month, today.day, DayKey(today));
}

// "ayer" and "mañana" always count from today, not from the day on display.
void MainWindow::ShowDayFromToday(int32_t days) {
    const CalendarDate today = context_.today();
    StepDate& step = state_->stepDate;
    step.year = static_cast<uint16_t>(today.year);
    step.month = static_cast<uint16_t>(today.month);
    step.day = static_cast<uint16_t>(today.day);
    AddDays(step, days);
    const CalendarDate shown{static_cast<int16_t>(step.year), static_cast<int16_t>(step.month),
                             static_cast<int16_t>(step.day)};
    ShowDay(shown.year, shown.month, shown.day, DayKey(shown));
}

// The new order shows from the next day change; the table on display stays.
void MainWindow::SetSortOrder(int16_t sortOrder) {
    context_.settings.sortOrder = sortOrder;
    if (!Settings("save", context_.settings)) ReportSettingsNotSaved();
}

// Takes effect at once: the reminders look again with the new lead.
void MainWindow::SetReminderMinutes(int minutes) {
    context_.settings.reminderMinutes = static_cast<int16_t>(minutes);
    if (!Settings("save", context_.settings)) ReportSettingsNotSaved();
    reminders_->Tick();
}

// A clicked reminder: the window comes to the front with today on display.
void MainWindow::ComeForwardWithToday() {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    ShowToday();
}

// The new colour shows from the next day change and the next animation.
void MainWindow::ChooseColour() {
    const ColourChoice choice = ChooseUserColour(*this, context_.customColours, context_.settings);
    if (choice == ColourChoice::kNotSaved) ReportSettingsNotSaved();
}

// The value stays in use for this run; the user learns it will not survive it.
void MainWindow::ReportSettingsNotSaved() {
    const QString file = QString::fromStdString(context_.settings.file.filename().string());
    ShowProgrammerMessage(QString::fromUtf8(kSettingsNotSavedText) + file);
}

// Nothing is redrawn: the appointment shows the next time its day is shown.
void MainWindow::StoreAppointment(const ClassifiedLine& line, const QString& typed) {
    if (state_->pendingEdit) return StoreEdit(line, typed);
    const auto& f = line.fields;
    const StoreResult stored = AppendAppointment(context_.dataFolder, f[0], f[1], f[2], f[3], f[4]);
    if (stored.Stored()) {
        reminders_->Tick();  // one due soon is told at once
        return NoteStoredAppointment(line);
    }
    RefuseLine(QString::fromUtf8(kNotStoredText) + QString::fromStdString(stored.Reason()), typed);
}

// The whole book, for other calendar programs; the box says where it went.
void MainWindow::ExportCalendar() {
    const std::filesystem::path file = context_.dataFolder / ical::kExportFileName;
    const ical::ExportOutcome outcome = ical::ExportBookToFile(context_.dataFolder, {}, file);
    ShowProgrammerMessage(QString::fromStdString(ical::ExportMessage(outcome, file.string())));
}

// The typed line comes back into the entry so that it can be corrected,
// unless something new was typed while the box was open.
void MainWindow::RefuseLine(const QString& message, const QString& typed) {
    ShowProgrammerMessage(message);
    if (commandLine_->text().isEmpty()) commandLine_->setText(typed);
}

}  // namespace quimbaro
