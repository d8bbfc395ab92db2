// Pixel-exact checks of the drawing surface and of graphic controls.
#include <QApplication>
#include <QLineEdit>
#include <QPalette>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "surface/graphic_control.h"
#include "surface/surface.h"

namespace quimbaro {
namespace {

constexpr Colour kWhite = Rgb(255, 255, 255);
constexpr Colour kBlack = Rgb(0, 0, 0);
constexpr Colour kRed = Rgb(255, 0, 0);
constexpr Colour kBlue = Rgb(0, 0, 255);

QRgb Pixel(const Picture& picture, int x, int y) { return picture.image.pixel(x, y); }
QRgb Rgb32(Colour colour) { return ToQColor(colour).rgb(); }

// Counts the pixels of a region that differ from a colour.
int PixelsOtherThan(const QImage& image, const QRect& region, QRgb colour) {
    int count = 0;
    const QRect inside = region & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) count += image.pixel(x, y) != colour;
    return count;
}

class SurfaceTest : public ::testing::Test {
protected:
    std::unique_ptr<Picture> Cleared(int width, int height, Colour colour) {
        auto picture = Surface::NewPicture(width, height);
        surface.SelectTarget(*picture);
        surface.SetColours(kSystemColour, colour);
        surface.ClearTarget(kSystemColour);
        return picture;
    }
    const Font* Tahoma() { return surface.NewFont("Tahoma", 9, kBold, 0); }

    Surface surface;
};

TEST_F(SurfaceTest, EqualFontDescriptionsGiveTheSameFont) {
    const Font* font = surface.NewFont("Tahoma", 9, kBold, 1);
    EXPECT_EQ(font, surface.NewFont("Tahoma", 9, kBold, 1));
    EXPECT_EQ(font, surface.NewFont("  Tahoma ", 9, kBold, 1));
    EXPECT_NE(font, surface.NewFont("Tahoma", 9, 0, 1));
    EXPECT_NE(font, surface.NewFont("Tahoma", 10, kBold, 1));
    EXPECT_NE(font, surface.NewFont("Tahoma", 9, kBold, 0));
    EXPECT_EQ(font->font.weight(), QFont::Bold);
    const Font* styled = surface.NewFont("Courier New", 19, kItalic | kUnderline | kStrikeOut, 0);
    EXPECT_TRUE(styled->font.italic() && styled->font.underline() && styled->font.strikeOut());
    EXPECT_EQ(styled->font.weight(), QFont::Normal);
}

TEST_F(SurfaceTest, EmHeightIsPointsAtTheResolutionHalvesToEven) {
    EXPECT_EQ(surface.EmHeight(9), 12);
    EXPECT_EQ(surface.EmHeight(10), 13);
    EXPECT_EQ(surface.EmHeight(19), 25);
    EXPECT_EQ(surface.EmHeight(90), 120);
    EXPECT_EQ(Surface(36).EmHeight(1), 0);  // exactly one half: to the even 0
    EXPECT_EQ(Surface(108).EmHeight(1), 2);  // 1.5: to the even 2
    EXPECT_EQ(surface.NewFont("Tahoma", 90, 0, 0)->font.pixelSize(), 120);
}

TEST_F(SurfaceTest, BoxCoversLeftTopEdgesAndOutlinesItsBorder) {
    auto forward = Cleared(30, 30, kWhite);
    surface.DrawBox(5, 8, 10, 20, kRed, kBlue);
    auto reversed = Cleared(30, 30, kWhite);
    surface.DrawBox(10, 20, 5, 8, kRed, kBlue);
    EXPECT_EQ(forward->image, reversed->image);

    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 30; ++x) {
            const bool inBox = x >= 5 && x <= 9 && y >= 8 && y <= 19;
            const bool border = inBox && (x == 5 || x == 9 || y == 8 || y == 19);
            const Colour expected = border ? kRed : inBox ? kBlue : kWhite;
            ASSERT_EQ(Pixel(*reversed, x, y), Rgb32(expected)) << x << "," << y;
        }
    }
}

TEST_F(SurfaceTest, WidePenIsCentredOnTheBorder) {
    auto picture = Cleared(30, 30, kWhite);
    surface.SetPenWidth(3);
    surface.DrawBox(10, 10, 20, 20, kRed, kBlue);
    // Pixels 9..20 are outline, 12..17 interior, the rest untouched.
    EXPECT_EQ(PixelsOtherThan(picture->image, QRect(12, 12, 6, 6), Rgb32(kBlue)), 0);
    EXPECT_EQ(PixelsOtherThan(picture->image, picture->image.rect(), Rgb32(kWhite)), 12 * 12);
    EXPECT_EQ(PixelsOtherThan(picture->image, QRect(9, 9, 12, 12), Rgb32(kRed)), 6 * 6);

    surface.ClearTarget(kWhite);
    surface.DrawBox(10, 10, 20, 20, kRed, kTransparent);  // a frame alone
    EXPECT_EQ(PixelsOtherThan(picture->image, QRect(9, 9, 12, 12), Rgb32(kRed)), 6 * 6);
    EXPECT_EQ(PixelsOtherThan(picture->image, picture->image.rect(), Rgb32(kWhite)), 12 * 12 - 6 * 6);
}

TEST_F(SurfaceTest, CopyPictureClipsAndAcceptsNegativeOffsets) {
    auto canvas = Surface::NewPicture(1160, 2000);
    for (int y = 0; y < 2000; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(canvas->image.scanLine(y));
        std::fill(row, row + 1160, qRgb(y % 256, y / 256, 7));
    }
    auto table = Cleared(1160, 704, kBlack);
    surface.CopyPicture(*canvas, 0, -10);
    for (int y = 0; y < 704; ++y) {
        ASSERT_EQ(Pixel(*table, 0, y), qRgb((y + 10) % 256, (y + 10) / 256, 7)) << y;
        ASSERT_EQ(Pixel(*table, 1159, y), qRgb((y + 10) % 256, (y + 10) / 256, 7)) << y;
    }

    auto small = Cleared(10, 10, kRed);
    surface.SelectTarget(*table);
    surface.CopyPicture(*small, 1155, -5);
    EXPECT_EQ(PixelsOtherThan(table->image, QRect(1155, 0, 5, 5), Rgb32(kRed)), 0);
    EXPECT_EQ(Pixel(*table, 1154, 0), qRgb(10, 0, 7));
    EXPECT_EQ(Pixel(*table, 1155, 5), qRgb(15, 0, 7));
}

TEST_F(SurfaceTest, CopyPictureOntoItselfShifts) {
    auto picture = Cleared(20, 20, kWhite);
    surface.DrawBox(0, 0, 10, 10, kRed, kRed);
    surface.CopyPicture(*picture, 5, 5);
    EXPECT_EQ(PixelsOtherThan(picture->image, QRect(0, 0, 15, 15), Rgb32(kRed)), 25 * 2);
    EXPECT_EQ(PixelsOtherThan(picture->image, picture->image.rect(), Rgb32(kWhite)), 15 * 15 - 50);
}

TEST_F(SurfaceTest, ClearTargetUsesBackgroundAndResetsPosition) {
    auto picture = Cleared(8, 8, kRed);
    surface.SetPosition(3, 4);
    surface.SetColours(kSystemColour, 0);
    surface.ClearTarget(kSystemColour);
    EXPECT_EQ(PixelsOtherThan(picture->image, picture->image.rect(), Rgb32(kBlack)), 0);
    EXPECT_EQ(surface.GetPosition(), QPoint(0, 0));

    surface.SetColours(kSystemColour, kSystemColour);
    surface.ClearTarget(kSystemColour);
    const QRgb face = QGuiApplication::palette().color(QPalette::Button).rgb();
    EXPECT_EQ(PixelsOtherThan(picture->image, picture->image.rect(), face), 0);
    surface.ClearTarget(kBlue);
    EXPECT_EQ(PixelsOtherThan(picture->image, picture->image.rect(), Rgb32(kBlue)), 0);
}

TEST_F(SurfaceTest, EachTargetKeepsItsOwnState) {
    auto first = Cleared(10, 10, kBlack);
    surface.SetPosition(1, 2);
    surface.SelectFont(Tahoma());
    auto second = Cleared(10, 10, kBlack);
    surface.SetPosition(5, 6);
    surface.SelectTarget(*first);
    EXPECT_EQ(surface.GetPosition(), QPoint(1, 2));
    EXPECT_EQ(first->state.font, Tahoma());
    EXPECT_EQ(second->state.font, nullptr);
    EXPECT_EQ(second->state.position, QPoint(5, 6));
}

TEST_F(SurfaceTest, EmptyLineOnlyMovesThePosition) {
    auto picture = Cleared(40, 40, kBlack);
    surface.SelectFont(Tahoma());
    surface.SetColours(kWhite, kBlue);
    surface.SetPosition(7, 3);
    surface.PrintLine("");
    EXPECT_EQ(PixelsOtherThan(picture->image, picture->image.rect(), Rgb32(kBlack)), 0);
    EXPECT_EQ(surface.GetPosition(), QPoint(0, 3 + Tahoma()->LineHeight()));
}

TEST_F(SurfaceTest, LineIsCutAtTheRightEdgeAndStaysInItsBand) {
    auto picture = Cleared(60, 60, kBlack);
    const Font* font = Tahoma();
    surface.SelectFont(font);
    surface.SetColours(kWhite, kTransparent);
    surface.SetPosition(10, 20);
    const QString text(40, u'W');
    ASSERT_GT(surface.TextSize(text).width(), 60);
    surface.PrintLine(text);

    const int band = font->LineHeight();
    const QRgb black = Rgb32(kBlack);
    EXPECT_GT(PixelsOtherThan(picture->image, QRect(50, 20, 10, band), black), 0);  // reaches the edge
    EXPECT_EQ(PixelsOtherThan(picture->image, QRect(0, 0, 60, 20), black), 0);
    EXPECT_EQ(PixelsOtherThan(picture->image, QRect(0, 20 + band, 60, 60), black), 0);  // no wrap
    EXPECT_EQ(PixelsOtherThan(picture->image, QRect(0, 0, 10, 60), black), 0);
    EXPECT_EQ(surface.GetPosition(), QPoint(0, 20 + band));
}

TEST_F(SurfaceTest, OpaqueBackgroundFillsTheTextCellTransparentDoesNot) {
    auto picture = Cleared(60, 40, kRed);
    const Font* font = Tahoma();
    surface.SelectFont(font);
    const QString spaces("   ");
    const QSize cell = surface.TextSize(spaces);
    ASSERT_EQ(cell.height(), font->height);

    surface.SetColours(kWhite, kBlue);
    surface.SetPosition(4, 5);
    surface.PrintLine(spaces);
    EXPECT_EQ(PixelsOtherThan(picture->image, QRect(QPoint(4, 5), cell), Rgb32(kBlue)), 0);
    EXPECT_EQ(PixelsOtherThan(picture->image, picture->image.rect(), Rgb32(kRed)),
              cell.width() * cell.height());

    surface.ClearTarget(kRed);
    surface.SetColours(kWhite, kTransparent);
    surface.SetPosition(4, 5);
    surface.PrintLine(spaces);
    EXPECT_EQ(PixelsOtherThan(picture->image, picture->image.rect(), Rgb32(kRed)), 0);
}

TEST_F(SurfaceTest, PositionsRoundHalvesToEvenAndCellsFollowTheFont) {
    auto picture = Cleared(10, 10, kBlack);
    surface.SetPosition(2.5, 3.5);
    EXPECT_EQ(surface.GetPosition(), QPoint(2, 4));
    surface.SetPosition(-2.5, 0.5);
    EXPECT_EQ(surface.GetPosition(), QPoint(-2, 0));
    surface.SetPosition(2.6, -3.4);
    EXPECT_EQ(surface.GetPosition(), QPoint(3, -3));

    const Font* font = surface.NewFont("Courier New", 19, kBold, 0);
    surface.SelectFont(font);
    surface.LocateCell(53, 4);
    EXPECT_EQ(surface.GetPosition(), QPoint(52 * font->averageCharWidth, 3 * font->LineHeight()));
}

TEST_F(SurfaceTest, SplitToWidthBreaksAtASpaceAndKeepsIt) {
    auto picture = Cleared(10, 10, kBlack);
    surface.SelectFont(Tahoma());
    const int four = surface.TextSize("ab c").width();
    ASSERT_GT(surface.TextSize("ab cd").width(), four);
    EXPECT_EQ(surface.SplitToWidth("ab cd", four), std::make_pair(QString("ab"), QString(" cd")));
    EXPECT_EQ(surface.SplitToWidth("abcdef", surface.TextSize("a").width()),
              std::make_pair(QString(), QString("abcdef")));
    EXPECT_EQ(surface.SplitToWidth("ab cd", 1000), std::make_pair(QString("ab cd"), QString()));
    EXPECT_EQ(surface.SplitToWidth(" abcdef", 3), std::make_pair(QString(), QString(" abcdef")));
}

// The fitting count found by the search must be the one that measuring every
// prefix in turn gives, for every limit.
TEST_F(SurfaceTest, SplitToWidthAgreesWithMeasuringEveryPrefix) {
    auto picture = Cleared(10, 10, kBlack);
    surface.SelectFont(Tahoma());
    // "ffi" and "ffl" are ligatures in some faces: single advances then mislead.
    const QString text("Revisión anual, office affluent, llamar antes de las once al señor Ibáñez");
    auto byPrefixes = [&](int limit) -> std::pair<QString, QString> {
        int fitting = 0;
        while (fitting < text.size() && surface.TextSize(text.left(fitting + 1)).width() <= limit)
            ++fitting;
        if (fitting == text.size()) return {text, QString()};
        for (int index = fitting; index >= 1; --index)
            if (text[index] == u' ') return {text.left(index), text.mid(index)};
        return {QString(), text};
    };
    const int whole = surface.TextSize(text).width();
    for (int limit = -1; limit <= whole + 1; ++limit)
        ASSERT_EQ(surface.SplitToWidth(text, limit), byPrefixes(limit)) << limit;
}

TEST_F(SurfaceTest, PictureMayGoBeforeTheSurfaceMovesOn) {
    {
        auto transient = Cleared(10, 10, kBlack);
        surface.DrawBox(0, 0, 5, 5, kRed, kRed);
    }
    auto next = Cleared(10, 10, kBlue);
    surface.DrawBox(0, 0, 5, 5, kRed, kRed);
    EXPECT_EQ(Pixel(*next, 4, 4), Rgb32(kRed));
}

// Counts its repaints so that a test can tell when the picture was shown.
class CountingControl : public GraphicControl {
public:
    using GraphicControl::GraphicControl;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        GraphicControl::paintEvent(event);
    }
};

class GraphicControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(200, 120);
        entry = new QLineEdit(&window);
        entry->setGeometry(0, 100, 200, 20);
        control = new CountingControl(&window, 1001, QRect(0, 0, 200, 50));
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QWidget window;
    QLineEdit* entry = nullptr;
    CountingControl* control = nullptr;
    Surface surface;
};

TEST_F(GraphicControlTest, ClickGivesFocusAndIsReportedTabSkipsIt) {
    QSignalSpy clicks(control, &GraphicControl::Clicked);
    entry->setFocus();
    QTest::keyClick(entry, Qt::Key_Tab);
    EXPECT_FALSE(control->hasFocus());

    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(control->hasFocus());
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), 1001);
    EXPECT_EQ(control->focusPolicy(), Qt::ClickFocus);
}

TEST_F(GraphicControlTest, DrawingSchedulesARepaintAndRedrawShowsAtOnce) {
    QCoreApplication::processEvents();
    surface.SelectTarget(*control);
    surface.SetColours(kSystemColour, kBlack);
    surface.ClearTarget(kSystemColour);
    surface.DrawBox(10, 10, 20, 20, kRed, kBlue);
    const int before = control->paints;
    surface.Redraw();
    EXPECT_EQ(control->paints, before + 1);

    surface.DrawBox(30, 10, 40, 20, kWhite, kRed);
    EXPECT_EQ(control->paints, before + 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return control->paints == before + 2; }, 1000));

    const QImage shown = control->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(200, 50));
    EXPECT_EQ(shown, control->RetainedPicture().image);
    EXPECT_EQ(shown.pixel(35, 15), Rgb32(kRed));
}

}  // namespace
}  // namespace quimbaro
