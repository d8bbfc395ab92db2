#pragma once
// MainWindow: the program's single window, fixed at a 1160 x 955 client area,
// with CalendarPanel, AppointmentsArea and CommandLine. A line entered in
// CommandLine goes to the Session; the window draws and does what it answers.

#include <QString>
#include <QWidget>
#include <memory>
#include <string>

#include "access/screen_facts.h"
#include "session/session.h"
#include "window/shell_context.h"
#include "window/shell_state.h"

namespace quimbaro {

class BookWatcher;
class BackgroundSync;
class CommandLineEdit;
class GraphicControl;
class ReminderService;
class ScrollAppointments;

inline constexpr int kClientWidth = 1160;
inline constexpr int kClientHeight = 955;
inline constexpr int kWindowLeft = 96;
inline constexpr int kWindowTop = 13;
inline constexpr int kCalendarPanelId = 1001;
inline constexpr int kAppointmentsAreaId = 1002;

class MainWindow : public QWidget, public ScreenFactsSource {
    Q_OBJECT
public:
    // The context must outlive the window.
    explicit MainWindow(ShellContext& context);
    ~MainWindow() override;

    // Copies the table picture onto AppointmentsArea and shows it at once.
    void PresentAppointments();
    // Reads the entry, animates it, empties it and hands the line to the session.
    void RunCommandLine();
    // A Windows-1252 line straight to the session, its answer carried out.
    void EnterLine(const std::string& line);

    GraphicControl& CalendarPanel() { return *calendarPanel_; }
    GraphicControl& AppointmentsArea() { return *appointmentsArea_; }
    CommandLineEdit& CommandLine() { return *commandLine_; }
    ReminderService& Reminders() { return *reminders_; }
    BackgroundSync& Syncing() { return *sync_; }
    ShellState& State() { return *state_; }
    const ScreenFacts& Facts() const override { return facts_; }
    ScreenPart PartOf(const QObject& object) const override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void BuildFrame();
    void BuildControls();
    GraphicControl* AddGraphicControl(int id, const QRect& geometry);
    void Initialise();
    void DrawDay(const DayView& view);
    void PaintDay(const DayView& view);
    void PaintCanvas();
    void RedrawFromCanvas();
    void RememberDay(const DayView& view);
    void ShowEntryMode(const EntryMode& mode);
    // The week in the table's place, and on paper (week_console.cpp).
    void DrawWeek(const WeekView& view);
    void PaintShownWeek();
    void PrintDays(const std::vector<DayRows>& days);

    void AnimateCommandLine();
    // Draws, tells and does what the session answered; typed is the line as entered.
    void Carry(const SessionAnswer& answer, const QString& typed = {});
    void Do(WindowRequest request, const SessionAnswer& answer);
    void ComeForwardWithToday();
    void ShowBookChange();

    ShellContext& context_;
    Session session_;
    std::unique_ptr<ShellState> state_;
    GraphicControl* calendarPanel_ = nullptr;
    GraphicControl* appointmentsArea_ = nullptr;
    CommandLineEdit* commandLine_ = nullptr;
    ScrollAppointments* scrollHandler_ = nullptr;
    ReminderService* reminders_ = nullptr;
    BookWatcher* bookWatcher_ = nullptr;
    BackgroundSync* sync_ = nullptr;
    ScreenFacts facts_;
    EntryMode entryMode_;
};

}  // namespace quimbaro
