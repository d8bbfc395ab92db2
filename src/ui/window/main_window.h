#pragma once
// MainWindow: the program's single window, fixed at a 1160 x 955 client area,
// with CalendarPanel, AppointmentsArea and CommandLine. It shows a day with
// ShowDay and runs the command console when Enter is pressed in CommandLine.

#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "window/shell_context.h"
#include "window/shell_state.h"
#include "views/table_view.h"

namespace quimbaro {

class CommandLineEdit;
class GraphicControl;
class ReminderService;
class ScrollAppointments;
struct ClassifiedLine;
struct StoreResult;

inline constexpr int kClientWidth = 1160;
inline constexpr int kClientHeight = 955;
inline constexpr int kWindowLeft = 96;
inline constexpr int kWindowTop = 13;
inline constexpr int kCalendarPanelId = 1001;
inline constexpr int kAppointmentsAreaId = 1002;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    // The context must outlive the window.
    explicit MainWindow(ShellContext& context);
    ~MainWindow() override;

    // Brings the calendar and the table up to date for one day.
    void ShowDay(int16_t year, int16_t month, int16_t day, std::string_view dateKey);
    // Copies the table picture onto AppointmentsArea and shows it at once.
    void PresentAppointments();
    // Reads the entry, animates it, empties it and acts on the line.
    void RunCommandLine();

    GraphicControl& CalendarPanel() { return *calendarPanel_; }
    GraphicControl& AppointmentsArea() { return *appointmentsArea_; }
    CommandLineEdit& CommandLine() { return *commandLine_; }
    ReminderService& Reminders() { return *reminders_; }
    ShellState& State() { return *state_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void BuildFrame();
    void BuildControls();
    GraphicControl* AddGraphicControl(int id, const QRect& geometry);
    void Initialise();
    void PaintDay();
    void PaintCanvas();
    void RedrawFromCanvas();
    void ReportLoadFailure(const StoreResult& result);

    void AnimateCommandLine();
    void ActOnLine(const ClassifiedLine& line, const QString& typed);
    void ShowToday();
    void ShowDayFromToday(int32_t days);
    void SetSortOrder(int16_t sortOrder);
    void ChooseColour();
    void ReportSettingsNotSaved();
    void SetReminderMinutes(int minutes);
    void ComeForwardWithToday();
    void StoreAppointment(const ClassifiedLine& line, const QString& typed);
    void ExportCalendar();
    void RefuseLine(const QString& message, const QString& typed);
    // borrar, editar, deshacer (row_console.cpp).
    bool CheckRow(int row);
    void DeleteRow(int row);
    void EditRow(int row);
    void StoreEdit(const ClassifiedLine& line, const QString& typed);
    void EndEdit();
    void UndoLastChange();
    void RedrawShownDay();

    void Search(const std::string& query);
    void ShowMatchDay(bool forward);
    void ShowDate(const CalendarDate& date);
    void RepaintShownDay();
    void NoteStoredAppointment(const ClassifiedLine& line);
    MatchedRows RowsMatched() const;

    ShellContext& context_;
    std::unique_ptr<ShellState> state_;
    GraphicControl* calendarPanel_ = nullptr;
    GraphicControl* appointmentsArea_ = nullptr;
    CommandLineEdit* commandLine_ = nullptr;
    ScrollAppointments* scrollHandler_ = nullptr;
    ReminderService* reminders_ = nullptr;
};

}  // namespace quimbaro
