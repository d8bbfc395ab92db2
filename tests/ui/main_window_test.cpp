#include "ui/shell_fixture.h"

namespace quimbaro::testing {
namespace {

// Today's appointments, sorted, in the colour of the INI, are what the window
// shows at start-up: panel above, table below, the empty entry black.
TEST_F(ShellTest, StartUpShowsTodaysAppointmentsSortedInTheColourOfTheIni) {
    today = {2026, 3, 15};
    Store("15/03/2026", "10:00", "Carlos");
    Store("16/03/2026", "07:00", "Otro dia");
    Store("15/03/2026", "08:15", "Ana");
    Store("15/03/2026", "09:30", "Bea");
    std::ofstream(settings.file) << "[Colores]\nmean=16711680\n";  // blue
    MainWindow& w = Open();
    EXPECT_EQ(w.windowTitle(), "Quimbaro");
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(w.windowIcon().isNull());
    EXPECT_EQ(w.focusWidget(), &w.CommandLine());
    EXPECT_EQ(QStringList({Cell(0, 1), Cell(2, 1), Cell(2, 2), Cell(2, 3), Cell(2, 4)}),
              QStringList({"08:15", "Ana", "Bea", "Carlos", ""}));
    const QImage area = AreaImage(), shown = Grab(w);
    EXPECT_EQ(At(area, 6, 4), 0x0000FFu);    // header interior
    EXPECT_EQ(At(area, 4, 26), 0xC0C0C0u);   // row 1 outline
    EXPECT_EQ(At(area, 5, 46), 0xFFFFFFu);   // row 1 interior
    EXPECT_TRUE(Marked(2026, 3, 15, 0x0000FF));
    EXPECT_TRUE(SameImage(shown.copy(0, 0, 1160, 232), PanelImage().copy(0, 0, 1160, 232)));
    EXPECT_TRUE(SameImage(shown.copy(0, 232, 1160, 704), area));
    EXPECT_EQ(CountOther(shown, {10, 936, 1150, 19}, 0), 0);  // right of the cursor
}

TEST_F(ShellTest, FocusStaysOnTheAreaAndComesBackAfterActivation) {
    MainWindow& w = Open();
    int steps = 0;
    onFillStep = [&](int) { ++steps; };
    QTest::keyClicks(&w.CommandLine(), "hoy");
    QTest::mouseClick(&w.AppointmentsArea(), Qt::LeftButton);
    ASSERT_EQ(w.focusWidget(), &w.AppointmentsArea());
    QTest::keyClick(&w.AppointmentsArea(), Qt::Key_Return);  // Enter off the entry does nothing
    QTest::keyClick(&w.AppointmentsArea(), Qt::Key_Tab);
    EXPECT_EQ(w.focusWidget(), &w.AppointmentsArea());
    EXPECT_EQ(w.CommandLine().text(), "hoy");
    EXPECT_EQ(steps, 0);

    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    EXPECT_FALSE(w.isActiveWindow());
    w.CommandLine().setFocus();  // moved while away: activation gives back the area
    QApplication::setActiveWindow(&w);
    EXPECT_EQ(w.focusWidget(), &w.AppointmentsArea());
    w.CommandLine().setFocus();  // a second activation without a deactivation gives nothing back
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(&w, &activation);
    EXPECT_EQ(w.focusWidget(), &w.CommandLine());
}

}  // namespace
}  // namespace quimbaro::testing
