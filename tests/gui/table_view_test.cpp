#include "book/table_view.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <memory>
#include <string>
#include <vector>

namespace quimbaro {
namespace {

constexpr int kTableWidth = 1160;
constexpr int kTableHeight = 704;
constexpr int kCanvasHeight = 2000;
constexpr QRgb kSilver = 0xFFC0C0C0;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kGold = 0xFFFFD700;

struct Span {
    int first, last;
};
constexpr Span kColumnSpans[4] = {{4, 52}, {56, 145}, {149, 548}, {552, 1154}};

Span RowSpan(int row) {
    return row == 0 ? Span{2, 22} : Span{24 * row + 2, 24 * row + 23};
}

QRgb Pixel(const Picture& picture, int x, int y) {
    return picture.image.pixel(x, y) | 0xFF000000;
}

bool IsDark(QRgb pixel) {
    return qGray(pixel) < 128;
}

// Same size and pixels; a failure names the first differing pixel.
::testing::AssertionResult SameImage(const QImage& painted, const QImage& expected) {
    if (painted.size() != expected.size()) return ::testing::AssertionFailure() << "sizes differ";
    for (int y = 0; y < painted.height(); ++y)
        for (int x = 0; x < painted.width(); ++x)
            if (painted.pixel(x, y) != expected.pixel(x, y))
                return ::testing::AssertionFailure()
                       << "first difference at " << x << "," << y << ": " << std::hex
                       << painted.pixel(x, y) << " instead of " << expected.pixel(x, y);
    return ::testing::AssertionSuccess();
}

Appointment Entry(const std::string& time, const std::string& phone, const std::string& name,
                  const std::string& subject) {
    Appointment appointment;
    StoreField(appointment.time, time);
    StoreField(appointment.phone, phone);
    StoreField(appointment.name, name);
    StoreField(appointment.subject, subject);
    return appointment;
}

class TableViewTest : public ::testing::Test {
protected:
    // The shell's sequence: clear, build, paint.
    std::unique_ptr<Picture> Paint(const DayList& list, Colour userColour, int rows = 29,
                                   int height = kTableHeight) {
        auto picture = Surface::NewPicture(kTableWidth, height);
        ClearTablePicture(surface, *picture);
        BuildTableCells(grid, list, userColour);
        PaintTable(surface, *picture, grid, 4, static_cast<int16_t>(rows), 3, 1, kOutlineSilver);
        return picture;
    }

    // Outline on exactly the border, fill everywhere inside.
    void ExpectBox(const Picture& picture, Span xs, Span ys, QRgb fill) {
        for (int x = xs.first; x <= xs.last; ++x) {
            ASSERT_EQ(Pixel(picture, x, ys.first), kSilver) << x << "," << ys.first;
            ASSERT_EQ(Pixel(picture, x, ys.last), kSilver) << x << "," << ys.last;
        }
        for (int y = ys.first; y <= ys.last; ++y) {
            ASSERT_EQ(Pixel(picture, xs.first, y), kSilver) << xs.first << "," << y;
            ASSERT_EQ(Pixel(picture, xs.last, y), kSilver) << xs.last << "," << y;
        }
        for (int y = ys.first + 1; y < ys.last; ++y)
            for (int x = xs.first + 1; x < xs.last; ++x)
                ASSERT_EQ(Pixel(picture, x, y), fill) << x << "," << y;
    }

    bool CellHasDarkPixels(const Picture& picture, int column, int row) {
        const Span xs = kColumnSpans[column];
        const Span ys = RowSpan(row);
        for (int y = ys.first + 1; y < ys.last; ++y)
            for (int x = xs.first + 1; x < xs.last; ++x)
                if (IsDark(Pixel(picture, x, y))) return true;
        return false;
    }

    Surface surface;
    TableGrid grid;
};

TEST_F(TableViewTest, EmptyDayShowsHeaderAndTwentyEightWhiteRowsOnBlack) {
    const auto picture = Paint(DayList{}, Rgb(255, 215, 0));
    for (int row = 1; row <= 28; ++row)
        for (int column = 0; column < 4; ++column)
            ExpectBox(*picture, kColumnSpans[column], RowSpan(row), kWhite);
    EXPECT_EQ(RowSpan(28).last, 695);

    // Everything that is in no box is the black background: margins and gaps.
    auto inBox = [](int x, int y) {
        for (int row = 0; row <= 28; ++row)
            for (const Span& xs : kColumnSpans)
                if (x >= xs.first && x <= xs.last && y >= RowSpan(row).first &&
                    y <= RowSpan(row).last)
                    return true;
        return false;
    };
    for (int y = 0; y < kTableHeight; ++y)
        for (int x = 0; x < kTableWidth; ++x)
            if (!inBox(x, y)) {
                ASSERT_EQ(Pixel(*picture, x, y), kBlack) << x << "," << y;
            }
}

TEST_F(TableViewTest, HeaderIsOutlinedAndFilledWithTheUserColour) {
    for (Colour colour : {Rgb(255, 215, 0), Rgb(10, 120, 250), Colour{-5}, Colour{0x1000000}}) {
        const QRgb expected = colour == Rgb(10, 120, 250) ? qRgb(10, 120, 250) : kGold;
        const auto picture = Paint(DayList{}, colour);
        for (int column = 0; column < 4; ++column) {
            const Span xs = kColumnSpans[column];
            const Span ys = RowSpan(0);
            EXPECT_EQ(Pixel(*picture, xs.first, ys.first), kSilver);
            EXPECT_EQ(Pixel(*picture, xs.last, ys.last), kSilver);
            // Centred titles leave the inner left and right edges free.
            for (int y = ys.first + 1; y < ys.last; ++y) {
                ASSERT_EQ(Pixel(*picture, xs.first + 1, y), expected) << colour;
                ASSERT_EQ(Pixel(*picture, xs.last - 1, y), expected) << colour;
            }
            EXPECT_TRUE(CellHasDarkPixels(*picture, column, 0)) << "title of column " << column;
        }
    }
}

TEST_F(TableViewTest, CellsComeFromTheDayListWithGroupedPhones) {
    DayList list;
    list.slots[0] = Entry("09:30", "612345678",
                          "Pe\xF1"
                          "a",
                          "Revisi\xF3n");
    list.slots[28] = Entry("18:00", "1234", "\xC1lvaro", "");
    BuildTableCells(grid, list, 0x123456);

    const char* titles[] = {"Hora", "Teléfono", "Nombre", "Asunto"};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(grid.At(column, 0).text, QString::fromUtf8(titles[column]));
        EXPECT_EQ(grid.At(column, 0).backColour, 0x123456);
    }
    EXPECT_EQ(grid.At(0, 1).text, "09:30");
    EXPECT_EQ(grid.At(1, 1).text, "612 34 56 78");
    EXPECT_EQ(grid.At(2, 1).text, QString::fromUtf8("Peña"));
    EXPECT_EQ(grid.At(3, 1).text, QString::fromUtf8("Revisión"));
    EXPECT_EQ(grid.At(1, 29).text, "123 4  34");
    EXPECT_EQ(grid.At(2, 29).text, QString::fromUtf8("Álvaro"));
    EXPECT_EQ(grid.At(1, 2).text, "   ");
}

TEST_F(TableViewTest, AppointmentTextsShowInTheirCellsAndEmptyPhonesShowNothing) {
    DayList list;
    list.slots[0] = Entry("09:30", "612345678", "Ana", "Consulta");
    list.slots[1] = Entry("10:00", "", "Luis", "");
    const auto picture = Paint(list, Rgb(255, 215, 0));
    for (int column = 0; column < 4; ++column)
        EXPECT_TRUE(CellHasDarkPixels(*picture, column, 1));
    EXPECT_TRUE(CellHasDarkPixels(*picture, 0, 2));
    EXPECT_FALSE(CellHasDarkPixels(*picture, 1, 2));
    EXPECT_TRUE(CellHasDarkPixels(*picture, 2, 2));
    EXPECT_FALSE(CellHasDarkPixels(*picture, 3, 2));
}

TEST_F(TableViewTest, AFirstWordWiderThanItsColumnLeavesTheCellEmpty) {
    DayList list;
    list.slots[0] = Entry("09:30", "", std::string(49, 'W'), std::string(60, 'M') + " fin");
    list.slots[1] = Entry("09:45", "", "Ana", "Una consulta breve");
    const auto picture = Paint(list, Rgb(255, 215, 0));
    EXPECT_FALSE(CellHasDarkPixels(*picture, 2, 1));
    EXPECT_FALSE(CellHasDarkPixels(*picture, 3, 1));
    EXPECT_TRUE(CellHasDarkPixels(*picture, 2, 2));
    EXPECT_TRUE(CellHasDarkPixels(*picture, 3, 2));
}

TEST_F(TableViewTest, TwoLineSubjectShowsItsFirstLineInTheCell) {
    std::string subject;
    while (subject.size() < 70)
        subject += "WWWWW ";
    const Font* font = surface.NewFont("Tahoma", 9, kBold, 0);
    auto probe = Surface::NewPicture(10, 10);
    surface.SelectTarget(*probe);
    surface.SelectFont(font);
    ASSERT_FALSE(
        surface.SplitToWidth(QString::fromStdString(subject), 1146 - 543 - 1).second.isEmpty());
    DayList list;
    list.slots[0] = Entry("09:30", "", "Ana", subject);
    const auto picture = Paint(list, Rgb(255, 215, 0));
    EXPECT_TRUE(CellHasDarkPixels(*picture, 3, 1));
    // Row 2 is painted after row 1 and covers the second line.
    ExpectBox(*picture, kColumnSpans[3], RowSpan(2), kWhite);
}

TEST_F(TableViewTest, ThirtyRowsShowRowTwentyNineInTheCanvasAndAreClippedInThePicture) {
    DayList list;
    list.slots[28] = Entry("20:00", "600111222", "\xDAltima", "Cita");
    const auto canvas = Paint(list, Rgb(255, 215, 0), 30, kCanvasHeight);
    EXPECT_EQ(RowSpan(29).first, 24 * 29 + 2);
    for (int column = 0; column < 4; ++column) {
        ExpectBox(*canvas, kColumnSpans[column], RowSpan(28), kWhite);
        EXPECT_EQ(Pixel(*canvas, kColumnSpans[column].first, RowSpan(29).first), kSilver);
        EXPECT_EQ(Pixel(*canvas, kColumnSpans[column].last, RowSpan(29).last), kSilver);
        EXPECT_TRUE(CellHasDarkPixels(*canvas, column, 29));
    }
    for (int y = RowSpan(29).last + 1; y < kCanvasHeight; y += 7)
        for (int x = 0; x < kTableWidth; x += 3)
            ASSERT_EQ(Pixel(*canvas, x, y), kBlack);

    // In the table picture row 29 is cut at its bottom edge, 703.
    const auto picture = Paint(list, Rgb(255, 215, 0), 30);
    EXPECT_TRUE(SameImage(picture->image, canvas->image.copy(0, 0, kTableWidth, kTableHeight)));
    // A count past the grid paints what the grid holds and nothing beyond.
    PaintTable(surface, *picture, grid, 60, 60, 3, 1, kOutlineSilver);
    EXPECT_EQ(Pixel(*picture, 0, 0), kBlack);
}

TEST_F(TableViewTest, CanvasFromTheTablePictureMatchesPaintingThirtyRows) {
    // Wrapped subjects and over-long words in the last rows run below their
    // cells, across row 29's top and past the table picture's bottom.
    std::string subject;
    while (subject.size() < 70)
        subject += "WWWWW ";
    DayList list;
    for (int slot = 0; slot < 29; ++slot)
        list.slots[slot] = Entry("09:30", "612345678", "Ana", slot % 2 ? subject : "Consulta");
    list.slots[26] = Entry("10:00", "1234", std::string(49, 'W'), std::string(60, 'M') + " fin");
    list.slots[28] = Entry("20:00", "600111222",
                           "\xDAltima cita del d\xED"
                           "a",
                           subject);

    const auto full = Paint(list, Rgb(30, 60, 90), 30, kCanvasHeight);
    const auto table = Paint(list, Rgb(30, 60, 90));
    auto canvas = Surface::NewPicture(kTableWidth, kCanvasHeight);
    surface.SelectTarget(*canvas);
    surface.ClearTarget(0x00FF00);  // what the last day left there
    PaintTableCanvas(surface, *canvas, *table, grid);
    EXPECT_TRUE(SameImage(canvas->image, full->image));
}

// Single cells painted beside a reference drawn with the surface directly.
class CellPaintTest : public ::testing::Test {
protected:
    CellPaintTest() : font(surface.NewFont("Tahoma", 9, kBold, 0)) {}

    std::unique_ptr<Picture> Blank(int height) {
        auto picture = Surface::NewPicture(kTableWidth, height);
        surface.SelectTarget(*picture);
        surface.ClearTarget(0);
        return picture;
    }

    // One cell at column 0, row 0; its box starts at (left + originX, 1 + 1).
    std::unique_ptr<Picture> PaintCell(const QString& text, int left, int right, int originX,
                                       Alignment alignment, int height = 200) {
        TableCell& cell = grid.At(0, 0);
        cell = TableCell{};
        cell.left = left;
        cell.right = right;
        cell.top = 1;
        cell.bottom = 22;
        cell.backColour = 0xFFFFFF;
        cell.fontFace = " Tahoma ";
        cell.fontSize = 9;
        cell.bold = 1;
        cell.text = text;
        cell.alignment = alignment;
        auto picture = Blank(height);
        PaintTable(surface, *picture, grid, 1, 1, originX, 1, kOutlineSilver);
        return picture;
    }

    struct Line {
        int x, index;
        QString text;
    };
    // The box and each line at (x, 3 + index line heights).
    std::unique_ptr<Picture> Reference(int left, int right, int originX,
                                       const std::vector<Line>& lines, int height = 200) {
        auto picture = Blank(height);
        surface.DrawBox(left + originX, 2, right + originX, 23, kOutlineSilver, 0xFFFFFF);
        surface.SelectFont(font);
        surface.SetColours(0, kTransparent);
        for (const Line& line : lines) {
            surface.SetPosition(line.x, 3 + line.index * font->LineHeight());
            surface.PrintLine(line.text);
        }
        return picture;
    }

    // Fonts are selected per picture, so measure on a picture of its own.
    int Width(const QString& text) {
        surface.SelectTarget(*probe);
        surface.SelectFont(font);
        return surface.TextSize(text).width();
    }

    Surface surface;
    TableGrid grid;
    const Font* font;
    std::unique_ptr<Picture> probe = Surface::NewPicture(1, 1);
};

TEST_F(CellPaintTest, CentringRoundsHalvesToTheEvenPixel) {
    // W - w = 5: x0 = 4 places the text at 6.5 -> 6, x0 = 5 at 7.5 -> 8.
    const QString text = "Hora";
    const int left = 3;
    const int right = left + 1 + Width(text) + 5;
    const auto even = PaintCell(text, left, right, 0, Alignment::Centre);
    EXPECT_TRUE(SameImage(even->image, Reference(left, right, 0, {{6, 0, text}})->image));
    EXPECT_FALSE(SameImage(even->image, Reference(left, right, 0, {{7, 0, text}})->image));
    const auto odd = PaintCell(text, left, right, 1, Alignment::Centre);
    EXPECT_TRUE(SameImage(odd->image, Reference(left, right, 1, {{8, 0, text}})->image));
    EXPECT_FALSE(SameImage(odd->image, Reference(left, right, 1, {{7, 0, text}})->image));

    // Each line of a broken text is centred by its own width.
    ASSERT_LE(Width(" Hora"), right - left - 1);
    const auto twoLines = PaintCell("Hora Hora", left, right, 1, Alignment::Centre);
    EXPECT_TRUE(
        SameImage(twoLines->image, Reference(left, right, 1, {{8, 0, text}, {8, 1, text}})->image));
}

TEST_F(CellPaintTest, TextIsTrimmedAndLeftAlignedAtTheBoxCorner) {
    const auto painted = PaintCell(
        "  Ana Mar\xC3\xAD"
        "a  ",
        10, 300, 3, Alignment::Left);
    EXPECT_TRUE(SameImage(painted->image,
                          Reference(10, 300, 3, {{14, 0, QString::fromUtf8("Ana María")}})->image));
}

TEST_F(CellPaintTest, AShorterRemainderIsDrawnUnmeasuredWithItsLeadingSpace) {
    // Room for exactly eight i's: " WWWW" has fewer characters than the first
    // line, so it is not split again even though it is wider than the cell.
    const int width = Width("iiiiiiii");
    const auto painted = PaintCell("iiiiiiii WWWW", 3, 3 + width + 1, 0, Alignment::Left);
    EXPECT_TRUE(
        SameImage(painted->image,
                  Reference(3, 3 + width + 1, 0, {{4, 0, "iiiiiiii"}, {4, 1, " WWWW"}})->image));
}

TEST_F(CellPaintTest, LongerRemaindersAreSplitAgainWithoutLeadingSpaces) {
    // " ij abcdefgh" is longer than "abcdefgh": it splits into "ij" and
    // "abcdefgh", which fits exactly.
    const int width = Width("abcdefgh");
    const auto painted = PaintCell("abcdefgh ij abcdefgh", 3, 3 + width + 1, 0, Alignment::Left);
    EXPECT_TRUE(SameImage(
        painted->image,
        Reference(3, 3 + width + 1, 0, {{4, 0, "abcdefgh"}, {4, 1, "ij"}, {4, 2, "abcdefgh"}})
            ->image));
}

TEST_F(CellPaintTest, AnOverlongWordAfterTheFirstLineEndsOnTheHundredthLine) {
    // " WWWWWWWWWWWW" is longer than "Ana" and has no space to break at after
    // its first character: every further split leaves an empty line.
    const int width = Width("Ana");
    const QString word(12, u'W');
    const auto painted =
        PaintCell("Ana " + word, 3, 3 + width + 1, 0, Alignment::Left, kCanvasHeight);
    EXPECT_TRUE(SameImage(
        painted->image,
        Reference(3, 3 + width + 1, 0, {{4, 0, "Ana"}, {4, 99, word}}, kCanvasHeight)->image));
}

}  // namespace
}  // namespace quimbaro
