// The author credit replaces the month strip on the panel.
#include <QImage>
#include <QRect>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <gtest/gtest.h>

#include "about/author_credit.h"
#include "calendar/month_strip.h"
#include "surface/graphic_control.h"
#include "surface/surface.h"

namespace quimbaro {
namespace {

QRgb Rgb24(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

bool IsGrey(QRgb pixel) { return qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel); }

int CountWhite(const QImage& image, const QRect& region) {
    int count = 0;
    const QRect clipped = region.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if (Rgb24(image, x, y) == 0xFFFFFF) ++count;
        }
    }
    return count;
}

// The box of a text printed at text cell (column, row) of the font.
QRect CellText(const Font& font, int column, int row, const char* text) {
    const int length = static_cast<int>(std::strlen(text));
    return QRect((column - 1) * font.averageCharWidth, (row - 1) * font.LineHeight(),
                 length * font.averageCharWidth, font.LineHeight());
}

class AuthorCredit : public ::testing::Test {
protected:
    Surface surface;
    GraphicControl panel{nullptr, 1001, QRect(0, 0, 1160, 233)};
    const Font& nameFont = *surface.NewFont("Courier New", 90, kBold, 0);
    const Font& lineFont = *surface.NewFont("Courier New", 19, kBold, 0);

    QImage Image() const { return panel.RetainedPicture().image.copy(); }
};

TEST_F(AuthorCredit, WhiteTextAtItsCellsOverTheClearedStrip) {
    DrawCalendarPanel(surface, panel, 2024, 3, 20, Rgb(0, 255, 0));
    DrawAuthorCredit(surface, panel);
    const QImage image = Image();

    const QRect texts[] = {CellText(nameFont, 6, 1, kAuthorName),
                           CellText(lineFont, 1, 1, kCreditLine),
                           CellText(lineFont, 53, 4, kAddressAfterName),
                           CellText(lineFont, 21, 3, kAddressBeforeName)};
    for (const QRect& text : texts) EXPECT_GT(CountWhite(image, text), 0) << text.x() << "," << text.y();

    // Nothing of the strip survives: outside the texts all is black, and no
    // pixel anywhere has the strip's red or marking colour.
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = Rgb24(image, x, y);
            ASSERT_TRUE(IsGrey(pixel)) << x << "," << y;
            const bool inText = std::any_of(std::begin(texts), std::end(texts),
                                            [&](const QRect& text) { return text.contains(x, y); });
            if (!inText) {
                ASSERT_EQ(pixel, 0u) << x << "," << y;
            }
        }
    }
}

TEST_F(AuthorCredit, DrawnAgainGivesTheSameCredit) {
    DrawAuthorCredit(surface, panel);
    const QImage first = Image();
    DrawCalendarPanel(surface, panel, 2024, 1, 15, Rgb(0, 255, 0));
    DrawAuthorCredit(surface, panel);
    EXPECT_EQ(Image(), first);
    EXPECT_GT(CountWhite(first, first.rect()), 0);
}

}  // namespace
}  // namespace quimbaro
