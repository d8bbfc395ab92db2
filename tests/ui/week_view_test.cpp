// The week painted at exact pixels, and its bands.
#include <QPainter>

#include "text/win1252.h"
#include "ui/pixels.h"
#include "views/week_view.h"

namespace quimbaro::testing {
namespace {

constexpr QRgb kSilver = 0xC0C0C0, kWhite = 0xFFFFFF, kGold = 0xFFD700, kGrey = 0xD8D8D8;
constexpr int kColumns[4][2] = {{4, 52}, {56, 145}, {149, 548}, {552, 1154}};  // as the day table's

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

bool Outlined(const QImage& image, const QRect& box) {  // silver all along the border
    return CountColour(image, box, kSilver) - CountColour(image, box.adjusted(1, 1, -1, -1), kSilver) ==
           2 * (box.width() + box.height()) - 4;
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
