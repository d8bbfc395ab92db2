// The day table and the week painted at exact pixels, and the week's bands.
#include <QPainter>

#include "text/win1252.h"
#include "ui/pixels.h"
#include "views/table_view.h"
#include "views/week_view.h"

namespace quimbaro::testing {
namespace {

// A cell's box, outline included: header y 2..22, row r 24r+2..24r+23.
QRect Box(int column, int row) {
    return QRect(QPoint(kColumns[column][0], row == 0 ? 2 : 24 * row + 2),
                 QPoint(kColumns[column][1], 24 * row + (row == 0 ? 22 : 23)));
}

bool Inked(const QImage& image, int column, int row) {
    const QRect inside = Box(column, row).adjusted(1, 1, -1, -1);
    return Count(image, inside, [](QRgb pixel) { return qGray(pixel) < 128; }) > 0;
}

// Inside a cell, the blank columns left and right of its ink.
std::pair<int, int> InkMargins(const QImage& image, int column, int row) {
    const QRect inside = Box(column, row).adjusted(1, 1, -1, -1);
    int first = inside.right() + 1, last = inside.left() - 1;
    for (int x = inside.left(); x <= inside.right(); ++x) {
        if (Count(image, QRect(x, inside.top(), 1, inside.height()), [](QRgb p) { return qGray(p) < 128; }) == 0)
            continue;
        first = std::min(first, x);
        last = x;
    }
    return {first - inside.left(), inside.right() - last};
}

// About 720 pixels: two lines in the subject column.
const std::string kLongSubject = "WWWWW WWWWW WWWWW WWWWW WWWWW WWWWW WWWWW WWWWW WWWWW WWWWW WWWWW WWWWW ";

class TableViewTest : public ::testing::Test {
protected:
    // The shell's sequence: clear, build, paint.
    std::unique_ptr<Picture> Paint(const DayList& list, Colour user, int rows = 29, int height = 704) {
        auto picture = Surface::NewPicture(1160, height);
        ClearTablePicture(surface, *picture);
        BuildTableCells(grid, list, user);
        PaintTable(surface, *picture, grid, 4, static_cast<int16_t>(rows), 3, 1, kOutlineSilver);
        return picture;
    }

    Surface surface;
    TableGrid grid;
};

TEST_F(TableViewTest, EmptyDayShowsTheHeaderInTheUserColourAndWhiteRowsOnBlack) {
    // No colour gives the default; white is a colour.
    for (const auto& [colour, shown] : {std::pair<Colour, QRgb>{-5, kGold}, {0x1000000, kGold}, {0xFFFFFF, kWhite}}) {
        QImage image = Paint(DayList{}, colour)->image.copy();  // picture gone, still the target
        for (int column = 0; column < 4; ++column) {
            const QRect box = Box(column, 0);
            EXPECT_TRUE(Outlined(image, box));
            // Centred titles leave the inner left and right edges free.
            EXPECT_EQ(CountColour(image, QRect(box.left() + 1, 3, 1, 19), shown), 19) << colour;
            EXPECT_EQ(CountColour(image, QRect(box.right() - 1, 3, 1, 19), shown), 19);
            EXPECT_TRUE(Inked(image, column, 0)) << "title of column " << column;
            for (int row = 1; row <= 28; ++row) {
                EXPECT_TRUE(Outlined(image, Box(column, row))) << column << "," << row;
                EXPECT_EQ(CountOther(image, Box(column, row).adjusted(1, 1, -1, -1), kWhite), 0) << column << "," << row;
            }
        }
        QPainter painter(&image);  // blank the boxes: the gaps and margins are left
        for (int cell = 0; cell < 4 * 29; ++cell) painter.fillRect(Box(cell % 4, cell / 4), Qt::black);
        painter.end();
        EXPECT_EQ(CountOther(image, image.rect(), 0), 0);  // also below row 28, which ends at 695
    }
}

// Wrapped subjects and over-long words in the last rows run below their cells,
// across row 29's top and past the table picture's bottom.
TEST_F(TableViewTest, CanvasShowsRowTwentyNineAndMatchesPaintingThirtyRows) {
    DayList list;
    for (int slot = 0; slot < 29; ++slot)
        list.slots[slot] = MakeAppointment("", "09:30", "612345678", "Ana", slot % 2 ? kLongSubject : "Consulta");
    list.slots[26] = MakeAppointment("", "10:00", "1234", std::string(49, 'W'), std::string(60, 'M') + " fin");
    list.slots[28] = MakeAppointment("", "20:00", "600111222", "\xDAltima cita del d\xED" "a", kLongSubject);
    const QImage full = Paint(list, Rgb(30, 60, 90), 30, 2000)->image.copy();
    for (int column = 0; column < 4; ++column) EXPECT_TRUE(Inked(full, column, 29));
    for (int column = 0; column < 4; ++column) {  // time and phone centred, name and subject from the left
        const auto [left, right] = InkMargins(full, column, 1);
        EXPECT_TRUE(column < 2 ? std::abs(left - right) <= 2 : left <= 3) << column << ": " << left << ", " << right;
    }
    for (int column = 0; column < 3; ++column) EXPECT_TRUE(Outlined(full, Box(column, 29)));
    EXPECT_EQ(CountOther(full, QRect(0, 24 * 29 + 24, 1160, 2000), 0), 0);

    const auto cut = Paint(list, Rgb(30, 60, 90), 30);  // 30 rows in the table picture
    EXPECT_TRUE(SameImage(cut->image, full.copy(0, 0, 1160, 704)));
    const auto table = Paint(list, Rgb(30, 60, 90));
    auto canvas = Surface::NewPicture(1160, 2000);
    surface.SelectTarget(*canvas);
    surface.ClearTarget(0x00FF00);  // what the last day left there
    PaintTableCanvas(surface, *canvas, *table, grid);
    EXPECT_TRUE(SameImage(canvas->image, full));

    // A count past the grid paints what the grid holds: its empty cells show nothing.
    ClearTablePicture(surface, *canvas);
    PaintTable(surface, *canvas, grid, 60, 60, 3, 1, kOutlineSilver);
    EXPECT_TRUE(SameImage(canvas->image, full));
}

// One cell at column 0, row 0, left at 3, beside a reference drawn with the
// surface directly: its box and each line at (x, 3 + line * line height).
TEST(CellPaintTest, LinesAreBrokenTrimmedAndPlacedAsAReferenceDrawsThem) {
    Surface surface;
    TableGrid grid;
    const Font* font = surface.NewFont("Tahoma", 9, kBold, 0);
    auto probe = Surface::NewPicture(1, 1);  // fonts are selected per picture
    surface.SelectTarget(*probe);
    surface.SelectFont(font);
    auto blank = [&](int height) {
        auto picture = Surface::NewPicture(1160, height);
        surface.SelectTarget(*picture);
        surface.ClearTarget(0);
        return picture;
    };
    struct Line { int x, index; QString text; };
    struct Case { QString text, fitting; int spare, originX; Alignment alignment; std::vector<Line> lines; };
    const QString word(12, u'W');
    const Case cases[] = {
        // The spare 5 pixels centre "Hora" at 6.5 -> 6 and, one further, 7.5 -> 8.
        {"Hora", "Hora", 5, 0, Alignment::Centre, {{6, 0, "Hora"}}},
        {"Hora", "Hora", 5, 1, Alignment::Centre, {{8, 0, "Hora"}}},
        {"Hora Hora", "Hora", 5, 1, Alignment::Centre, {{8, 0, "Hora"}, {8, 1, "Hora"}}},
        {"  Ana María  ", "Ana María", 100, 3, Alignment::Left, {{7, 0, "Ana María"}}},
        // " WWWW" is no longer than the line above: drawn unmeasured, space and all.
        {"iiiiiiii WWWW", "iiiiiiii", 0, 0, Alignment::Left, {{4, 0, "iiiiiiii"}, {4, 1, " WWWW"}}},
        {"iiiii WWWW", "iiiii", 0, 0, Alignment::Left, {{4, 0, "iiiii"}, {4, 1, " WWWW"}}},  // as long
        {"abcdefgh ij abcdefgh", "abcdefgh", 0, 0, Alignment::Left,
         {{4, 0, "abcdefgh"}, {4, 1, "ij"}, {4, 2, "abcdefgh"}}},
        // A longer word with nowhere to break leaves empty lines up to the last.
        {"Ana " + word, "Ana", 0, 0, Alignment::Left, {{4, 0, "Ana"}, {4, 99, word}}},
    };
    for (const Case& c : cases) {
        const int right = 3 + 1 + surface.TextSize(c.fitting).width() + c.spare;
        TableCell& cell = grid.At(0, 0);
        cell = TableCell{3, 1, right, 22, 0, 0, 0xFFFFFF, 0, " Tahoma ", 9, 1, 0, 0, 0, c.text, c.alignment};
        auto painted = blank(2000);
        PaintTable(surface, *painted, grid, 1, 1, c.originX, 1, kOutlineSilver);
        auto reference = blank(2000);
        surface.DrawBox(3 + c.originX, 2, right + c.originX, 23, kOutlineSilver, 0xFFFFFF);
        surface.SelectFont(font);
        surface.SetColours(0, kTransparent);
        for (const Line& line : c.lines) {
            surface.SetPosition(line.x, 3 + line.index * font->LineHeight());
            surface.PrintLine(line.text);
        }
        EXPECT_TRUE(SameImage(painted->image, reference->image)) << c.text.toStdString();
        surface.SelectTarget(*probe);
    }
}

// A text that reaches the cell's right end runs under the row number: the
// number keeps a box of the cell's own colour, with nothing of the text in it.
TEST(CellPaintTest, TheRowNumberKeepsItsOwnBoxOverATextReachingIt) {
    Surface surface;
    TableGrid grid;
    auto picture = Surface::NewPicture(1160, 100);
    surface.SelectTarget(*picture);
    surface.ClearTarget(0);
    surface.SelectFont(surface.NewFont("Tahoma", 9, kBold, 0));
    const QString text(30, u'W');
    const int right = 4 + surface.TextSize(text).width();  // the text ends at the cell's right edge
    grid.At(0, 0) = TableCell{3, 1, right, 22, 0, 0, 0xFFFFFF, 0, " Tahoma ", 9, 1, 0, 0, 0, text, Alignment::Left, 7};
    PaintTable(surface, *picture, grid, 1, 1, 0, 1, kOutlineSilver);
    const QRect end(right - 8, 3, 7, 20);
    EXPECT_GT(Count(picture->image, end, [](QRgb p) { return qGray(p) < 250; }), 0);  // the grey number
    EXPECT_EQ(Count(picture->image, end, [](QRgb p) { return qGray(p) < 100; }), 0);  // and no black text
}

constexpr QRgb kGrey = 0xD8D8D8;

Appointment Row(const char* date, const char* time, const char* name, const std::string& subject = "Asunto") {
    return MakeAppointment(date, time, "600111222", ToWin1252(QString::fromUtf8(name)), subject);
}

// Monday 7 to Sunday 13 December 2026; Wednesday shown, Thursday today.
WeekView Week(std::vector<Appointment> monday = {}, std::vector<Appointment> wednesday = {}) {
    WeekView week{{2026, 12, 9}, {2026, 12, 10}, {}, {}};
    for (int16_t day = 7; day <= 13; ++day) week.days.push_back({{2026, 12, day}, DayKey({2026, 12, day}), {}});
    week.days[0].rows = std::move(monday);
    week.days[2].rows = std::move(wednesday);
    return week;
}

QRect Band(int band) { return QRect(QPoint(4, 24 * band + 1), QPoint(1154, 24 * band + 22)); }
QRect Cell(int column, int band) {
    return QRect(QPoint(kColumns[column][0], 24 * band + 1), QPoint(kColumns[column][1], 24 * band + 22));
}
bool Inked(const QImage& image, const QRect& box) {
    return Count(image, box.adjusted(1, 1, -1, -1), [](QRgb p) { return qGray(p) < 160; }) > 0;
}

class WeekViewTest : public ::testing::Test {
protected:
    QImage Paint(const WeekView& week, int32_t offset = 0, Colour user = Rgb(255, 215, 0)) {
        auto picture = Surface::NewPicture(1160, 704);
        PaintWeek(surface, *picture, week, user, offset);
        return picture->image.copy();
    }
    Surface surface;
};

// Bands 0..8: Monday's heading and two rows, Tuesday's heading and "sin
// citas", Wednesday's heading and one row, Thursday's heading and "sin citas"...
TEST_F(WeekViewTest, HeadingsRowsAndEmptyDaysStackInTheTableColumns) {
    const std::string longSubject(300, 'W');
    const WeekView week = Week({Row("07/12/2026", "09:30", "Ana Peña"), Row("07/12/2026", "10:00", "Bea", longSubject)},
                               {Row("09/12/2026", "11:00", "Carla")});
    const QImage image = Paint(week);
    struct Expect { int band; QRgb fill; bool cells; };
    const Expect bands[] = {{0, kGrey, false}, {1, kWhite, true}, {2, kWhite, true}, {3, kGrey, false},
                            {4, kWhite, false}, {5, kGold, false}, {6, kWhite, true}, {7, kGrey, false},
                            {8, kWhite, false}, {13, kGrey, false}, {14, kWhite, false}};
    for (const auto& [band, fill, cells] : bands) {
        for (int column = 0; column < (cells ? 4 : 1); ++column) {
            const QRect box = cells ? Cell(column, band) : Band(band);
            EXPECT_TRUE(Outlined(image, box)) << band << "," << column;
            // The inner edges hold no ink: centred or inset texts leave them free.
            EXPECT_EQ(CountColour(image, QRect(box.left() + 1, box.top() + 1, 2, 20), fill), 40) << band;
            EXPECT_EQ(CountColour(image, QRect(box.right() - 2, box.top() + 1, 2, 20), fill), 40) << band;
            EXPECT_TRUE(Inked(image, box)) << band << "," << column;
        }
    }
    QImage gaps = image;  // blank the bands: the gaps, margins and what lies below are black
    QPainter painter(&gaps);
    for (int band = 0; band < 15; ++band) painter.fillRect(Band(band), Qt::black);
    painter.end();
    EXPECT_EQ(CountOther(gaps, gaps.rect(), 0), 0);  // also the long subject, cut before the edge
    EXPECT_EQ(WeekHeight(week), 1 + 15 * 24);
    EXPECT_EQ(LowestWeekOffset(week, 704), 0);
    EXPECT_EQ(CountColour(Paint(week, 0, 0x1000000), QRect(5, 24 * 5 + 2, 2, 20), kGold), 40);  // no colour: gold
    EXPECT_EQ(CountColour(Paint(week, 0, Rgb(0, 0, 255)), QRect(5, 24 * 5 + 2, 2, 20), 0x0000FF), 40);
}

// An occurrence ends its subject with the day table's grey square, and a
// long subject stops short of it.
TEST_F(WeekViewTest, AnOccurrenceCarriesTheRepeatMark) {
    WeekView week = Week({Row("07/12/2026", "09:30", "Ana"), Row("07/12/2026", "10:00", "Bea", std::string(300, 'W'))});
    week.days[0].repetition = {"", "semanal"};
    const QImage image = Paint(week);
    const QRect mark(1145, 24 * 2 + 9, 5, 5), single = mark.translated(0, -24);
    EXPECT_EQ(CountColour(image, mark, 0x808080), 16);
    EXPECT_EQ(CountColour(image, mark.adjusted(1, 1, -1, -1), kWhite), 9);
    EXPECT_EQ(CountColour(image, QRect(1141, 24 * 2 + 2, 4, 20), kWhite), 80);
    EXPECT_EQ(CountColour(image, single, kWhite), 25);
}

TEST_F(WeekViewTest, HeadingsSayTheDateTodayAndTheCount) {
    const WeekView week = Week({Row("07/12/2026", "09:30", "Ana"), Row("07/12/2026", "10:00", "Bea")},
                               {Row("09/12/2026", "11:00", "Carla")});
    const std::pair<int, const char*> headings[] = {
        {0, "Lunes 7 de diciembre de 2026  ·  2 citas"}, {2, "Miércoles 9 de diciembre de 2026  ·  1 cita"},
        {3, "Jueves 10 de diciembre de 2026  ·  hoy"}, {6, "Domingo 13 de diciembre de 2026"}};
    for (const auto& [day, text] : headings) EXPECT_EQ(WeekHeading(week, week.days[day]), QString::fromUtf8(text));
}

// Scrolled, the week is the same picture moved up; only what shows is painted.
TEST_F(WeekViewTest, AnOffsetMovesTheWholeWeekUpToItsEnd) {
    std::vector<Appointment> full;
    for (int i = 0; i < 29; ++i) full.push_back(Row("07/12/2026", "09:00", "Nombre"));
    WeekView week = Week(full, full);
    week.days[4].rows = full;
    const int32_t lowest = LowestWeekOffset(week, 704);
    EXPECT_EQ(lowest, 704 - (1 + (3 * 30 + 4 * 2) * 24));
    QImage whole(1160, 24 * 98 + 24, QImage::Format_RGB32);
    {
        QPainter painter(&whole);
        for (int32_t top = 0; top < whole.height(); top += 704) painter.drawImage(0, top, Paint(week, -top));
    }
    for (const int32_t offset : {-10, -100, -704, -1000, lowest}) {
        QImage expected(1160, 704, QImage::Format_RGB32);
        expected.fill(Qt::black);
        QPainter(&expected).drawImage(0, offset, whole);
        EXPECT_TRUE(SameImage(Paint(week, offset), expected)) << offset;
    }
    EXPECT_TRUE(Outlined(Paint(week, lowest), QRect(QPoint(4, 704 - 24), QPoint(1154, 704 - 3))));  // Sunday's "sin citas" last
}

}  // namespace
}  // namespace quimbaro::testing
