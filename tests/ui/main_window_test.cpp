// The window at start-up, around its activation and under the scroll keys.
#include <QPainter>

#include "ui/shell_fixture.h"

namespace quimbaro::testing {
namespace {

// Panel above, table below, the entry black; today's appointments sorted, in the INI's colour.
TEST_F(ShellTest, StartUpShowsTodaysAppointmentsSortedInTheColourOfTheIni) {
    today = {2026, 3, 15};
    Store({"15/03/2026 10:00 Carlos", "16/03/2026 07:00 Otro", "15/03/2026 08:15 Ana", "15/03/2026 09:30 Bea"});
    std::ofstream(settings.file) << "[Colores]\nmean=16711680\n";  // blue
    MainWindow& w = Open();
    EXPECT_EQ(w.focusWidget(), &w.CommandLine());
    EXPECT_EQ(QStringList({Cell(0, 1), Cell(1, 1), Cell(2, 1), Cell(2, 2), Cell(2, 3), Cell(2, 4)}),
              QStringList({"08:15", "600 11 12 22", "Ana", "Bea", "Carlos", ""}));
    const QImage area = AreaImage(), shown = Grab(w);
    EXPECT_EQ(QList<QRgb>({At(area, 6, 4), At(area, 4, 26), At(area, 5, 46)}),
              QList<QRgb>({0x0000FF, 0xC0C0C0, 0xFFFFFF}));  // header, row 1's outline and inside
    EXPECT_TRUE(Marked(2026, 3, 15, 0x0000FF));
    EXPECT_TRUE(SameImage(shown.copy(0, 0, 1160, 232), PanelImage().copy(0, 0, 1160, 232)));
    EXPECT_TRUE(SameImage(shown.copy(0, 232, 1160, 704), area));
    EXPECT_EQ(CountOther(shown, {10, 936, 1150, 19}, 0), 0);  // right of the cursor
}

// Tab and Enter belong to the area while it has the focus; an activation
// gives back the control focused when the window was left, once.
TEST_F(ShellTest, FocusStaysOnTheAreaAndComesBackAfterActivation) {
    MainWindow& w = Open();
    QTest::keyClicks(&w.CommandLine(), "hoy");
    w.AppointmentsArea().setFocus();
    QTest::keyClick(&w.AppointmentsArea(), Qt::Key_Return);
    QTest::keyClick(&w.AppointmentsArea(), Qt::Key_Tab);
    EXPECT_EQ(w.focusWidget(), &w.AppointmentsArea());
    EXPECT_EQ(w.CommandLine().text(), "hoy");  // not run

    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_FALSE(w.isActiveWindow());
    w.CommandLine().setFocus();  // moved while away
    QApplication::setActiveWindow(&w);
    EXPECT_EQ(w.focusWidget(), &w.AppointmentsArea());
    w.CommandLine().setFocus();
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(&w, &activation);
    EXPECT_EQ(w.focusWidget(), &w.CommandLine());
}


class ScrollTest : public ShellTest {
protected:
    void Press(Qt::Key key, int times = 1) {
        for (int i = 0; i < times; ++i) QTest::keyClick(&window->AppointmentsArea(), key);
    }
    // What the area shows of the canvas at the offset.
    ::testing::AssertionResult ShowsCanvasAt(int offset) {
        if (!window->State().canvasImage) return ::testing::AssertionFailure() << "no scroll has drawn";
        QImage shown(1160, 704, QImage::Format_RGB32);
        shown.fill(Qt::black);
        QPainter(&shown).drawImage(0, offset, window->State().canvasImage->image);
        return SameImage(AreaImage(), shown);
    }
};

// A full day, then an empty one shown after scrolling: it must look exactly as
// it does unscrolled, and its first scroll must show it, not the full day.
TEST_F(ScrollTest, KeysScrollTheWholeDayAndADayChangeLeavesNothingOfIt) {
    for (int r = 1; r <= 29; ++r) Store("31/12/2026", qPrintable(QString::asprintf("%02d:00", r)), "Nombre");
    Open();
    Type("ayer");
    const QImage emptyDay = AreaImage();
    Type("hoy");
    QTest::mouseClick(&window->AppointmentsArea(), Qt::LeftButton);
    int32_t& offset = window->State().scrollOffset;
    window->AppointmentsArea().RetainedPicture().image.setPixel(700, 700, 0xFFFF0000);
    Press(Qt::Key_Up);  // at the top: nothing is drawn
    EXPECT_EQ(At(AreaImage(), 700, 700), 0xFF0000u);
    Press(Qt::Key_Home);  // always redraws
    EXPECT_TRUE(ShowsCanvasAt(0));
    Press(Qt::Key_Down);
    Press(Qt::Key_PageUp);  // above the day: black
    EXPECT_TRUE(ShowsCanvasAt(90));
    Press(Qt::Key_Home);
    Press(Qt::Key_PageDown);
    EXPECT_TRUE(ShowsCanvasAt(-100));
    EXPECT_EQ(At(AreaImage(), 4, 24 * 29 + 2 - 100), 0xC0C0C0u);  // row 29's outline
    Press(Qt::Key_Down);
    Press(Qt::Key_PageDown, 8);
    EXPECT_EQ(offset, -910);
    EXPECT_TRUE(ShowsCanvasAt(-910));
    Press(Qt::Key_End);
    Press(Qt::Key_PageDown);  // the lowest offset, -900 or -910, is where a step down stops
    Press(Qt::Key_Up, 50);

    QTest::mouseClick(&window->CommandLine(), Qt::LeftButton);
    Type("ayer");  // painted at the top; the offset stays
    EXPECT_EQ(offset, -400);
    EXPECT_TRUE(SameImage(AreaImage(), emptyDay));
    QTest::mouseClick(&window->AppointmentsArea(), Qt::LeftButton);
    Press(Qt::Key_Home);
    Press(Qt::Key_PageDown);
    QImage expected = emptyDay.copy(0, 100, 1160, 704);  // and row 29, empty like row 28
    QPainter(&expected).drawImage(0, 24 * 29 + 2 - 100, emptyDay.copy(0, 24 * 28 + 2, 1160, 22));
    EXPECT_TRUE(SameImage(AreaImage(), expected));
}

}  // namespace
}  // namespace quimbaro::testing
