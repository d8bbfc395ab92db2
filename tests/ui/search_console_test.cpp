// buscar, siguiente and anterior typed into the real entry.
#include "ui/shell_fixture.h"
#include "text/win1252.h"
#include "views/month_strip.h"

namespace quimbaro::testing {
namespace {

constexpr QRgb kMatchFill = 0x0050A0;  // Rgb(0, 80, 160)
constexpr QRgb kRowFill = 0xFFFF96;    // Rgb(255, 255, 150)

class SearchTest : public ShellTest {
protected:
    // Names as the entry stores them, in Windows-1252.
    void StoreName(const char* date, const char* time, const char* name, const char* phone = "600111222") {
        ASSERT_TRUE(AppendAppointment(folder, date, time, phone, ToWin1252(QString::fromUtf8(name)), "").Stored());
    }
    // The top-left corner of a day's number in the strip block k (-3..3 from the shown month).
    QPoint DayCorner(int k, int year, int month, int day) {
        const int first = DayOfWeek(year, month, 1) - 1 + (day - 1);
        return {26 + 160 * (k + 3) + (first % 7) * 20, 86 + (first / 7) * 18};
    }
    // The day's box is exactly x - 2 .. x + 16 by y .. y + 14, with black around it.
    bool BoxedExactly(int k, int year, int month, int day) {
        const QImage panel = PanelImage();
        const QPoint p = DayCorner(k, year, month, day);
        return At(panel, p.x() - 2, p.y()) == kMatchFill && At(panel, p.x() + 16, p.y() + 14) == kMatchFill &&
               At(panel, p.x() - 3, p.y()) == 0 && At(panel, p.x() + 17, p.y() + 14) == 0 &&
               At(panel, p.x() - 2, p.y() - 1) == 0 && At(panel, p.x() + 16, p.y() + 15) == 0;
    }
    int MatchPixels() { return CountColour(PanelImage(), PanelImage().rect(), kMatchFill); }
    // A pixel of row r's name cell right of any text.
    QRgb RowFill(int row) { return At(AreaImage(), 540, 30 + 24 * (row - 1)); }
    QStringList BoxTexts(const BoxCatcher& boxes) {
        QStringList texts;
        for (const SeenBox& box : boxes.seen) texts << box.text;
        return texts;
    }
};

TEST_F(SearchTest, BuscarShowsMarksAndSteppingStopsAtBothEnds) {
    StoreName("20/06/2025", "10:00", "PEÑA");
    StoreName("10/12/2026", "09:00", "Otro");
    StoreName("10/12/2026", "12:00", "Peña López");
    StoreName("05/01/2027", "08:00", "Jose Peña");
    StoreName("06/01/2027", "08:00", "Ana");
    Open();
    BoxCatcher boxes;
    Type("buscar pena");  // today is 31/12/2026: the first match from today on
    EXPECT_EQ(Cell(2, 1), "Jose Peña");
    EXPECT_EQ(RowFill(1), kRowFill);
    EXPECT_TRUE(BoxedExactly(0, 2027, 1, 5));
    EXPECT_TRUE(BoxedExactly(-1, 2026, 12, 10));
    EXPECT_EQ(CountColour(PanelImage(), QRect(DayCorner(0, 2027, 1, 6), QSize(18, 15)), kMatchFill), 0);
    EXPECT_TRUE(Marked(2027, 1, 5, kGold));  // the shown day keeps its own mark on the box

    Type("siguiente");
    EXPECT_EQ(Cell(2, 1), "Jose Peña");
    Type("anterior");
    EXPECT_EQ(QStringList({Cell(2, 1), Cell(2, 2)}), QStringList({"Otro", "Peña López"}));
    EXPECT_EQ(QList<QRgb>({RowFill(1), RowFill(2)}), QList<QRgb>({0xFFFFFF, kRowFill}));
    Type("anterior");  // into the other year's file
    EXPECT_EQ(Cell(2, 1), "PEÑA");
    Type("anterior");
    EXPECT_EQ(Cell(2, 1), "PEÑA");
    EXPECT_EQ(BoxTexts(boxes), QStringList({"No hay más citas encontradas después de este día.",
                                            "No hay citas encontradas antes de este día."}));
    for (const SeenBox& box : boxes.seen) EXPECT_EQ(box.frame, kBoxFrame);

    Type("hoy");  // a day change keeps the marks
    EXPECT_TRUE(BoxedExactly(1, 2027, 1, 5));
    ASSERT_GT(MatchPixels(), 0);
    Type("buscar");
    EXPECT_EQ(MatchPixels(), 0);
    Type("siguiente");
    EXPECT_EQ(BoxTexts(boxes).last(), "No hay ninguna búsqueda: escriba buscar y el texto.");
}

TEST_F(SearchTest, PhoneDigitsAccentsAndNoMatch) {
    StoreName("02/12/2026", "10:00", "Bea", "612345678");
    StoreName("03/12/2026", "10:00", "JOSÉ");
    Open();
    BoxCatcher boxes;
    Type("BUSCAR 612 34");  // only earlier matches: the last of them
    EXPECT_EQ(Cell(2, 1), "Bea");
    Type("buscar jose");
    EXPECT_EQ(Cell(2, 1), "JOSÉ");
    EXPECT_EQ(RowFill(1), kRowFill);
    Type("04/12/2026|11:00|1|Josefa|");  // stored while the search is in force
    Type("siguiente");
    EXPECT_EQ(Cell(2, 1), "Josefa");
    EXPECT_TRUE(boxes.seen.empty());
    Type("hoy");
    ASSERT_GT(MatchPixels(), 0);
    Type("buscar zzz");
    EXPECT_EQ(Cell(2, 1), "");  // the day on display stays, its marks go
    EXPECT_EQ(MatchPixels(), 0);
    EXPECT_EQ(BoxTexts(boxes).last(), "Ninguna cita contiene: zzz");
}

}  // namespace
}  // namespace quimbaro::testing
