// The colour dialog driven from inside its own modal loop.
#include <QColorDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include "dialogs/colour_choice.h"

namespace quimbaro {
namespace {

// Runs the action on the dialog once it is open; the dialog is the main
// window's child, so it is found even without a notion of the active window.
void WhenDialogOpens(QWidget& mainWindow, std::function<void(QColorDialog&)> action) {
    QTimer::singleShot(10, &mainWindow, [&mainWindow, action] {
        auto* dialog = mainWindow.findChild<QColorDialog*>();
        if (dialog == nullptr || !dialog->isVisible()) return WhenDialogOpens(mainWindow, action);
        action(*dialog);
    });
}

class ColourChoiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        store.file = std::filesystem::path(folder.path().toStdString()) / kSettingsFileName;
        store.userColour = 255;
        mainWindow.show();
    }

    QTemporaryDir folder;
    SettingsStore store;
    QWidget mainWindow;
    CustomColours customColours = InitialCustomColours();
};

// Every dialog here is left by Cancel or by closing it: nothing may change but
// the custom colours, which are offered again for the rest of the run only.
TEST_F(ColourChoiceTest, CancelAndCloseChangeNothingCustomColoursLastForTheRun) {
    const QColor custom(10, 20, 30);
    WhenDialogOpens(mainWindow, [&](QColorDialog& dialog) {
        dialog.setCurrentColor(custom);
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            if (button->text().contains("Custom")) button->click();
        dialog.reject();
    });
    EXPECT_EQ(ChooseUserColour(mainWindow, customColours, store), ColourChoice::kNone);
    EXPECT_EQ(customColours[0], custom);
    QColor offered;
    const auto look = [&](QColorDialog& dialog) {
        offered = QColorDialog::customColor(0);
        dialog.setCurrentColor(QColor(0, 0, 255));
        dialog.close();
    };
    WhenDialogOpens(mainWindow, look);
    EXPECT_EQ(ChooseUserColour(mainWindow, customColours, store), ColourChoice::kNone);
    EXPECT_EQ(offered, custom);
    CustomColours restarted = InitialCustomColours();  // a new run starts from black
    WhenDialogOpens(mainWindow, look);
    ChooseUserColour(mainWindow, restarted, store);
    EXPECT_EQ(offered, QColor(0, 0, 0));
    EXPECT_EQ(store.userColour, 255);
    EXPECT_FALSE(std::filesystem::exists(store.file));
}

}  // namespace
}  // namespace quimbaro
