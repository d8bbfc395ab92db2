#pragma once
// The real main window in a temporary data folder, with a chosen "today" and
// clock, settings in a temporary INI and an exit hook that only records.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "book/year_file.h"
#include "core/temp_folder.h"
#include "surface/graphic_control.h"
#include "text/win1252.h"
#include "ui/pixels.h"
#include "window/command_line_edit.h"
#include "window/main_window.h"

namespace quimbaro::testing {

// The text of every message box seen while open; each is closed by its OK.
class BoxCatcher {
public:
    BoxCatcher() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                    seen << box->text();
                    if (whileOpen) whileOpen(*box);
                    box->button(QMessageBox::Ok)->click();
                }
        });
        timer_.start(10);
    }
    QStringList seen;
    std::function<void(QMessageBox&)> whileOpen;  // what the user does before pressing OK

private:
    QTimer timer_;
};

// A box that no catcher closes would wait for a click until ctest's limit:
// after a minute open it is closed and the test fails, naming the box.
class UnclosedBoxGuard {
public:
    UnclosedBoxGuard() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QMessageBox* open = nullptr;
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) open = box;
            ticksOpen_ = open ? ticksOpen_ + 1 : 0;
            if (ticksOpen_ < kTicksAllowed) return;
            ADD_FAILURE() << "a message box stayed open: " << open->text().toStdString();
            open->button(QMessageBox::Ok)->click();
        });
        timer_.start(1000);
    }

private:
    static constexpr int kTicksAllowed = 60;
    QTimer timer_;
    int ticksOpen_ = 0;
};

class ShellTest : public ::testing::Test {
protected:
    MainWindow& Open() {
        LoadSettings(settings);
        context = std::make_unique<ShellContext>(folder, [this] { return today; }, settings);
        context->endProcess = [this](int code) { exitCodes.push_back(code); };
        context->now = [this] { return now; };
        window = std::make_unique<MainWindow>(*context);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get(), 60000));
        return *window;
    }
    // Key by key into the entry, then Enter. Qt's test keys are ASCII only; others go as key text.
    void Type(const QString& line) {
        for (const QChar ch : line)
            QTest::sendKeyEvent(QTest::Click, &window->CommandLine(), static_cast<Qt::Key>(ch.toUpper().unicode()),
                                QString(ch), Qt::NoModifier);
        QTest::keyClick(&window->CommandLine(), Qt::Key_Return);
    }
    void Store(const char* date, const char* time, const char* name, const char* phone = "600111222") {
        ASSERT_TRUE(AppendAppointment(folder, date, time, phone, ToWin1252(QString::fromUtf8(name)), "Asunto").Stored());
    }
    void Store(std::initializer_list<const char*> lines) {  // each "dd/mm/yyyy hh:mm name"
        for (const char* line : lines) Store(std::string(line, 10).c_str(), std::string(line + 11, 5).c_str(), line + 17);
    }
    QString Cell(int column, int row) { return window->State().tableGrid->At(column, row).text; }
    QImage AreaImage() { return window->AppointmentsArea().RetainedPicture().image.copy(); }
    QImage PanelImage() { return window->CalendarPanel().RetainedPicture().image.copy(); }
    // A day number's cell in the strip's block k (-3..3 from the shown month).
    QRect DayCell(int year, int month, int day, int k = 0) {
        const int first = DayOfWeek(year, month, 1) - 1 + (day - 1);
        return {506 + 160 * k + (first % 7) * 20, 86 + (first / 7) * 18, 18, 16};
    }
    bool Marked(int year, int month, int day, QRgb colour) {
        return CountColour(PanelImage(), DayCell(year, month, day), colour) > 0;
    }

    TempFolder temp;
    const std::filesystem::path folder = temp.path();
    SettingsStore settings{folder / kSettingsFileName};
    CalendarDate today{2026, 12, 31};
    WallTime now{today, 12 * 3600};
    std::vector<int> exitCodes;
    std::unique_ptr<ShellContext> context;
    std::unique_ptr<MainWindow> window;
    UnclosedBoxGuard unclosedBoxes;
};

}  // namespace quimbaro::testing
