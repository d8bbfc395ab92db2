// The author credit replaces the month strip on the panel.
#include <QPainter>
#include <cstring>

#include "views/author_credit.h"
#include "views/month_strip.h"
#include "ui/pixels.h"
#include "surface/graphic_control.h"

namespace quimbaro::testing {
namespace {

TEST(AuthorCredit, WhiteTextAtItsCellsOverTheClearedStrip) {
    Surface surface;
    GraphicControl panel(nullptr, 1001, QRect(0, 0, 1160, 233));
    DrawCalendarPanel(surface, panel, 2024, 3, 20, Rgb(0, 255, 0));
    DrawAuthorCredit(surface, panel);
    QImage image = panel.RetainedPicture().image.copy();

    // The box of a text printed at text cell (column, row) of the font.
    auto cell = [&](int points, int column, int row, const char* text) {
        const Font& font = *surface.NewFont("Courier New", points, kBold, 0);
        return QRect((column - 1) * font.averageCharWidth, (row - 1) * font.LineHeight(),
                     static_cast<int>(std::strlen(text)) * font.averageCharWidth, font.LineHeight());
    };
    const QRect texts[] = {cell(90, 6, 1, kAuthorName), cell(19, 1, 1, kCreditLine),
                           cell(19, 53, 4, kAddressAfterName), cell(19, 21, 3, kAddressBeforeName)};
    for (const QRect& text : texts)
        EXPECT_GT(CountColour(image, text, 0xFFFFFF), 0) << text.x() << "," << text.y();

    // Nothing of the strip survives: no colour anywhere, black outside the texts.
    auto coloured = [](QRgb p) { return qRed(p) != qGreen(p) || qGreen(p) != qBlue(p); };
    EXPECT_EQ(Count(image, image.rect(), coloured), 0);
    QPainter painter(&image);
    for (const QRect& text : texts) painter.fillRect(text, Qt::black);
    painter.end();
    EXPECT_EQ(CountOther(image, image.rect(), 0), 0);
}

}  // namespace
}  // namespace quimbaro::testing
