// Syncing from the window: "sincronizar" runs in the background while the
// window goes on answering, and the timer's syncs speak only of a failure,
// once, and not while a line is being typed.
#include <QSignalSpy>
#include <tuple>

#include "shell_fixture.h"
#include "sync/background_sync.h"

namespace quimbaro::testing {
namespace {

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

TEST_F(SyncFromWindow, TheTimerTellsOfAFailureOnceAndNotWhileTyping) {
    QStringList told;
    // The user starts typing while a sync runs: the timer asks before the
    // sync (not typing), the end of the sync asks again (typing).
    bool typingMeanwhile = false;
    int asked = 0;
    const auto typing = [&] { return typingMeanwhile && ++asked % 2 == 0; };
    WriteFile(settings.file, "[Sincronizar]\ncarpeta=vdir\norden=test -e " + go.string() + "\n");
    BackgroundSync syncing({folder, settings.file, [] { return CalendarDate{2026, 12, 31}; }, typing,
                            [&](const QString& text) { told << text; }},
                           std::chrono::milliseconds(20), nullptr);
    QSignalSpy finished(&syncing, &BackgroundSync::Finished);
    const auto runs = [&](int n) {
        for (const int start = int(finished.size()); finished.size() < start + n;) ASSERT_TRUE(finished.wait(60000));
    };
    runs(3);  // failing each time
    EXPECT_EQ(told.size(), 1);
    EXPECT_TRUE(told.value(0).contains("la orden terminó con el código 1")) << told.value(0).toStdString();
    WriteFile(go, "");
    runs(2);
    typingMeanwhile = true;  // no sync runs right after one ended
    std::filesystem::remove(go);
    runs(1);  // failing again, ending while a line is typed: held back
    EXPECT_EQ(told.size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(told.size(), 2, 60000);  // told once the entry is empty
    runs(2);
    EXPECT_EQ(told.size(), 2);
}

}  // namespace
}  // namespace quimbaro::testing
