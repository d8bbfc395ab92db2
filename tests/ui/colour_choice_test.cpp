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
        mainWindow.setGeometry(120, 80, 500, 400);
        mainWindow.show();
    }

    QTemporaryDir folder;
    SettingsStore store;
    QWidget mainWindow;
    CustomColours customColours = InitialCustomColours();
};

// Black is a colour like any other: OK stores 0 and saves it; Cancel and
// closing change nothing, not even the file.
TEST_F(ColourChoiceTest, OkStoresAndSavesTheChoiceCancelAndCloseChangeNothing) {
    WhenDialogOpens(mainWindow, [&](QColorDialog& dialog) {
        dialog.setCurrentColor(QColor(0, 0, 0));
        dialog.accept();
    });
    EXPECT_EQ(ChooseUserColour(mainWindow, customColours, store), ColourChoice::kSaved);
    SettingsStore read{store.file};
    Settings("get", read);
    EXPECT_EQ(std::make_pair(store.userColour, read.userColour), std::make_pair(0, 0));
    std::filesystem::remove(store.file);
    store.userColour = 255;
    using Leave = void (*)(QColorDialog&);
    for (const Leave leave : {Leave([](QColorDialog& d) { d.reject(); }), Leave([](QColorDialog& d) { d.close(); })}) {
        WhenDialogOpens(mainWindow, [&](QColorDialog& dialog) {
            dialog.setCurrentColor(QColor(0, 0, 255));
            leave(dialog);
        });
        EXPECT_EQ(ChooseUserColour(mainWindow, customColours, store), ColourChoice::kNone);
        EXPECT_EQ(store.userColour, 255);
        EXPECT_FALSE(std::filesystem::exists(store.file));
    }
}

// Custom colours made in one use of the dialog are offered in the next, for
// this run only: a new run starts from black.
TEST_F(ColourChoiceTest, CustomColoursLastForTheRun) {
    const QColor custom(10, 20, 30);
    WhenDialogOpens(mainWindow, [&](QColorDialog& dialog) {
        dialog.setCurrentColor(custom);
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            if (button->text().contains("Custom")) button->click();
        dialog.reject();
    });
    ChooseUserColour(mainWindow, customColours, store);
    EXPECT_EQ(customColours[0], custom);
    QColor offered;
    const auto look = [&](QColorDialog& dialog) {
        offered = QColorDialog::customColor(0);
        dialog.reject();
    };
    WhenDialogOpens(mainWindow, look);
    ChooseUserColour(mainWindow, customColours, store);
    EXPECT_EQ(offered, custom);
    CustomColours restarted = InitialCustomColours();
    WhenDialogOpens(mainWindow, look);
    ChooseUserColour(mainWindow, restarted, store);
    EXPECT_EQ(offered, QColor(0, 0, 0));
}

}  // namespace
}  // namespace quimbaro
