// "semana" and "imprimir" in the window: the week drawn and scrolled, the
// day coming back as it was, and the pages sent to a printer set to a file.
#include <QFile>
#include <QPrinter>
#include <QProcess>

#include "print/pdf_pages.h"
#include "session/session.h"
#include "ui/shell_fixture.h"
#include "views/week_view.h"

namespace quimbaro::testing {
namespace {

class WeekWindow : public ShellTest {
protected:
    // 200 appointments from Monday 28/12/2026 to Sunday 3/1/2027, today's week.
    void StoreWeek() {
        for (int i = 0; i < 200; ++i) {
            const CalendarDate day = *DaysAfter({2026, 12, 28}, i % 7);
            const std::string time = QString::asprintf("%02d:%02d", 8 + i / 28, (i / 7) % 4 * 15).toStdString();
            Store(DayKey(day).c_str(), time.c_str(), QString::asprintf("Peña Núñez %03d", i).toUtf8().constData());
        }
    }
    // What a session of its own answers to the lines, as the window's is not looked into.
    SessionAnswer Answer(std::initializer_list<const char*> lines) {
        Session session(folder, [this] { return today; }, settings);
        SessionAnswer answer = session.Start();
        for (const char* line : lines) answer = session.Enter(ToWin1252(QString::fromUtf8(line)));
        return answer;
    }
    QImage WeekAt(const WeekView& week, int32_t offset) {
        auto picture = Surface::NewPicture(1160, 704);
        PaintWeek(surface, *picture, week, settings.userColour, offset);
        return picture->image.copy();
    }
    void Press(Qt::Key key) { QTest::keyClick(&window->AppointmentsArea(), key); }
    static QString Poppler(const QString& tool, const QStringList& arguments) {
        QProcess process;
        process.start(tool, arguments);
        EXPECT_TRUE(process.waitForFinished(120000)) << tool.toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    Surface surface;
};

TEST_F(WeekWindow, SemanaDrawsTheWeekTheKeysScrollItAndADayComesBackAsBefore) {
    StoreWeek();
    Open();
    const QImage day = AreaImage(), strip = PanelImage();
    const WeekView week = *Answer({"semana"}).showWeek;
    Type("semana");
    EXPECT_TRUE(SameImage(AreaImage(), WeekAt(week, 0)));
    EXPECT_TRUE(SameImage(PanelImage(), strip));  // the shown day stays
    QTest::mouseClick(&window->AppointmentsArea(), Qt::LeftButton);
    const int32_t& offset = window->State().scrollOffset;
    const int32_t lowest = LowestWeekOffset(week, 704);
    const std::pair<Qt::Key, int32_t> keys[] = {{Qt::Key_PageDown, -100}, {Qt::Key_Down, -110}, {Qt::Key_Up, -100},
                                                {Qt::Key_End, lowest},   {Qt::Key_PageDown, lowest}, {Qt::Key_Home, 0}};
    for (const auto& [key, expected] : keys) {
        Press(key);
        EXPECT_EQ(offset, expected) << key;
        EXPECT_TRUE(SameImage(AreaImage(), WeekAt(week, expected))) << key;
    }
    QTest::mouseClick(&window->CommandLine(), Qt::LeftButton);
    Type("semana siguiente");
    EXPECT_TRUE(SameImage(AreaImage(), WeekAt(*Answer({"semana siguiente"}).showWeek, 0)));
    EXPECT_FALSE(SameImage(PanelImage(), strip));  // the 7th of January is marked
    Type("semana anterior");
    QTest::mouseClick(&window->AppointmentsArea(), Qt::LeftButton);
    Press(Qt::Key_End);
    EXPECT_TRUE(SameImage(AreaImage(), WeekAt(week, lowest)));
    QTest::mouseClick(&window->CommandLine(), Qt::LeftButton);
    Type("hoy");  // at the day's top, though the week was scrolled
    EXPECT_EQ(offset, 0);
    EXPECT_TRUE(SameImage(AreaImage(), day));
    EXPECT_TRUE(SameImage(PanelImage(), strip));
}

// The dialog is the step before: here the printer is set to a PDF file. The
// pages are those print --pdf writes of the same days.
// Another process adds to the shown week: it is drawn again where the user
// had scrolled it.
TEST_F(WeekWindow, AScrolledWeekStaysWhereItWasWhenTheBookChanges) {
    StoreWeek();
    Open();
    Type("semana");
    QTest::mouseClick(&window->AppointmentsArea(), Qt::LeftButton);
    Press(Qt::Key_End);
    const int32_t scrolled = window->State().scrollOffset;
    const QImage before = AreaImage();
    Store("03/01/2027", "07:00", "Recién llegada");  // Sunday's first row: the rows below it move
    const QImage changed = WeekAt(*Answer({"semana"}).showWeek, scrolled);
    ASSERT_FALSE(SameImage(before, changed));
    EXPECT_TRUE(QTest::qWaitFor([&] { return SameImage(AreaImage(), changed); }, 30000));
    EXPECT_EQ(window->State().scrollOffset, scrolled);
}

TEST_F(WeekWindow, ImprimirPrintsTheDayOrTheWeekOnDisplayAsThePdfPages) {
    StoreWeek();
    Open();
    const QString printed = QString::fromStdString((folder / "impreso.pdf").string());
    bool accept = false;
    context->choosePrinter = [&](QPrinter& printer, QWidget&) {
        EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);
        printer.setOutputFileName(printed);
        return accept;
    };
    Type("imprimir");  // cancelled: nothing printed
    EXPECT_FALSE(QFile::exists(printed));
    accept = true;
    for (const char* shown : {"hoy", "semana"}) {
        Type(shown);
        Type("imprimir");
        const QString expected = QString::fromStdString((folder / "esperado.pdf").string());
        QFile file(expected);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const PdfOutcome pages = WritePdfPages(Answer({shown, "imprimir"}).print, today, file);
        file.close();
        EXPECT_EQ(pages.pages, shown == std::string("hoy") ? 1 : 6);
        const QString info = Poppler("pdfinfo", {printed});
        EXPECT_TRUE(info.contains(QStringLiteral("(A4)"))) << info.toStdString();
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages: +%1\n").arg(pages.pages)))) << info.toStdString();
        const QString text = Poppler("pdftotext", {"-layout", printed, "-"});
        EXPECT_EQ(text, Poppler("pdftotext", {"-layout", expected, "-"}));
        EXPECT_TRUE(text.contains(QStringLiteral("Peña Núñez 003"))) << shown;
        QFile::remove(printed);
    }
}

}  // namespace
}  // namespace quimbaro::testing
