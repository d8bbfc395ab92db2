// The month strip drawn on a 1160 x 233 panel, checked cell by cell.
#include <QImage>
#include <QRect>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <cstdlib>
#include <vector>

#include "calendar/month_strip.h"
#include "surface/graphic_control.h"
#include "surface/surface.h"

namespace quimbaro {
namespace {

constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kWhite = 0xFFFFFF;
constexpr QRgb kGreen = 0x00FF00;
constexpr Colour kGreenColour = Rgb(0, 255, 0);
constexpr int kTop = 50;

QImage RenderStrip(int16_t year, int16_t month, int16_t day, Colour userColour = kGreenColour) {
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

// Text is smoothed over the black panel, so an edge pixel of a glyph in a
// colour is that colour scaled down: every channel in the same proportion.
// Faint pixels say too little about their colour and are left out.
bool IsShadeOf(QRgb pixel, QRgb colour) {
    const int top = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
    const int colourTop = std::max({qRed(colour), qGreen(colour), qBlue(colour)});
    if (top < 96) return false;
    const auto matches = [&](int channel, int colourChannel) {
        return std::abs(channel * colourTop - colourChannel * top) <= 2 * colourTop;
    };
    return matches(qRed(pixel), qRed(colour)) && matches(qGreen(pixel), qGreen(colour)) &&
           matches(qBlue(pixel), qBlue(colour));
}

// Pixels of text drawn in the colour.
int CountPixels(const QImage& image, const QRect& region, QRgb colour) {
    int count = 0;
    const QRect clipped = region.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if (IsShadeOf(image.pixel(x, y) & 0xFFFFFF, colour)) ++count;
        }
    }
    return count;
}

int CountInk(const QImage& image, const QRect& region) {
    int count = 0;
    const QRect clipped = region.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) != 0) ++count;
        }
    }
    return count;
}

// Columns of the first week row that hold a number.
std::vector<int> FirstRowColumns(const QImage& image, int block) {
    std::vector<int> columns;
    for (int column = 1; column <= 7; ++column) {
        if (CountInk(image, DayCell(block, 0, column)) > 0) columns.push_back(column);
    }
    return columns;
}

TEST(MonthStrip, March2024StartsOnFridayWithSundaysRed) {
    const QImage image = RenderStrip(2024, 3, 20);
    const int march = 3;
    EXPECT_EQ(FirstRowColumns(image, march), (std::vector<int>{5, 6, 7}));
    EXPECT_GT(CountPixels(image, DayCell(march, 0, 5), kWhite), 0);
    EXPECT_GT(CountPixels(image, DayCell(march, 0, 6), kWhite), 0);
    EXPECT_GT(CountPixels(image, DayCell(march, 0, 7), kRed), 0);
    EXPECT_EQ(CountPixels(image, DayCell(march, 0, 7), kWhite), 0);
    for (int row = 1; row <= 4; ++row) {
        for (int column = 1; column <= 7; ++column) {
            EXPECT_GT(CountInk(image, DayCell(march, row, column)), 0) << row << "," << column;
        }
        EXPECT_GT(CountPixels(image, DayCell(march, row, 7), kRed), 0) << row;
        EXPECT_EQ(CountPixels(image, DayCell(march, row, 6), kRed), 0) << row;
    }
    // 31 is the last number, in column 7; no sixth row.
    EXPECT_EQ(CountInk(image, QRect(BlockLeft(march), kTop + 126, 140, 233 - kTop - 126)), 0);
    // The shown day, Wednesday 20, in the user's colour and nowhere else.
    const int marked = CountPixels(image, DayCell(march, 3, 3), kGreen);
    EXPECT_GT(marked, 0);
    EXPECT_EQ(CountPixels(image, image.rect(), kGreen), marked);
}

TEST(MonthStrip, September2024TakesSixRows) {
    const QImage image = RenderStrip(2024, 7, 10);  // September is block 5
    const int september = 5;
    EXPECT_EQ(FirstRowColumns(image, september), (std::vector<int>{7}));
    EXPECT_GT(CountPixels(image, DayCell(september, 0, 7), kRed), 0);
    EXPECT_EQ(CountPixels(image, DayCell(september, 0, 7), kWhite), 0);
    // Day 30 alone on the sixth row, at T + 126.
    EXPECT_EQ(DayCell(september, 5, 1).top(), kTop + 126);
    EXPECT_GT(CountPixels(image, DayCell(september, 5, 1), kWhite), 0);
    for (int column = 2; column <= 7; ++column) {
        EXPECT_EQ(CountInk(image, DayCell(september, 5, column)), 0) << column;
    }
    EXPECT_EQ(CountInk(image, QRect(BlockLeft(september), kTop + 144, 140, 233 - kTop - 144)), 0);
}

TEST(MonthStrip, ShownDayInJanuaryWrapsIntoThePreviousYear) {
    const QImage image = RenderStrip(2024, 1, 15);
    // First weekdays of October 2023 .. April 2024; the same months of 2024
    // would start on other days.
    const int firstColumns[7] = {7, 3, 5, 1, 4, 5, 1};
    for (int block = 0; block < 7; ++block) {
        const std::vector<int> columns = FirstRowColumns(image, block);
        ASSERT_FALSE(columns.empty()) << block;
        EXPECT_EQ(columns.front(), firstColumns[block]) << block;
    }
    const int marked = CountPixels(image, DayCell(3, 2, 1), kGreen);
    EXPECT_GT(marked, 0);
    EXPECT_EQ(CountPixels(image, image.rect(), kGreen), marked);
}

// Width of a title in the panel's font, as the strip measures it.
int TitleWidth(const QString& title) {
    Surface surface;
    std::unique_ptr<Picture> picture = Surface::NewPicture(10, 10);
    surface.SelectTarget(*picture);
    surface.SelectFont(surface.NewFont("Tahoma", 9, kBold, 1));
    return surface.TextSize(title).width();
}

// Left and right ends of the ink in the title row between x0 and x1.
std::pair<int, int> TitleInk(const QImage& image, int x0, int x1) {
    int inkLeft = 9999;
    int inkRight = -1;
    for (int y = kTop; y < kTop + 18; ++y) {
        for (int x = std::max(x0, 0); x < std::min(x1, image.width()); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) != 0) {
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
            }
        }
    }
    return {inkLeft, inkRight};
}

TEST(MonthStrip, TitlesCentredAndLettersWhite) {
    const QImage image = RenderStrip(2024, 1, 15);
    const char* titles[7] = {"Octubre 2023", "Noviembre 2023", "Diciembre 2023", "Enero 2024",
                             "Febrero 2024", "Marzo 2024", "Abril 2024"};
    for (int block = 0; block < 7; ++block) {
        const int left = BlockLeft(block);
        const int width = TitleWidth(QString::fromLatin1(titles[block]));
        const int titleX = (2 * left + 140 - width) / 2;
        // The neighbours' titles lie further out than 10 pixels.
        const auto [inkLeft, inkRight] = TitleInk(image, left - 10, left + 150);
        EXPECT_GE(inkLeft, titleX) << block;
        EXPECT_LE(inkLeft, titleX + 2) << block;
        EXPECT_LT(inkRight, titleX + width) << block;
        EXPECT_GE(inkRight, titleX + width - 3) << block;
        EXPECT_GT(CountPixels(image, QRect(left, kTop, 140, 18), kWhite), 0) << block;
        for (int column = 1; column <= 7; ++column) {
            const QRect letter(left + (column - 1) * 20, kTop + 18, 20, 18);
            EXPECT_GT(CountPixels(image, letter, kWhite), 0) << block << "," << column;
        }
        EXPECT_EQ(CountPixels(image, QRect(left, kTop + 18, 140, 18), kRed), 0) << block;
    }
}

TEST(MonthStrip, ShownSundayTakesTheUserColour) {
    const QImage image = RenderStrip(2024, 1, 7);  // Sunday 7 January
    const QRect cell = DayCell(3, 0, 7);
    EXPECT_GT(CountPixels(image, cell, kGreen), 0);
    EXPECT_EQ(CountPixels(image, cell, kRed), 0);
}

TEST(MonthStrip, ImpossibleDatesMarkNothingAndDoNotCrash) {
    // 31/02/2024 and 00/03/2024: the strip is drawn, no day is marked.
    for (int16_t day : {int16_t{31}, int16_t{0}}) {
        const int16_t month = day == 31 ? 2 : 3;
        const QImage image = RenderStrip(2024, month, day);
        EXPECT_GT(CountPixels(image, image.rect(), kWhite), 0) << day;
        EXPECT_EQ(CountPixels(image, image.rect(), kGreen), 0) << day;
    }
    // Month 00 names no month: the panel stays cleared.
    const QImage empty = RenderStrip(2024, 0, 0);
    EXPECT_EQ(CountInk(empty, empty.rect()), 0);
}

TEST(MonthStrip, UserColourThatIsNoColourDrawsTheDefault) {
    constexpr QRgb kDefaultGold = 0xFFD700;
    for (Colour bad : {-1, 16777216}) {
        const QImage image = RenderStrip(2024, 3, 20, bad);
        const int marked = CountPixels(image, DayCell(3, 3, 3), kDefaultGold);
        EXPECT_GT(marked, 0) << bad;
        EXPECT_EQ(CountPixels(image, image.rect(), kDefaultGold), marked) << bad;
    }
}

TEST(MonthStrip, BlocksWrapAcrossYearsAndMonthRightIsFixed) {
    const int expected[7][2] = {{2024, 8}, {2024, 9},  {2024, 10}, {2024, 11},
                                {2024, 12}, {2025, 1}, {2025, 2}};
    for (int k = -3; k <= 3; ++k) {
        const MonthBlock block = StripBlock(2024, 11, k);
        EXPECT_EQ(block.year, expected[k + 3][0]) << k;
        EXPECT_EQ(block.month, expected[k + 3][1]) << k;
        EXPECT_EQ(block.left, BlockLeft(k + 3)) << k;
    }
    for (int year : {1900, 2000, 2023, 2024}) {
        for (int month = 1; month <= 12; ++month) {
            EXPECT_EQ(MeasureMonth({year, month, 506, 50, 9}), 646) << year << "/" << month;
        }
    }
}

}  // namespace
}  // namespace quimbaro
