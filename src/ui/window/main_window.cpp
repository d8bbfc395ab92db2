#include "window/main_window.h"

#include <QEvent>
#include <QIcon>
#include <QPalette>

#include "access/screen_access.h"
#include "access/spoken_texts.h"
#include "window/after_first_frame.h"
#include "window/book_watcher.h"
#include "window/command_line_edit.h"
#include "dialogs/programmer_message.h"
#include "window/scroll_appointments.h"
#include "views/table_view.h"
#include "views/month_strip.h"
#include "notify/reminder_service.h"
#include "sync/background_sync.h"
#include "surface/graphic_control.h"

// The icon lives in the ui library's resources; a static library has to ask
// for them to be linked in and registered.
static void InitShellResources() { Q_INIT_RESOURCE(resources); }

namespace quimbaro {

namespace {

constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                         Qt::WindowCloseButtonHint;
constexpr int16_t kTableColumns = 4;
constexpr int16_t kTableRows = 29;        // header and 28 rows: what fits in 704 rows

void ClearToBlack(Surface& surface) {
    surface.SetColours(kSystemColour, kBlack);
    surface.ClearTarget(kSystemColour);
}

std::unique_ptr<Picture> NewBlackPicture(Surface& surface, int width, int height) {
    std::unique_ptr<Picture> picture = Surface::NewPicture(width, height);
    surface.SelectTarget(*picture);
    ClearToBlack(surface);
    return picture;
}

}  // namespace

MainWindow::MainWindow(ShellContext& context)
    : QWidget(nullptr, kWindowFlags),
      context_(context),
      session_(context.dataFolder, context.today, context.settings),
      state_(std::make_unique<ShellState>()) {
    session_.UseDayIndex(context.dayIndex);
    BuildFrame();
    BuildControls();
    Initialise();
    reminders_ = new ReminderService({context_.dataFolder, context_.now, context_.settings.reminderMinutes}, this);
    connect(reminders_, &ReminderService::Clicked, this, &MainWindow::ComeForwardWithToday);
    // Neither the icon nor the bus is part of the first frame.
    new AfterFirstFrame(*this, [this] {
        setWindowIcon(QIcon(QStringLiteral(":/quimbaro.png")));
        reminders_->Start();
    });
    bookWatcher_ = new BookWatcher(context_.dataFolder, this);
    bookWatcher_->Follow(session_.ShownYearFiles());
    connect(bookWatcher_, &BookWatcher::Changed, this, &MainWindow::ShowBookChange);
    sync_ = new BackgroundSync({context_.dataFolder, context_.settings.file, context_.today,
                                [this] { return !commandLine_->text().isEmpty(); }, ShowProgrammerMessage},
                               std::chrono::minutes(context_.settings.syncMinutes), this);
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildFrame() {
    InitShellResources();
    InstallScreenAccess();
    setWindowTitle(QStringLiteral("Quimbaro"));
    setAccessibleName(QStringLiteral("Quimbaro"));
    setFixedSize(kClientWidth, kClientHeight);
    move(kWindowLeft, kWindowTop);  // places the frame's outer corner
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);
}

void MainWindow::BuildControls() {
    calendarPanel_ = AddGraphicControl(kCalendarPanelId, QRect(0, 0, 1160, 233));
    appointmentsArea_ = AddGraphicControl(kAppointmentsAreaId, QRect(0, 232, 1160, 704));
    const int entryEmHeight = state_->surface.EmHeight(10);
    // The entry lays out its empty text as it is made, in the font it
    // inherits. Inheriting its own spares loading a face no one sees; the
    // window draws no text of its own, and dialogs do not inherit fonts.
    setFont(CommandLineFont(entryEmHeight));
    commandLine_ = new CommandLineEdit(this, entryEmHeight);
    commandLine_->setGeometry(0, 936, 1160, 21);  // its two lowest rows fall outside the window
    commandLine_->setAccessibleName(QString::fromUtf8(kEntryName));
    commandLine_->setAccessibleDescription(EntryDescription(entryMode_));
    scrollHandler_ = new ScrollAppointments(this, state_->scrollOffset, state_->lowestScrollOffset,
                                            [this] { RedrawFromCanvas(); });
    appointmentsArea_->installEventFilter(scrollHandler_);
    connect(commandLine_, &QLineEdit::returnPressed, this, &MainWindow::RunCommandLine);
    // Emptying the entry by hand cancels a pending edit.
    connect(commandLine_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (text.isEmpty()) Carry(session_.CancelEdit());
    });
    commandLine_->setFocus();
}

GraphicControl* MainWindow::AddGraphicControl(int id, const QRect& geometry) {
    auto* control = new GraphicControl(this, id, geometry);
    state_->surface.SelectTarget(*control);
    state_->surface.SetColours(kSystemColour, kBlack);
    return control;
}

// The table picture starts black, so the first day needs no clearing.
void MainWindow::Initialise() {
    ShellState& state = *state_;
    SessionAnswer first = session_.Start();
    const CalendarDate& today = first.show->date;
    DrawCalendarPanel(state.surface, *calendarPanel_, today.year, today.month, today.day,
                      context_.settings.userColour);
    state.tablePicture = NewBlackPicture(state.surface, kTableWidth, kTableHeight);
    state.scrollOffset = 0;
    PaintDay(*first.show);
    // The window is not on screen yet: tell the user once it is.
    first.show.reset();
    if (!first.messages.empty()) new AfterFirstFrame(*this, [this, first] { Carry(first); });
}

void MainWindow::DrawDay(const DayView& view) {
    ShellState& state = *state_;
    if (state.week) {  // the day starts at its top, as it did before the week
        state.week.reset();
        state.lowestScrollOffset = kLowestScrollOffset;
        state.scrollOffset = 0;
    }
    const CalendarDate& day = view.date;
    DrawCalendarPanel(state.surface, *calendarPanel_, day.year, day.month, day.day, context_.settings.userColour,
                      view.matchDays);
    ClearTablePicture(state.surface, *state.tablePicture);
    PaintDay(view);
}

// The cells, the table picture and the picture on screen. The canvas waits
// for the first scroll (RedrawFromCanvas).
void MainWindow::PaintDay(const DayView& view) {
    ShellState& state = *state_;
    BuildTableCells(*state.tableGrid, view.rows, context_.settings.userColour, view.matched, view.repeating);
    PaintTable(state.surface, *state.tablePicture, *state.tableGrid, kTableColumns, kTableRows,
               kTableOriginX, kTableOriginY, kOutlineSilver);
    state.canvasStale = true;
    PresentAppointments();
    RememberDay(view);
}

// A copy of what was drawn, for a screen reader to ask about later.
void MainWindow::RememberDay(const DayView& view) {
    facts_.day = view;
    facts_.week.reset();
    facts_.creditShown = false;
    ++facts_.version;
    if (context_.toolListens()) AnnounceDay(*appointmentsArea_, *calendarPanel_, context_.tellTools);
}

void MainWindow::ShowEntryMode(const EntryMode& mode) {
    commandLine_->ShowPendingEdit(mode.editing);
    if (mode.editing == entryMode_.editing && mode.row == entryMode_.row) return;
    entryMode_ = mode;
    commandLine_->setAccessibleDescription(EntryDescription(mode));
}

ScreenPart MainWindow::PartOf(const QObject& object) const {
    if (&object == this) return ScreenPart::Window;
    if (&object == appointmentsArea_) return ScreenPart::DayTable;
    if (&object == calendarPanel_) return ScreenPart::MonthStrip;
    return ScreenPart::None;
}

// The whole day, row 29 included, for the scroll keys. It copies the table
// picture, so it runs only while that still holds the day as PaintDay left it:
// nothing but a scroll changes it between two days, and a scroll comes here
// first.
void MainWindow::PaintCanvas() {
    ShellState& state = *state_;
    if (!state.canvasImage)
        state.canvasImage = NewBlackPicture(state.surface, kCanvasWidth, kCanvasHeight);
    PaintTableCanvas(state.surface, *state.canvasImage, *state.tablePicture, *state.tableGrid);
    state.canvasStale = false;
}

void MainWindow::PresentAppointments() {
    Surface& surface = state_->surface;
    surface.SelectTarget(*appointmentsArea_);
    surface.CopyPicture(*state_->tablePicture, 0, 0);
    surface.Redraw();
}

void MainWindow::RedrawFromCanvas() {
    ShellState& state = *state_;
    if (state.week) return PaintShownWeek();
    if (state.canvasStale) PaintCanvas();
    ClearTablePicture(state.surface, *state.tablePicture);
    state.surface.SelectTarget(*state.tablePicture);
    state.surface.CopyPicture(*state.canvasImage, 0, state.scrollOffset);
    PresentAppointments();
}

// Deactivation remembers the focused control; the next activation gives it
// back once.
void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        if (!isActiveWindow()) {
            state_->savedFocus = focusWidget();
        } else if (state_->savedFocus) {
            state_->savedFocus->setFocus(Qt::ActiveWindowFocusReason);
            state_->savedFocus = nullptr;
        }
    }
    QWidget::changeEvent(event);
}

}  // namespace quimbaro
