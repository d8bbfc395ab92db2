// The colour dialog's place as a window manager frames it: outer corner to
// outer corner 30 pixels right and 30 below the main window's. Run by
// with_window_manager.sh on a display of its own.
#include <QApplication>
#include <QColorDialog>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "dialogs/colour_choice.h"

namespace quimbaro {
namespace {

// True once the window manager has framed the window and it has stayed put
// for a while.
bool Framed(QWidget& window) {
    QRect last;
    int still = 0;
    return QTest::qWaitFor([&] {
        const QRect now = window.frameGeometry();
        still = window.isVisible() && now != window.geometry() && now == last ? still + 1 : 0;
        last = now;
        return still >= 20;
    }, 60000);
}

TEST(ColourDialogUnderWindowManager, OuterCornerIs30RightAnd30BelowTheMainWindows) {
    QWidget mainWindow;
    mainWindow.setGeometry(200, 150, 700, 500);
    mainWindow.show();
    ASSERT_TRUE(Framed(mainWindow)) << "the window manager gave the main window no frame";

    QPoint dialogCorner;
    QTimer::singleShot(10, &mainWindow, [&] {
        auto* dialog = mainWindow.findChild<QColorDialog*>();
        ASSERT_NE(dialog, nullptr);
        if (Framed(*dialog)) dialogCorner = dialog->frameGeometry().topLeft();
        dialog->reject();
    });
    CustomColours custom = InitialCustomColours();
    SettingsStore store{.file = "unused.ini"};
    ChooseUserColour(mainWindow, custom, store);

    EXPECT_EQ(dialogCorner - mainWindow.frameGeometry().topLeft(), QPoint(30, 30));
}

}  // namespace
}  // namespace quimbaro

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
