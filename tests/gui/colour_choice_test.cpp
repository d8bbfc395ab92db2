// The colour dialog driven from inside its own modal loop.
#include <QApplication>
#include <QColorDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

#include "settings/colour_choice.h"

namespace quimbaro {
namespace {

constexpr int32_t kRed = 255;

// Runs the action on the dialog once it is open; the dialog is the main
// window's child, so it is found even without a notion of the active window.
void WhenDialogOpens(QWidget& mainWindow, std::function<void(QColorDialog&)> action) {
    QTimer::singleShot(10, &mainWindow, [&mainWindow, action] {
        auto* dialog = mainWindow.findChild<QColorDialog*>();
        if (dialog == nullptr || !dialog->isVisible()) {
            WhenDialogOpens(mainWindow, action);
            return;
        }
        action(*dialog);
    });
}

class ColourChoiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        store.file = std::filesystem::path(folder.path().toStdString()) / kSettingsFileName;
        store.userColour = kRed;
        store.sortOrder = 1;
        mainWindow.setGeometry(120, 80, 500, 400);
        mainWindow.show();
    }

    int32_t ColourInFile() const {
        SettingsStore read;
        read.file = store.file;
        Settings("get", read);
        return read.userColour;
    }

    QTemporaryDir folder;
    SettingsStore store;
    QWidget mainWindow;
    CustomColours customColours = InitialCustomColours();
};

TEST_F(ColourChoiceTest, OkWithBlackStoresZeroAndSaves) {
    QPoint dialogCorner;
    QColor startColour;
    WhenDialogOpens(mainWindow, [&](QColorDialog& dialog) {
        dialogCorner = dialog.frameGeometry().topLeft();
        startColour = dialog.currentColor();
        dialog.setCurrentColor(QColor(0, 0, 0));
        dialog.accept();
    });
    EXPECT_EQ(ChooseUserColour(mainWindow, customColours, store), ColourChoice::kSaved);
    EXPECT_EQ(dialogCorner, mainWindow.frameGeometry().topLeft() + QPoint(30, 30));
    EXPECT_EQ(startColour, QColor(128, 128, 128));
    EXPECT_EQ(store.userColour, 0);
    ASSERT_TRUE(std::filesystem::exists(store.file));
    EXPECT_EQ(ColourInFile(), 0);
}

TEST_F(ColourChoiceTest, OkStoresRedPlusGreenPlusBlue) {
    WhenDialogOpens(mainWindow, [](QColorDialog& dialog) {
        dialog.setCurrentColor(QColor(0, 0, 255));
        dialog.accept();
    });
    EXPECT_EQ(ChooseUserColour(mainWindow, customColours, store), ColourChoice::kSaved);
    EXPECT_EQ(store.userColour, 16711680);
    EXPECT_EQ(ColourInFile(), 16711680);
}

TEST_F(ColourChoiceTest, CancelOrCloseChangesNothing) {
    WhenDialogOpens(mainWindow, [](QColorDialog& dialog) {
        dialog.setCurrentColor(QColor(0, 0, 255));
        dialog.reject();
    });
    EXPECT_EQ(ChooseUserColour(mainWindow, customColours, store), ColourChoice::kNone);
    WhenDialogOpens(mainWindow, [](QColorDialog& dialog) {
        dialog.setCurrentColor(QColor(0, 255, 0));
        dialog.close();
    });
    EXPECT_EQ(ChooseUserColour(mainWindow, customColours, store), ColourChoice::kNone);
    EXPECT_EQ(store.userColour, kRed);
    EXPECT_FALSE(std::filesystem::exists(store.file));
}

TEST_F(ColourChoiceTest, CustomColoursLastForTheRunOnly) {
    const QColor custom(10, 20, 30);
    WhenDialogOpens(mainWindow, [&](QColorDialog& dialog) {
        dialog.setCurrentColor(custom);
        QPushButton* add = nullptr;
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
            if (button->text().contains("Custom")) add = button;
        }
        EXPECT_NE(add, nullptr);
        if (add != nullptr) add->click();
        dialog.reject();
    });
    ChooseUserColour(mainWindow, customColours, store);
    EXPECT_EQ(customColours[0], custom);

    QColor offered;
    WhenDialogOpens(mainWindow, [&](QColorDialog& dialog) {
        offered = QColorDialog::customColor(0);
        EXPECT_EQ(dialog.currentColor(), QColor(128, 128, 128));
        dialog.reject();
    });
    ChooseUserColour(mainWindow, customColours, store);
    EXPECT_EQ(offered, custom);

    // A new run starts from a fresh table: black again.
    CustomColours restarted = InitialCustomColours();
    WhenDialogOpens(mainWindow, [&](QColorDialog& dialog) {
        offered = QColorDialog::customColor(0);
        dialog.reject();
    });
    ChooseUserColour(mainWindow, restarted, store);
    EXPECT_EQ(offered, QColor(0, 0, 0));
}

}  // namespace
}  // namespace quimbaro
