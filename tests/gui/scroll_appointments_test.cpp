#include "app/scroll_appointments.h"
#include "gui/shell_fixture.h"

namespace quimbaro::testing {
namespace {

TEST(StepScrollOffset, BoundsAreTestedBeforeTheStep) {
    int32_t offset = 0;
    EXPECT_FALSE(StepScrollOffset(Qt::Key_Up, offset));
    EXPECT_FALSE(StepScrollOffset(Qt::Key_PageUp, offset));
    EXPECT_FALSE(StepScrollOffset(Qt::Key_A, offset));
    EXPECT_EQ(offset, 0);
    EXPECT_TRUE(StepScrollOffset(Qt::Key_Down, offset));
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(StepScrollOffset(Qt::Key_PageDown, offset));
    EXPECT_EQ(offset, -810);
    EXPECT_TRUE(StepScrollOffset(Qt::Key_PageDown, offset));
    EXPECT_EQ(offset, -910);
    EXPECT_FALSE(StepScrollOffset(Qt::Key_Down, offset));
    EXPECT_TRUE(StepScrollOffset(Qt::Key_Home, offset));
    EXPECT_EQ(offset, 0);
    for (int i = 0; i < 9; ++i) StepScrollOffset(Qt::Key_PageDown, offset);
    EXPECT_EQ(offset, -900);
    EXPECT_FALSE(StepScrollOffset(Qt::Key_PageDown, offset));
    EXPECT_EQ(offset, -900);
    offset = -10;
    EXPECT_TRUE(StepScrollOffset(Qt::Key_PageUp, offset));
    EXPECT_EQ(offset, 90);
    EXPECT_TRUE(StepScrollOffset(Qt::Key_End, offset));
    EXPECT_EQ(offset, -900);
    EXPECT_TRUE(StepScrollOffset(Qt::Key_Up, offset));
    EXPECT_EQ(offset, -890);
}

class ScrollTest : public ShellTest {
protected:
    void Press(Qt::Key key, int times = 1) {
        for (int i = 0; i < times; ++i) QTest::keyClick(&window->AppointmentsArea(), key);
    }
    QImage CanvasAt(int offset) {
        QImage shown(1160, 704, QImage::Format_RGB32);
        shown.fill(Qt::black);
        const QImage canvas = window->State().canvasImage->image.copy().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < 704; ++y)
            if (y - offset >= 0 && y - offset < canvas.height())
                std::copy_n(reinterpret_cast<const QRgb*>(canvas.constScanLine(y - offset)), 1160,
                            reinterpret_cast<QRgb*>(shown.scanLine(y)));
        return shown;
    }
};

TEST_F(ScrollTest, KeysScrollTheWholeDayAndRevealRow29) {
    for (int r = 1; r <= 29; ++r) {
        const std::string time = QString::asprintf("%02d:00", r).toStdString();
        Store("31/12/2026", time.c_str(), "Nombre");
    }
    Open();
    QTest::mouseClick(&window->AppointmentsArea(), Qt::LeftButton);
    int32_t& offset = window->State().scrollOffset;

    window->AppointmentsArea().RetainedPicture().image.setPixel(700, 700, 0xFFFF0000);
    Press(Qt::Key_Up);  // at the top: nothing is drawn
    EXPECT_EQ(AreaImage().pixel(700, 700), 0xFFFF0000);
    Press(Qt::Key_Home);  // always redraws
    EXPECT_EQ(offset, 0);
    EXPECT_EQ(AreaImage(), CanvasAt(0));

    Press(Qt::Key_PageDown);
    EXPECT_EQ(offset, -100);
    EXPECT_EQ(AreaImage(), CanvasAt(-100));
    EXPECT_EQ(Cell(0, 29), "29:00");
    EXPECT_EQ(AreaImage().pixel(4, 24 * 29 + 2 - 100), QColor(192, 192, 192).rgb());
    EXPECT_EQ(AreaImage().pixel(5, 24 * 29 + 22 - 100), QColor(Qt::white).rgb());

    Press(Qt::Key_Home);
    Press(Qt::Key_Down);
    Press(Qt::Key_PageDown, 9);
    EXPECT_EQ(offset, -910);
    EXPECT_EQ(AreaImage(), CanvasAt(-910));
    Press(Qt::Key_End);
    EXPECT_EQ(offset, -900);
    EXPECT_EQ(AreaImage(), CanvasAt(-900));

    // A day change paints the table at the top and keeps the offset.
    QTest::mouseClick(&window->CommandLine(), Qt::LeftButton);
    Type("hoy");
    EXPECT_EQ(offset, -900);
    EXPECT_EQ(AreaImage().pixel(6, 4), kGold);
    Press(Qt::Key_Up);
    EXPECT_EQ(offset, -890);
    EXPECT_EQ(AreaImage(), CanvasAt(-890));
}

}  // namespace
}  // namespace quimbaro::testing
