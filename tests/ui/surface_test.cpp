// Pixel-exact checks of the drawing surface beyond what the views show.

#include "ui/pixels.h"
#include "surface/surface.h"

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

}  // namespace
}  // namespace quimbaro::testing
