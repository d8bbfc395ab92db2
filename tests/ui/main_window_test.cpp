#include "ui/shell_fixture.h"

namespace quimbaro::testing {
namespace {

TEST_F(ShellTest, WindowFrameControlsAndEntry) {
    MainWindow& w = Open();
    EXPECT_EQ(w.windowTitle(), "Quimbaro");
    EXPECT_EQ(QRect(w.pos(), w.size()), QRect(96, 13, 1160, 955));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(At(Grab(w), 1150, 950), 0u);  // black, the entry too where it has no text
    const QImage icon(":/quimbaro.png");
    EXPECT_EQ(std::make_pair(icon.size(), icon.depth()), std::make_pair(QSize(128, 128), 32));
    EXPECT_FALSE(w.windowIcon().isNull());

    QWidget* const controls[] = {&w.CalendarPanel(), &w.AppointmentsArea(), &w.CommandLine()};
    EXPECT_EQ(w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly),
              QList<QWidget*>(std::begin(controls), std::end(controls)));  // made in this order
    const QRect geometries[] = {{0, 0, 1160, 233}, {0, 232, 1160, 704}, {0, 936, 1160, 21}};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(controls[i]->geometry(), geometries[i]) << i;
    EXPECT_EQ(w.CalendarPanel().focusPolicy(), Qt::ClickFocus);
    EXPECT_EQ(w.AppointmentsArea().focusPolicy(), Qt::ClickFocus);
    EXPECT_EQ(QList<int>({w.CalendarPanel().Id(), w.AppointmentsArea().Id(), w.CommandLine().Id()}),
              QList<int>({1001, 1002, 1003}));

    CommandLineEdit& entry = w.CommandLine();
    EXPECT_FALSE(entry.hasFrame());
    EXPECT_EQ(entry.font().family(), "MS Sans Serif");
    EXPECT_EQ(entry.font().pixelSize(), 13);
    EXPECT_TRUE(entry.font().bold());
    EXPECT_EQ(entry.palette().color(QPalette::Text), QColor(Qt::white));
    EXPECT_EQ(w.focusWidget(), &entry);
    entry.setText(QString(100000, 'a'));
    QTest::keyClick(&entry, Qt::Key_Return);  // animated, then dropped
    EXPECT_EQ(entry.text(), "");
}

TEST_F(ShellTest, StartUpShowsTodaysAppointmentsSortedInTheColourOfTheIni) {
    today = {2026, 3, 15};
    Store("15/03/2026", "10:00", "Carlos");
    Store("16/03/2026", "07:00", "Otro dia");
    Store("15/03/2026", "08:15", "Ana");
    Store("15/03/2026", "09:30", "Bea");
    std::ofstream(settings.file) << "[Colores]\nmean=16711680\n";  // blue
    Open();
    EXPECT_EQ(Cell(0, 1), "08:15");
    EXPECT_EQ(QStringList({Cell(2, 1), Cell(2, 2), Cell(2, 3), Cell(2, 4)}),
              QStringList({"Ana", "Bea", "Carlos", ""}));
    const QImage area = AreaImage();
    EXPECT_EQ(At(area, 6, 4), 0x0000FFu);    // header interior
    EXPECT_EQ(At(area, 4, 26), 0xC0C0C0u);   // row 1 outline
    EXPECT_EQ(At(area, 5, 46), 0xFFFFFFu);   // row 1 interior
    EXPECT_EQ(At(area, 3, 26), 0u);          // margin
    EXPECT_TRUE(Marked(2026, 3, 15, 0x0000FF));
}

TEST_F(ShellTest, EscapeKeepsTheWindowAndClosingWritesNothing) {
    MainWindow& w = Open();
    const auto listing = [this] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string() + ":" + std::to_string(entry.file_size()));
        return names;
    };
    EXPECT_EQ(listing(), std::vector<std::string>{"2026.log:0"});  // made by loading today
    QTest::keyClick(&w.CommandLine(), Qt::Key_Escape);
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(listing(), std::vector<std::string>{"2026.log:0"});
    EXPECT_TRUE(exitCodes.empty());
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
    QTest::mouseClick(&w.AppointmentsArea(), Qt::LeftButton);
    QTest::mouseClick(&w.CommandLine(), Qt::LeftButton);
    EXPECT_EQ(w.focusWidget(), &w.CommandLine());
}

}  // namespace
}  // namespace quimbaro::testing
