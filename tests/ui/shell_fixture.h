#pragma once
// The real main window in a temporary data folder, with a chosen "today",
// settings in a temporary INI and an exit hook that only records.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "window/command_line_edit.h"
#include "window/main_window.h"
#include "book/year_file.h"
#include "core/temp_folder.h"
#include "ui/pixels.h"
#include "surface/graphic_control.h"

namespace quimbaro::testing {

inline constexpr QRgb kGold = 0xFFD700;  // RGB(255, 215, 0), the default colour
inline const QString kBoxFrame = "Programador, 1 button, no icon, no owner, modeless";

// A message box seen while it was open: its text, and its frame described as
// kBoxFrame describes the console's boxes.
struct SeenBox {
    QString text, frame;
};

// Closes every message box with its OK button once it is open.
class BoxCatcher {
public:
    BoxCatcher() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                    seen.push_back({box->text(), Frame(*box)});
                    if (whileOpen) whileOpen();
                    box->button(QMessageBox::Ok)->click();
                }
        });
        timer_.start(10);
    }
    std::vector<SeenBox> seen;
    std::function<void()> whileOpen;  // what the user does before pressing OK

private:
    static QString Frame(const QMessageBox& box) {
        const bool modal = box.isModal() || QApplication::activeModalWidget() != nullptr;
        return QString("%1, %2 button, %3icon, %4owner, %5")
            .arg(box.windowTitle()).arg(box.buttons().size())
            .arg(box.icon() == QMessageBox::NoIcon ? "no " : "", box.parentWidget() ? "" : "no ",
                 modal ? "modal" : "modeless");
    }
    QTimer timer_;
};

class ShellTest : public ::testing::Test {
protected:
    MainWindow& Open() {
        Settings("get", settings);
        context = std::make_unique<ShellContext>(folder, [this] { return today; }, settings);
        context->endProcess = [this](int code) { exitCodes.push_back(code); };
        context->now = [this] { return now; };
        context->afterFillStep = [this](int step) {
            if (onFillStep) onFillStep(step);
        };
        window = std::make_unique<MainWindow>(*context);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *window;
    }

    // Types the line key by key into the entry, then presses Enter.
    void Type(const QString& line) {
        for (const QChar ch : line) {  // Qt's test keys are ASCII only; others go as key text
            const auto key = static_cast<Qt::Key>(ch.toUpper().unicode());
            QTest::sendKeyEvent(QTest::Click, &window->CommandLine(), key, QString(ch), Qt::NoModifier);
        }
        QTest::keyClick(&window->CommandLine(), Qt::Key_Return);
    }

    void Store(const char* date, const char* time, const char* name) {
        ASSERT_TRUE(AppendAppointment(folder, date, time, "600111222", name, "Asunto").Stored());
    }

    QString Cell(int column, int row) { return window->State().tableGrid->At(column, row).text; }
    QImage AreaImage() { return window->AppointmentsArea().RetainedPicture().image.copy(); }
    QImage PanelImage() { return window->CalendarPanel().RetainedPicture().image.copy(); }

    // Whether the middle block of the strip shows the day in the colour.
    bool Marked(int year, int month, int day, QRgb colour) {
        const int first = DayOfWeek(year, month, 1) - 1 + (day - 1);
        const QRect cell(506 + (first % 7) * 20, 86 + (first / 7) * 18, 18, 16);
        return CountColour(PanelImage(), cell, colour) > 0;
    }

    TempFolder temp;
    const std::filesystem::path folder = temp.path();
    SettingsStore settings{folder / kSettingsFileName};
    CalendarDate today{2026, 12, 31};
    WallTime now{today, 12 * 3600};
    std::vector<int> exitCodes;
    std::function<void(int)> onFillStep;
    std::unique_ptr<ShellContext> context;
    std::unique_ptr<MainWindow> window;
};

}  // namespace quimbaro::testing
