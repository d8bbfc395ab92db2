// The open window follows the shown day's year file: what another process
// writes there is drawn within moments, with the entry and the scroll kept.
#include <QPainter>
#include <QProcess>

#include "access/spoken_texts.h"
#include "text/messages.h"
#include "ui/shell_fixture.h"

namespace quimbaro::testing {
namespace {

constexpr int kPatience = 30000;  // milliseconds; generous for a loaded machine, never reached when all is well

class LiveViewTest : public ShellTest {
protected:
    // The day as a fresh "hoy" draws it, the entry put back as it was.
    QImage FreshDay() {
        const QString typed = window->CommandLine().text();
        window->EnterLine("hoy");
        window->CommandLine().setText(typed);
        return AreaImage();
    }
    bool ShowsCanvasAt(int offset) {
        QImage shown(1160, 704, QImage::Format_RGB32);
        shown.fill(Qt::black);
        QPainter(&shown).drawImage(0, offset, window->State().canvasImage->image);
        return SameImage(AreaImage(), shown);
    }
};

// Another process appends, renames a new file over the year file, writes
// into that one and deletes it: each time the table shows what the file holds.
TEST_F(LiveViewTest, ChangesByAnotherProcessAreDrawnAndTheTypedLineStays) {
    Store({"31/12/2026 10:00 Carla"});
    MainWindow& w = Open();
    QTest::keyClicks(&w.CommandLine(), "borrar 1");  // typed while row 1 is Carla, not yet entered
    const std::filesystem::path file = folder / "2026.log";
    const std::pair<std::function<void()>, QStringList> changes[] = {
        {[&] {
             QProcess add;
             add.start(QUIMBARO_BINARY, {"--data", QString::fromStdString(folder.string()), "add",
                                         "31/12/2026|08:00|600111222|Ana|Asunto"});
             ASSERT_TRUE(add.waitForFinished(kPatience));
             ASSERT_EQ(add.exitCode(), 0) << add.readAllStandardError().toStdString();
         },
         {"Ana", "Carla", ""}},
        {[&] {
             WriteFile(folder / "nuevo.tmp", Record("31/12/2026", "09:00", "Bea"));
             std::filesystem::rename(folder / "nuevo.tmp", file);
         },
         {"Bea", "", ""}},
        {[&] { Store("31/12/2026", "07:00", "Dora"); }, {"Dora", "Bea", ""}},  // into the renamed file
        {[&] { std::filesystem::remove(file); }, {"", "", ""}},
    };
    for (const auto& [change, names] : changes) {
        change();
        EXPECT_TRUE(QTest::qWaitFor([&] { return QStringList({Cell(2, 1), Cell(2, 2), Cell(2, 3)}) == names; }, kPatience))
            << names.join(",").toStdString();
        const QImage live = AreaImage();
        EXPECT_TRUE(SameImage(live, FreshDay()));
        EXPECT_EQ(w.CommandLine().text(), "borrar 1");
    }
    Store("31/12/2026", "10:00", "Eva");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Cell(2, 1) == "Eva"; }, kPatience));
    BoxCatcher boxes;
    QTest::keyClick(&w.CommandLine(), Qt::Key_Return);  // row 1 is no longer the one it was typed for
    ASSERT_EQ(boxes.seen.size(), 1);
    EXPECT_TRUE(boxes.seen[0].endsWith(QString::fromUtf8(kRowsRedrawnText)));
    EXPECT_EQ(w.CommandLine().text(), "borrar 1");
    EXPECT_EQ(Cell(2, 1), "Eva");
    w.CommandLine().clear();
    Type("02/01/2027");  // another year's file is followed from now on
    Store("02/01/2027", "09:00", "Fede");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Cell(2, 1) == "Fede"; }, kPatience));  // its file made
    Store("02/01/2027", "10:00", "Gil");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Cell(2, 2) == "Gil"; }, kPatience));  // and written to
}

// A scrolled day stays scrolled, a pending edit stays pending.
TEST_F(LiveViewTest, AScrolledDayAndAPendingEditSurviveTheRedraw) {
    for (int r = 1; r <= 28; ++r) Store("31/12/2026", qPrintable(QString::asprintf("%02d:00", r)), "Nombre");
    MainWindow& w = Open();
    Type("editar 3");
    QTest::keyClick(&w.AppointmentsArea(), Qt::Key_PageDown);
    ASSERT_TRUE(ShowsCanvasAt(-100));
    Store("31/12/2026", "00:30", "Primera");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Cell(2, 1) == "Primera"; }, kPatience));
    EXPECT_EQ(w.State().scrollOffset, -100);
    EXPECT_TRUE(ShowsCanvasAt(-100));
    EXPECT_EQ(w.CommandLine().text(), "31/12/2026|03:00|600111222|Nombre|Asunto");
    EXPECT_EQ(w.CommandLine().accessibleDescription(), EntryDescription({true, 4}));  // Nombre 03:00 is row 4 now
    EXPECT_EQ(w.CommandLine().palette().color(QPalette::Base), QColor(CommandLineEdit::kEditingBase));
}

}  // namespace
}  // namespace quimbaro::testing
