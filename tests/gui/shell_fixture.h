#pragma once
// The real main window in a temporary data folder, with a chosen "today",
// settings in a temporary INI and an exit hook that only records.

#include <QAbstractButton>
#include <QColorDialog>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line_edit.h"
#include "app/main_window.h"
#include "book/year_file.h"
#include "surface/graphic_control.h"

namespace quimbaro::testing {

inline constexpr QRgb kGold = 0xFFFFD700;  // RGB(255, 215, 0), the default colour

// A message box seen while it was open, then closed with its OK button.
struct SeenBox {
    QString title;
    QString text;
    int buttonCount = 0;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool hasOwner = false;
    bool blocksOtherWindows = false;
};

class BoxCatcher {
public:
    BoxCatcher() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { CloseOpenBoxes(); });
        timer_.start(10);
    }
    std::vector<SeenBox> seen;

private:
    void CloseOpenBoxes() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box == nullptr || !box->isVisible()) continue;
            seen.push_back({box->windowTitle(), box->text(), static_cast<int>(box->buttons().size()),
                            box->icon(), box->parentWidget() != nullptr,
                            box->isModal() || QApplication::activeModalWidget() != nullptr});
            box->button(QMessageBox::Ok)->click();
        }
    }
    QTimer timer_;
};

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        folder = std::filesystem::path(dir_.path().toStdString());
        settings.file = folder / kSettingsFileName;
    }

    MainWindow& Open() {
        Settings("get", settings);
        context = std::make_unique<ShellContext>(folder, [this] { return today; }, settings);
        context->endProcess = [this](int code) { exitCodes.push_back(code); };
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
        for (const QChar ch : line) {
            // Qt's test keys are ASCII only; other letters go as key text.
            const auto key = static_cast<Qt::Key>(ch.toUpper().unicode());
            QTest::sendKeyEvent(QTest::Click, &window->CommandLine(), key, QString(ch), Qt::NoModifier);
        }
        QTest::keyClick(&window->CommandLine(), Qt::Key_Return);
    }

    void Store(const char* date, const char* time, const char* name) {
        ASSERT_TRUE(AppendAppointment(folder, date, time, "600111222", name, "Asunto").Stored());
    }

    void WriteText(const std::filesystem::path& file, const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
    }

    std::string ReadText(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    QString Cell(int column, int row) { return window->State().tableGrid->At(column, row).text; }
    QImage AreaImage() { return window->AppointmentsArea().RetainedPicture().image.copy().convertToFormat(QImage::Format_RGB32); }
    QImage PanelImage() { return window->CalendarPanel().RetainedPicture().image.copy().convertToFormat(QImage::Format_RGB32); }

    static bool RegionHas(const QImage& image, const QRect& region, QRgb colour) {
        for (int y = region.top(); y <= region.bottom(); ++y)
            for (int x = region.left(); x <= region.right(); ++x)
                if (image.pixel(x, y) == colour) return true;
        return false;
    }

    // Where the middle block of the strip draws a day of the shown month.
    static QRect MiddleBlockDay(int year, int month, int day) {
        const int first = DayOfWeek(year, month, 1) - 1 + (day - 1);
        return {506 + (first % 7) * 20, 86 + (first / 7) * 18, 18, 16};
    }

    std::filesystem::path folder;
    SettingsStore settings;
    CalendarDate today{2026, 12, 31};
    std::vector<int> exitCodes;
    std::function<void(int)> onFillStep;
    std::unique_ptr<ShellContext> context;
    std::unique_ptr<MainWindow> window;

private:
    QTemporaryDir dir_;
};

}  // namespace quimbaro::testing
