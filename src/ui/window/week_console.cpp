// The window's side of "semana" and "imprimir": the week drawn in the
// table's place and scrolled there, and the days on display sent to a printer.
#include <QPrinter>

#include "access/screen_access.h"
#include "dialogs/programmer_message.h"
#include "print/printer_pages.h"
#include "surface/graphic_control.h"
#include "views/month_strip.h"
#include "views/week_view.h"
#include "window/main_window.h"

namespace quimbaro {

// The strip marks the shown day, as for a day; the week starts at its top.
void MainWindow::DrawWeek(const WeekView& view) {
    ShellState& state = *state_;
    const CalendarDate& day = view.shown;
    DrawCalendarPanel(state.surface, *calendarPanel_, day.year, day.month, day.day, context_.settings.userColour,
                      view.matchDays);
    state.week = view;
    state.scrollOffset = 0;
    state.lowestScrollOffset = LowestWeekOffset(view, kTableHeight);
    state.canvasStale = true;  // the day's canvas no longer matches its table picture
    PaintShownWeek();
    facts_.day = DayView{view.shown, {}, {}, view.matchDays};  // the strip, read as drawn
    facts_.week = view;  // read by a screen reader in the day table's place
    facts_.creditShown = false;
    ++facts_.version;
    if (context_.toolListens()) AnnounceDay(*appointmentsArea_, *calendarPanel_, context_.tellTools);
}

void MainWindow::PaintShownWeek() {
    ShellState& state = *state_;
    PaintWeek(state.surface, *state.tablePicture, *state.week, context_.settings.userColour, state.scrollOffset);
    PresentAppointments();
}

// The dialog may be cancelled; a printer that takes nothing is told.
void MainWindow::PrintDays(const std::vector<DayRows>& days) {
    QPrinter printer(QPrinter::HighResolution);
    PreparePrinter(printer);
    if (!context_.choosePrinter(printer, *this)) return;
    const PdfOutcome printed = quimbaro::PrintDays(printer, days, context_.today());
    if (!printed.error.empty())
        ShowProgrammerMessage(QStringLiteral("No se pudo imprimir: ") + QString::fromStdString(printed.error));
}

}  // namespace quimbaro
