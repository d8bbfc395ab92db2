// Pixel-exact checks of the drawing surface beyond what the views show. Bold
// text looks bold at the sizes the program uses, with the bold face's
// advances: ink against the regular face, widths against the bare face.
#include <QFontMetrics>
#include <QLineEdit>

#include "surface/graphic_control.h"
#include "surface/surface.h"
#include "ui/pixels.h"
#include "window/command_line_edit.h"

namespace quimbaro::testing {
namespace {

constexpr Colour kRed = Rgb(255, 0, 0), kBlue = Rgb(0, 0, 255), kWhite = Rgb(255, 255, 255);

class SurfaceTest : public ::testing::Test {
protected:
    std::unique_ptr<Picture> Cleared(int width, int height, Colour colour) {
        auto picture = Surface::NewPicture(width, height);
        surface.SelectTarget(*picture);
        surface.ClearTarget(colour);
        return picture;
    }

    Surface surface;
};

TEST_F(SurfaceTest, EqualDescriptionsShareAFontAndEmHeightsRoundHalfToEven) {
    EXPECT_EQ(surface.NewFont("Tahoma", 9, kBold, 1), surface.NewFont("  Tahoma ", 9, kBold, 1));
    auto picture = Cleared(40, 20, kWhite);  // no font selected: the default one draws
    surface.PrintLine("Mm");
    EXPECT_GT(CountOther(picture->image, picture->image.rect(), kWhite), 0);
    // dpi, points, pixels; the last two are exact halves
    const int ems[][3] = {{96, 9, 12}, {96, 10, 13}, {96, 19, 25}, {96, 90, 120}, {36, 1, 0}, {108, 1, 2}};
    for (const auto& em : ems) EXPECT_EQ(Surface(em[0]).EmHeight(em[1]), em[2]) << em[0] << " " << em[1];
}

TEST_F(SurfaceTest, AWholePictureCopyStaysApartFromItsSource) {
    auto source = Cleared(20, 10, kRed);
    surface.DrawBox(2, 2, 6, 6, kWhite, kBlue);
    const QImage painted = source->image.copy();
    auto target = Cleared(20, 10, 0);
    surface.DrawBox(0, 0, 3, 3, kWhite, kWhite);  // a painter left open on the target
    surface.CopyPicture(*source, 0, 0);
    EXPECT_EQ(target->image, painted);
    EXPECT_EQ(target->image.constBits(), source->image.constBits());  // shared: no second buffer

    surface.DrawBox(10, 0, 20, 10, kWhite, kWhite);  // drawing on the copy
    EXPECT_EQ(source->image, painted);
    EXPECT_EQ(At(target->image, 15, 5), 0xFFFFFFu);
    surface.CopyPicture(*source, 0, 0);
    surface.SelectTarget(*source);
    surface.ClearTarget(0);  // clearing the source
    EXPECT_EQ(target->image, painted);
    surface.DrawBox(0, 0, 20, 10, kBlue, kBlue);
    EXPECT_EQ(target->image, painted);
    EXPECT_EQ(CountOther(source->image, source->image.rect(), 0x0000FF), 0);
    surface.SelectTarget(*target);
    surface.CopyPicture(*target, 10, 0);  // onto itself, shifted: from what it held before
    EXPECT_EQ(target->image.copy(10, 0, 10, 10), painted.copy(0, 0, 10, 10));
}

// A text's box takes the background set before its line; a transparent one
// leaves what lies under it.
TEST_F(SurfaceTest, EachLinesTextBoxHasItsOwnBackground) {
    constexpr Colour kGreen = Rgb(0, 255, 0);
    auto picture = Cleared(60, 60, kRed);
    surface.SelectFont(surface.NewFont("Tahoma", 9, 0, kAnsiCharset));
    QList<int> tops{0};
    for (Colour background : {kBlue, kGreen, kTransparent}) {
        surface.SetColours(kWhite, background);
        surface.PrintLine("Mm");
        tops << surface.GetPosition().y();
    }
    auto band = [&](int line) { return QRect(0, tops[line], 60, tops[line + 1] - tops[line]); };
    const QImage& image = picture->image;
    EXPECT_EQ(QList<int>({CountColour(image, band(0), 0x0000FF) > 0, CountColour(image, band(1), 0x00FF00) > 0,
                          CountColour(image, band(1), 0x0000FF), CountColour(image, band(2), 0x00FF00)}),
              QList<int>({1, 1, 0, 0}));
    EXPECT_GT(CountOther(image, band(2), 0xFF0000), 0);  // its text is drawn all the same
}

// An undrawn picture holds whatever its memory held: the control shows black
// until the picture is first drawn, then the picture.
TEST_F(SurfaceTest, AGraphicControlShowsBlackUntilItsPictureIsFirstDrawn) {
    GraphicControl control(nullptr, 1, QRect(0, 0, 40, 20));
    control.RetainedPicture().image.fill(Qt::red);
    EXPECT_EQ(CountOther(Grab(control), control.rect(), 0), 0);
    surface.SelectTarget(control);
    surface.DrawBox(0, 0, 10, 10, kBlue, kBlue);
    const QImage shown = Grab(control);
    EXPECT_EQ(QList<QRgb>({At(shown, 5, 5), At(shown, 30, 15)}), QList<QRgb>({0x0000FF, 0xFF0000}));
}

TEST_F(SurfaceTest, SplitToWidthBreaksAtASpaceAsMeasuringEveryPrefixWould) {
    auto picture = Cleared(10, 10, 0);
    surface.SelectFont(surface.NewFont("Tahoma", 9, kBold, 0));
    using Split = std::pair<QString, QString>;
    EXPECT_EQ(surface.SplitToWidth(" abcdef", 3), Split("", " abcdef"));  // a leading space is no break

    // "ffi" and "ffl" are ligatures in some faces: single advances then mislead.
    const QString text("Revisión anual, office affluent, llamar antes de las once al señor Ibáñez");
    auto byPrefixes = [&](int limit) -> Split {
        int fitting = 0;
        while (fitting < text.size() && surface.TextSize(text.left(fitting + 1)).width() <= limit)
            ++fitting;
        if (fitting == text.size()) return {text, ""};
        for (int index = fitting; index >= 1; --index)
            if (text[index] == u' ') return {text.left(index), text.mid(index)};
        return {"", text};
    };
    for (int limit = -1; limit <= surface.TextSize(text).width() + 1; ++limit)
        ASSERT_EQ(surface.SplitToWidth(text, limit), byPrefixes(limit)) << limit;
}

const QString kText = QStringLiteral("Hora Teléfono 09:30 Revisión");

int Ink(const QImage& image, bool lightOnDark, const QRect& region = QRect(0, 0, 9999, 9999)) {
    return Count(image, region, [lightOnDark](QRgb pixel) { return (qGray(pixel) >= 128) == lightOnDark; });
}

TEST(SimulatedBold, SurfaceBoldInksMoreWithTheBoldFacesAdvances) {
    Surface surface;
    const std::pair<const char*, int> cases[] = {{"Tahoma", 9}, {"Tahoma", 10}, {"MS Sans Serif", 10}, {"Courier New", 19}};
    for (const auto& [face, points] : cases) {
        SCOPED_TRACE(std::string(face) + " " + std::to_string(points));
        QImage printed[2];
        int width = 0;
        for (const int style : {0, int(kBold)}) {
            auto picture = Surface::NewPicture(1400, 200);
            surface.SelectTarget(*picture);
            surface.SetColours(kBlack, kWhite);
            surface.ClearTarget(kWhite);
            surface.SelectFont(surface.NewFont(face, points, style, 0));
            surface.SetPosition(10, 0);
            surface.PrintLine(kText);
            width = surface.TextSize(kText).width();
            surface.SelectTarget(*Surface::NewPicture(1, 1));  // ends the drawing on the picture
            printed[style ? 1 : 0] = picture->image;
        }
        EXPECT_GE(Ink(printed[1], false), 1.3 * Ink(printed[0], false));
        QFont bold(face);
        bold.setPixelSize(surface.EmHeight(points));
        bold.setBold(true);
        bold.setKerning(false);
        EXPECT_EQ(width, QFontMetrics(bold).horizontalAdvance(kText));
        // The second stroke reaches one pixel further at most.
        EXPECT_EQ(Ink(printed[1], false, QRect(10 + width + 2, 0, 1400, 200)), 0);
    }
    // A face whose bold is really heavier is drawn once.
    EXPECT_FALSE(surface.NewFont("Courier New", 19, kBold, 0)->secondStroke);
    EXPECT_TRUE(surface.NewFont("Tahoma", 9, kBold, 0)->secondStroke);
}

// The entry against a plain line edit with the same font, colours and text.
TEST(SimulatedBold, EntryTextInksMoreAndKeepsItsWidth) {
    CommandLineEdit entry(nullptr, 13);
    QLineEdit plain;
    plain.setFont(entry.font());
    plain.setPalette(entry.palette());
    plain.setFrame(false);
    plain.setAlignment(entry.alignment());
    for (QLineEdit* edit : {static_cast<QLineEdit*>(&entry), &plain}) {
        edit->resize(1160, 21);
        edit->setText(kText);
    }
    EXPECT_GE(Ink(Grab(entry), true), 1.3 * Ink(Grab(plain), true));
    EXPECT_EQ(entry.inputMethodQuery(Qt::ImCursorRectangle), plain.inputMethodQuery(Qt::ImCursorRectangle));
    entry.PaintFill(1160, QColor(255, 215, 0), kText);  // black text over the fill, thickened too
    const int filledInk = Ink(Grab(entry), false);
    entry.EndFill();
    plain.setStyleSheet("background: rgb(255, 215, 0); color: black;");
    EXPECT_GE(filledInk, 1.3 * Ink(Grab(plain), false));
}

}  // namespace
}  // namespace quimbaro::testing
