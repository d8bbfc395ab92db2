#include <QPainter>

#include "window/scroll_appointments.h"
#include "ui/shell_fixture.h"

namespace quimbaro::testing {
namespace {

TEST(StepScrollOffset, BoundsAreTestedBeforeTheStep) {
    struct Case { int32_t from; Qt::Key key; bool acts; int32_t to; };
    for (const Case c : {Case{0, Qt::Key_Up, false, 0}, {0, Qt::Key_PageUp, false, 0},
                         {0, Qt::Key_A, false, 0}, {0, Qt::Key_Down, true, -10},
                         {-810, Qt::Key_PageDown, true, -910},
                         {-910, Qt::Key_Down, false, -910}, {-900, Qt::Key_PageDown, false, -900},
                         {-910, Qt::Key_Home, true, 0},
                         {-10, Qt::Key_PageUp, true, 90}, {90, Qt::Key_End, true, -900},
                         {-900, Qt::Key_Up, true, -890}}) {
        int32_t offset = c.from;
        EXPECT_EQ(StepScrollOffset(c.key, offset), c.acts) << c.from << " " << c.key;
        EXPECT_EQ(offset, c.to) << c.from << " " << c.key;
    }
}

class ScrollTest : public ShellTest {
protected:
    void Press(Qt::Key key, int times = 1) {
        for (int i = 0; i < times; ++i) QTest::keyClick(&window->AppointmentsArea(), key);
    }
    // What the area shows of the canvas at the offset.
    ::testing::AssertionResult ShowsCanvasAt(int offset) {
        QImage shown(1160, 704, QImage::Format_RGB32);
        shown.fill(Qt::black);
        QPainter(&shown).drawImage(0, offset, window->State().canvasImage->image);
        return SameImage(AreaImage(), shown);
    }
};

// A full day, then an empty one shown after scrolling: it must look exactly as
// it does unscrolled, and its first scroll must show it, not the full day.
TEST_F(ScrollTest, KeysScrollTheWholeDayAndADayChangeLeavesNothingOfIt) {
    for (int r = 1; r <= 29; ++r)
        Store("31/12/2026", qPrintable(QString::asprintf("%02d:00", r)), "Nombre");
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
    Press(Qt::Key_PageDown);
    EXPECT_TRUE(ShowsCanvasAt(-100));
    EXPECT_EQ(At(AreaImage(), 4, 24 * 29 + 2 - 100), 0xC0C0C0u);  // row 29's outline
    Press(Qt::Key_Down);
    Press(Qt::Key_PageDown, 8);
    EXPECT_EQ(offset, -910);
    EXPECT_TRUE(ShowsCanvasAt(-910));
    Press(Qt::Key_End);
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
