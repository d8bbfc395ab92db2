// The month strip on a 1160 x 233 panel, checked cell by cell, and the author credit over it.
#include <QPainter>
#include <cstring>

#include "views/author_credit.h"
#include "views/month_strip.h"
#include "ui/pixels.h"
#include "surface/graphic_control.h"

namespace quimbaro::testing {
namespace {

constexpr QRgb kRed = 0xFF0000, kGreen = 0x00FF00;
constexpr int kTop = 50;

QImage RenderStrip(int16_t year, int16_t month, int16_t day, Colour userColour = Rgb(0, 255, 0)) {
    Surface surface;
    GraphicControl panel(nullptr, 1001, QRect(0, 0, 1160, 233));
    DrawCalendarPanel(surface, panel, year, month, day, userColour);
    return panel.RetainedPicture().image.copy();
}

int BlockLeft(int block) { return 26 + 160 * block; }

// The 20 x 18 cell of a day number: week row from 0, column 1 (Monday) .. 7.
QRect DayCell(int block, int row, int column) {
    return QRect(BlockLeft(block) + (column - 1) * 20, kTop + 36 + 18 * row, 20, 18);
}

int Ink(const QImage& image, const QRect& region) { return CountOther(image, region, 0); }

// Numbers exactly where the month's days fall, Sundays red, the rest white
// (the shown day, if in this block, is left to the marking test).
void ExpectMonth(const QImage& image, int block, int firstColumn, int days, int shownDay = 0) {
    for (int row = 0; row < 6; ++row)
        for (int column = 1; column <= 7; ++column) {
            const int day = 7 * row + column - firstColumn + 1;
            const QRect cell = DayCell(block, row, column);
            SCOPED_TRACE(::testing::Message() << "block " << block << " day " << day);
            EXPECT_EQ(Ink(image, cell) > 0, day >= 1 && day <= days);
            if (day < 1 || day > days || day == shownDay) continue;
            EXPECT_EQ(CountShade(image, cell, kRed) > 0, column == 7);
            EXPECT_EQ(CountShade(image, cell, kWhite) > 0, column != 7);
        }
    EXPECT_EQ(Ink(image, QRect(BlockLeft(block), kTop + 144, 140, 233)), 0);
}

TEST(MonthStrip, MonthsStartOnTheirWeekdayAndWrapAcrossTheYear) {
    ExpectMonth(RenderStrip(2024, 3, 20), 3, 5, 31, 20);  // March 2024 starts on a Friday
    ExpectMonth(RenderStrip(2024, 7, 10), 5, 7, 30);      // September 2024 takes six rows
    // Around 15 January 2024: October 2023 .. April 2024.
    const QImage image = RenderStrip(2024, 1, 15);
    const int firstColumns[7] = {7, 3, 5, 1, 4, 5, 1}, days[7] = {31, 30, 31, 31, 29, 31, 30};
    for (int block = 0; block < 7; ++block)
        ExpectMonth(image, block, firstColumns[block], days[block], block == 3 ? 15 : 0);
}

TEST(MonthStrip, TitlesAreCentredAndWeekdayLettersWhite) {
    const QImage image = RenderStrip(2024, 1, 15);
    Surface surface;
    auto probe = Surface::NewPicture(1, 1);
    surface.SelectTarget(*probe);
    surface.SelectFont(surface.NewFont("Tahoma", 9, kBold, 1));
    const char* titles[7] = {"Octubre 2023", "Noviembre 2023", "Diciembre 2023", "Enero 2024",
                             "Febrero 2024", "Marzo 2024",     "Abril 2024"};
    for (int block = 0; block < 7; ++block) {
        const int left = BlockLeft(block), width = surface.TextSize(titles[block]).width();
        const int titleX = (2 * left + 140 - width) / 2;
        // The title's ink lies within its text box, reaching near both ends.
        EXPECT_EQ(Ink(image, QRect(left - 10, kTop, 160, 18)), Ink(image, QRect(titleX, kTop, width, 18)));
        EXPECT_GT(Ink(image, QRect(titleX, kTop, 3, 18)), 0) << block;
        EXPECT_GT(Ink(image, QRect(titleX + width - 3, kTop, 3, 18)), 0) << block;
        EXPECT_GT(CountShade(image, QRect(left, kTop, 140, 18), kWhite), 0) << block;
        for (int column = 1; column <= 7; ++column)
            EXPECT_GT(CountShade(image, DayCell(block, -1, column), kWhite), 0) << column;
        EXPECT_EQ(CountShade(image, QRect(left, kTop + 18, 140, 18), kRed), 0) << block;
    }
}

TEST(MonthStrip, OnlyTheShownDayTakesTheUserColour) {
    struct Case { int16_t year, month, day; Colour user; QRect marked; QRgb shown; };
    const Case cases[] = {
        {2024, 3, 20, Rgb(0, 255, 0), DayCell(3, 3, 3), kGreen},
        {2024, 1, 15, Rgb(0, 255, 0), DayCell(3, 2, 1), kGreen},
        {2024, 1, 7, Rgb(0, 255, 0), DayCell(3, 0, 7), kGreen},  // a Sunday
        {2024, 3, 20, -1, DayCell(3, 3, 3), kGold},  // no colour: the default
        {2024, 3, 20, 16777216, DayCell(3, 3, 3), kGold},
        {2024, 2, 31, Rgb(0, 255, 0), QRect(), kGreen},  // impossible dates mark nothing
        {2024, 3, 0, Rgb(0, 255, 0), QRect(), kGreen},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.day << "/" << c.month << " in " << c.user);
        const QImage image = RenderStrip(c.year, c.month, c.day, c.user);
        EXPECT_GT(CountShade(image, image.rect(), kWhite), 0);
        EXPECT_EQ(CountShade(image, image.rect(), c.shown), CountShade(image, c.marked, c.shown));
        EXPECT_EQ(CountShade(image, c.marked, c.shown) > 0, !c.marked.isNull());
        EXPECT_EQ(CountShade(image, c.marked, kRed), 0);
    }
    const QImage empty = RenderStrip(2024, 0, 0);  // month 00 names no month
    EXPECT_EQ(Ink(empty, empty.rect()), 0);
}

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
    for (const QRect& text : texts) EXPECT_GT(CountColour(image, text, 0xFFFFFF), 0) << text.x() << "," << text.y();
    // Nothing of the strip survives: no colour anywhere, black outside the texts.
    EXPECT_EQ(Count(image, image.rect(), [](QRgb p) { return qRed(p) != qGreen(p) || qGreen(p) != qBlue(p); }), 0);
    QPainter painter(&image);
    for (const QRect& text : texts) painter.fillRect(text, Qt::black);
    painter.end();
    EXPECT_EQ(CountOther(image, image.rect(), 0), 0);
}

}  // namespace
}  // namespace quimbaro::testing
