// The command console: what happens when Enter is pressed in CommandLine,
// and how the window carries out what the session answers.
#include <algorithm>
#include <chrono>
#include <thread>

#include "access/screen_access.h"
#include "views/author_credit.h"
#include "window/book_watcher.h"
#include "window/command_line_edit.h"
#include "window/main_window.h"
#include "dialogs/programmer_message.h"
#include "text/win1252.h"
#include "dialogs/colour_choice.h"
#include "notify/reminder_service.h"
#include "sync/background_sync.h"
#include "surface/graphic_control.h"

namespace quimbaro {

namespace {

constexpr int kFillSteps = 100;
constexpr std::chrono::milliseconds kFillStepPause{1};

}  // namespace

void MainWindow::RunCommandLine() {
    const QString typed = commandLine_->text();
    const std::string line = ToWin1252(typed);
    if (line.empty()) return;
    AnimateCommandLine();
    commandLine_->EndFill();
    commandLine_->clear();
    Carry(session_.Enter(line), typed);
}

void MainWindow::EnterLine(const std::string& line) { Carry(session_.Enter(line), FromWin1252(line)); }

// Shown step by step; no events are processed in between.
void MainWindow::AnimateCommandLine() {
    for (int step = 1; step <= kFillSteps; ++step) {
        FillCommandLine(*commandLine_, static_cast<double>(step) / kFillSteps,
                        ShownUserColour(context_.settings.userColour));
        if (context_.afterFillStep) context_.afterFillStep(step);
        std::this_thread::sleep_for(kFillStepPause);
    }
}

// The typed line comes back only when nothing new was typed while a box was open.
void MainWindow::Carry(const SessionAnswer& answer, const QString& typed) {
    if (answer.show) DrawDay(*answer.show);
    if (answer.showWeek) DrawWeek(*answer.showWeek);
    if ((answer.show || answer.showWeek) && bookWatcher_) bookWatcher_->Follow(session_.ShownYearFiles());
    if (answer.entryLine) commandLine_->setText(FromWin1252(*answer.entryLine));
    ShowEntryMode(answer.entry);
    for (const std::string& message : answer.messages) ShowProgrammerMessage(QString::fromStdString(message));
    if (answer.handBackTyped && commandLine_->text().isEmpty()) commandLine_->setText(typed);
    for (const WindowRequest request : answer.requests) Do(request, answer);
}

void MainWindow::Do(WindowRequest request, const SessionAnswer& answer) {
    switch (request) {
    case WindowRequest::Quit: context_.endProcess(answer.exitCode); return;
    case WindowRequest::ShowAuthorCredit:
        DrawAuthorCredit(state_->surface, *calendarPanel_);
        facts_.creditShown = true;
        ++facts_.version;
        if (context_.toolListens()) AnnounceStrip(*calendarPanel_, context_.tellTools);
        return;
    case WindowRequest::ChooseColour: {
        // The new colour shows from the next day change and the next animation.
        const ColourChoice choice = ChooseUserColour(*this, context_.customColours, context_.settings);
        if (choice != ColourChoice::kNone) Carry(session_.ColourChosen(choice == ColourChoice::kSaved));
        return;
    }
    case WindowRequest::RecheckReminders: reminders_->Tick(); return;
    case WindowRequest::Sync: sync_->RunAsked(); return;
    case WindowRequest::Print: PrintDays(answer.print); return;
    }
}

// A clicked reminder: the window comes to the front with today on display.
void MainWindow::ComeForwardWithToday() {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    Carry(session_.ShowToday());
}

// The shown day's file changed on disk: the day is drawn again as the user
// left it, scrolled or not, and the entry keeps what is typed in it.
void MainWindow::ShowBookChange() {
    const bool scrolled = !state_->canvasStale;
    const int32_t weekOffset = state_->week ? state_->scrollOffset : 0;
    Carry(session_.BookChanged(!commandLine_->text().isEmpty()));
    if (scrolled && state_->canvasStale) RedrawFromCanvas();
    if (state_->week && weekOffset != 0) {  // the week stays where the user scrolled it
        state_->scrollOffset = std::clamp(weekOffset, state_->lowestScrollOffset, 0);
        PaintShownWeek();
    }
}

}  // namespace quimbaro
