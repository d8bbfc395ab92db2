#include "gui/shell_fixture.h"

namespace quimbaro::testing {
namespace {

std::vector<std::string> FolderListing(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string() + ":" +
                        std::to_string(entry.is_regular_file() ? entry.file_size() : 0));
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(ShellTest, WindowFrameAndControls) {
    MainWindow& w = Open();
    EXPECT_EQ(w.windowTitle(), "Quimbaro");
    EXPECT_EQ(w.size(), QSize(1160, 955));
    EXPECT_EQ(w.minimumSize(), QSize(1160, 955));
    EXPECT_EQ(w.maximumSize(), QSize(1160, 955));
    EXPECT_EQ(w.pos(), QPoint(96, 13));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(w.palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_TRUE(w.autoFillBackground());
    const QImage icon(":/quimbaro.png");
    EXPECT_EQ(icon.size(), QSize(128, 128));
    EXPECT_EQ(icon.depth(), 32);
    EXPECT_FALSE(w.windowIcon().isNull());

    std::vector<QWidget*> children;
    for (QObject* child : w.children())
        if (auto* widget = qobject_cast<QWidget*>(child)) children.push_back(widget);
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(children[0], &w.CalendarPanel());
    EXPECT_EQ(children[1], &w.AppointmentsArea());
    EXPECT_EQ(children[2], &w.CommandLine());
    EXPECT_EQ(w.CalendarPanel().Id(), 1001);
    EXPECT_EQ(w.AppointmentsArea().Id(), 1002);
    EXPECT_EQ(w.CommandLine().Id(), 1003);
    EXPECT_EQ(w.CalendarPanel().geometry(), QRect(0, 0, 1160, 233));
    EXPECT_EQ(w.AppointmentsArea().geometry(), QRect(0, 232, 1160, 704));
    EXPECT_EQ(w.CommandLine().geometry(), QRect(0, 936, 1160, 21));
    EXPECT_EQ(w.CalendarPanel().focusPolicy(), Qt::ClickFocus);
    EXPECT_EQ(w.AppointmentsArea().focusPolicy(), Qt::ClickFocus);
}

TEST_F(ShellTest, CommandLineLook) {
    MainWindow& w = Open();
    CommandLineEdit& entry = w.CommandLine();
    EXPECT_FALSE(entry.hasFrame());
    EXPECT_EQ(entry.font().family(), "MS Sans Serif");
    EXPECT_EQ(entry.font().pixelSize(), 13);
    EXPECT_TRUE(entry.font().bold());
    EXPECT_EQ(entry.palette().color(QPalette::Text), QColor(Qt::white));
    EXPECT_EQ(entry.palette().color(QPalette::Base), QColor(Qt::black));
    EXPECT_EQ(w.focusWidget(), &entry);
    entry.setText(QString(100000, 'a'));
    EXPECT_EQ(entry.text().size(), 100000);
    QTest::keyClick(&entry, Qt::Key_Return);  // animated, then dropped: no command
    EXPECT_EQ(entry.text(), "");
    // The entry paints itself black where it has no text.
    EXPECT_EQ(w.grab().toImage().pixel(1150, 950), QColor(Qt::black).rgb());
}

TEST_F(ShellTest, StartupShowsTodaysAppointmentsSorted) {
    today = {2026, 3, 15};
    Store("15/03/2026", "10:00", "Carlos");
    Store("16/03/2026", "07:00", "Otro dia");
    Store("15/03/2026", "08:15", "Ana");
    Store("15/03/2026", "09:30", "Bea");
    Open();
    EXPECT_EQ(Cell(0, 1), "08:15");
    EXPECT_EQ(Cell(2, 1), "Ana");
    EXPECT_EQ(Cell(2, 2), "Bea");
    EXPECT_EQ(Cell(2, 3), "Carlos");
    EXPECT_EQ(Cell(2, 4), "");
    const QImage area = AreaImage();
    EXPECT_EQ(area.pixel(6, 4), kGold);                  // header interior
    EXPECT_EQ(area.pixel(4, 26), QColor(192, 192, 192).rgb());  // row 1 outline
    EXPECT_EQ(area.pixel(5, 46), QColor(Qt::white).rgb());      // row 1 interior
    EXPECT_EQ(area.pixel(3, 26), QColor(Qt::black).rgb());      // margin
    EXPECT_TRUE(RegionHas(PanelImage(), MiddleBlockDay(2026, 3, 15), kGold));
}

TEST_F(ShellTest, HeaderColourComesFromTheSettingsFile) {
    WriteText(settings.file, "[Colores]\nmean=16711680\n");  // blue
    Open();
    EXPECT_EQ(AreaImage().pixel(6, 4), QColor(0, 0, 255).rgb());
    EXPECT_TRUE(RegionHas(PanelImage(), MiddleBlockDay(2026, 12, 31), QColor(0, 0, 255).rgb()));
}

TEST_F(ShellTest, EscapeKeepsTheWindowAndClosingWritesNothing) {
    MainWindow& w = Open();
    const auto before = FolderListing(folder);
    EXPECT_EQ(before, std::vector<std::string>{"2026.log:0"});  // made by loading today
    QTest::keyClick(&w.CommandLine(), Qt::Key_Escape);
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(FolderListing(folder), before);
    EXPECT_TRUE(exitCodes.empty());
}

TEST_F(ShellTest, EnterAndTabOnTheAppointmentsAreaStayThere) {
    MainWindow& w = Open();
    int steps = 0;
    onFillStep = [&](int) { ++steps; };
    QTest::keyClicks(&w.CommandLine(), "hoy");
    QTest::mouseClick(&w.AppointmentsArea(), Qt::LeftButton);
    ASSERT_EQ(w.focusWidget(), &w.AppointmentsArea());
    QTest::keyClick(&w.AppointmentsArea(), Qt::Key_Return);
    QTest::keyClick(&w.AppointmentsArea(), Qt::Key_Tab);
    EXPECT_EQ(w.focusWidget(), &w.AppointmentsArea());
    EXPECT_EQ(w.CommandLine().text(), "hoy");
    EXPECT_EQ(steps, 0);
    QTest::mouseClick(&w.CommandLine(), Qt::LeftButton);
    EXPECT_EQ(w.focusWidget(), &w.CommandLine());
}

TEST_F(ShellTest, FocusComesBackOnceAfterActivation) {
    MainWindow& w = Open();
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&w);
    QTest::mouseClick(&w.AppointmentsArea(), Qt::LeftButton);
    QApplication::setActiveWindow(&other);
    EXPECT_FALSE(w.isActiveWindow());
    w.CommandLine().setFocus();  // moved while away: activation gives back the area
    QApplication::setActiveWindow(&w);
    EXPECT_EQ(w.focusWidget(), &w.AppointmentsArea());
    // A second activation without a deactivation gives nothing back.
    w.CommandLine().setFocus();
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(&w, &activation);
    EXPECT_EQ(w.focusWidget(), &w.CommandLine());
}

}  // namespace
}  // namespace quimbaro::testing
