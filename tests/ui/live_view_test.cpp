// The open window follows the shown day's year file: what another process
// writes there is drawn within moments, with the entry and the scroll kept.
// Syncing from the window: "sincronizar" runs in the background while the
// window goes on answering, and the timer's syncs speak only of a failure,
// once, and not while a line is being typed.
#include <QProcess>
#include <QSignalSpy>
#include <tuple>

#include "access/spoken_texts.h"
#include "sync/background_sync.h"
#include "text/messages.h"
#include "ui/shell_fixture.h"

namespace quimbaro::testing {
namespace {

constexpr int kPatience = 30000;  // milliseconds: generous for a loaded machine, never reached when all is well

class LiveViewTest : public ShellTest {
protected:
    // Rows 1 and 2's names, waited for.
    ::testing::AssertionResult Shows(const QString& names) {
        if (QTest::qWaitFor([&] { return Cell(2, 1) + "," + Cell(2, 2) == names; }, kPatience))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "still " << qPrintable(Cell(2, 1) + "," + Cell(2, 2));
    }
    // The day as a fresh "hoy" draws it, the entry put back as it was.
    QImage FreshDay() {
        const QString typed = window->CommandLine().text();
        window->EnterLine("hoy");
        window->CommandLine().setText(typed);
        return AreaImage();
    }
};

// Another process appends, renames a new file over the year file, writes
// into that one and deletes it: each time the table shows what the file holds.
TEST_F(LiveViewTest, ChangesByAnotherProcessAreDrawnAndTheTypedLineStays) {
    Store({"31/12/2026 10:00 Carla"});
    MainWindow& w = Open();
    QTest::keyClicks(&w.CommandLine(), "borrar 1");  // typed while row 1 is Carla, not yet entered
    const std::filesystem::path file = folder / "2026.log";
    const std::pair<std::function<void()>, QString> changes[] = {
        {[&] {
             QProcess add;
             add.start(QUIMBARO_BINARY, {"--data", QString::fromStdString(folder.string()), "add",
                                         "31/12/2026|08:00|600111222|Ana|Asunto"});
             ASSERT_TRUE(add.waitForFinished(kPatience) && add.exitCode() == 0) << add.readAllStandardError().data();
         }, "Ana,Carla"},
        {[&] {
             WriteFile(folder / "nuevo.tmp", Record("31/12/2026", "09:00", "Bea"));
             std::filesystem::rename(folder / "nuevo.tmp", file);
         }, "Bea,"},
        {[&] { Store("31/12/2026", "07:00", "Dora"); }, "Dora,Bea"},  // into the renamed file
        {[&] { std::filesystem::remove(file); }, ","}};
    for (const auto& [change, names] : changes) {
        change();
        EXPECT_TRUE(Shows(names));
        EXPECT_TRUE(SameImage(AreaImage(), FreshDay()));
        EXPECT_EQ(w.CommandLine().text(), "borrar 1");
    }
    Store("31/12/2026", "10:00", "Eva");
    ASSERT_TRUE(Shows("Eva,"));
    BoxCatcher boxes;
    QTest::keyClick(&w.CommandLine(), Qt::Key_Return);  // row 1 is no longer the one it was typed for
    ASSERT_EQ(boxes.seen.size(), 1);
    EXPECT_TRUE(boxes.seen[0].endsWith(QString::fromUtf8(kRowsRedrawnText)));
    EXPECT_EQ(w.CommandLine().text(), "borrar 1");
    w.CommandLine().clear();
    Type("02/01/2027");  // another year's file is followed from now on: made, then written to
    Store("02/01/2027", "09:00", "Fede");
    EXPECT_TRUE(Shows("Fede,"));
    Store("02/01/2027", "10:00", "Gil");
    EXPECT_TRUE(Shows("Fede,Gil"));
}

// A scrolled day stays scrolled, a pending edit stays pending.
TEST_F(LiveViewTest, AScrolledDayAndAPendingEditSurviveTheRedraw) {
    for (int r = 1; r <= 28; ++r) Store("31/12/2026", qPrintable(QString::asprintf("%02d:00", r)), "Nombre");
    MainWindow& w = Open();
    Type("editar 3");
    QTest::keyClick(&w.AppointmentsArea(), Qt::Key_PageDown);
    Store("31/12/2026", "00:30", "Primera");
    ASSERT_TRUE(Shows("Primera,Nombre"));
    const QImage live = AreaImage();
    QTest::keyClick(&w.AppointmentsArea(), Qt::Key_Home);
    QTest::keyClick(&w.AppointmentsArea(), Qt::Key_PageDown);
    EXPECT_TRUE(SameImage(live, AreaImage()));  // as the new day scrolled by hand
    EXPECT_EQ(w.CommandLine().text(), "31/12/2026|03:00|600111222|Nombre|Asunto");
    EXPECT_EQ(w.CommandLine().accessibleDescription(), EntryDescription({true, 4}));  // 03:00 is row 4 now
    EXPECT_EQ(w.CommandLine().palette().color(QPalette::Base), QColor(CommandLineEdit::kEditingBase));
}

class SyncFromWindow : public ShellTest {
protected:
    void SetUp() override {
        vdir = folder / "vdir";
        go = folder / "go";
        // The command waits for the test to let it go (a minute at most).
        WriteFile(settings.file, "[Sincronizar]\ncarpeta=vdir\norden=for i in $(seq 1200); do [ -e " + go.string() +
                                     " ] && exit 0; sleep 0.05; done; exit 1\n");
    }
    std::filesystem::path vdir, go;
};

TEST_F(SyncFromWindow, SincronizarRunsInTheBackgroundAndSaysWhatItDid) {
    Store({"31/12/2026 09:30 Ana"});
    Open();
    BoxCatcher boxes;
    QSignalSpy finished(&window->Syncing(), &BackgroundSync::Finished);
    Type("sincronizar");
    EXPECT_TRUE(window->Syncing().Running());
    Type("ayer");  // the window answers while the command runs
    const CalendarDate shown = window->Facts().day.date;
    EXPECT_EQ(std::tuple(shown.year, shown.month, shown.day), std::tuple(2026, 12, 30));
    Type("sincronizar");  // a second one is refused while the first runs
    WriteFile(go, "");
    ASSERT_TRUE(finished.wait(120000));
    ASSERT_EQ(boxes.seen.size(), 2);
    EXPECT_EQ(boxes.seen[0], "Ya hay una sincronización en marcha; espere a que termine.");
    EXPECT_TRUE(boxes.seen[1].startsWith("Sincronización: 1 archivos escritos, 0 citas añadidas")) << boxes.seen[1].toStdString();
    EXPECT_EQ(std::count_if(std::filesystem::directory_iterator(vdir), {},
                            [](const auto& e) { return e.path().extension() == ".ics"; }), 1);
}

// The command's outcome and the user's typing are files the test sets: a
// sync may start at any tick, so no step may depend on which one runs when.
TEST_F(SyncFromWindow, TheTimerTellsOfAFailureOnceAndNotWhileTyping) {
    QStringList told;
    const std::filesystem::path typing = folder / "typing", failTyping = folder / "fail-typing";
    // With fail-typing, the user starts typing during the sync, which fails.
    WriteFile(settings.file, "[Sincronizar]\ncarpeta=vdir\norden=if [ -e " + failTyping.string() + " ]; then touch " +
                                 typing.string() + "; exit 1; fi; test -e " + go.string() + "\n");
    int askedWhileTyping = 0;
    const auto isTyping = [&] { return std::filesystem::exists(typing) && ++askedWhileTyping > 0; };
    BackgroundSync syncing({folder, settings.file, [] { return CalendarDate{2026, 12, 31}; }, isTyping,
                            [&](const QString& text) { told << text; }},
                           std::chrono::milliseconds(20), nullptr);
    QSignalSpy finished(&syncing, &BackgroundSync::Finished);
    const auto runs = [&](int n) {
        for (const int start = int(finished.size()); finished.size() < start + n;) ASSERT_TRUE(finished.wait(60000));
    };
    runs(3);  // failing each time: told once
    EXPECT_EQ(told.size(), 1);
    EXPECT_TRUE(told.value(0).contains("la orden terminó con el código 1")) << told.value(0).toStdString();
    WriteFile(go, "");
    runs(2);  // the second began after go was there: a success, so the next failure is news
    WriteFile(failTyping, "");
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(typing); }, kPatience));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !syncing.Running(); }, kPatience));
    const qsizetype finishes = finished.size();
    ASSERT_TRUE(QTest::qWaitFor([&] { return askedWhileTyping >= 3; }, kPatience));  // ticks that saw the typing
    EXPECT_EQ(finished.size(), finishes);  // started no sync
    EXPECT_EQ(told.size(), 1);  // and held the failure back
    std::filesystem::remove(go);
    std::filesystem::remove(failTyping);
    std::filesystem::remove(typing);  // the entry emptied
    EXPECT_TRUE(QTest::qWaitFor([&] { return told.size() == 2; }, kPatience));
    EXPECT_TRUE(told.value(1).contains("la orden terminó con el código 1"));
    runs(2);  // failing on: not told again
    EXPECT_EQ(told.size(), 2);
}

}  // namespace
}  // namespace quimbaro::testing
