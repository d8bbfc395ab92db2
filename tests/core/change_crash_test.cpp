// Processes changing the book are killed with SIGKILL at random moments, over
// and over. The files must hold only what was whole before each kill: every
// record intact or deleted (date zeroed), an edit's replacement stored before
// its original went, the settings and the rules old or new, and temporary
// files of killed changes must not pile up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <thread>

#include "book/change_record.h"
#include "repeat/rules_file.h"
#include "repeat/series_change.h"
#include "settings/settings.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::ReadFile;

// Forks work(round), kills it a random delay (up to about a few of its steps)
// after it began, then checks; at least `rounds` times and on until enough()
// says the kills left enough behind, however slowly the machine runs: past
// `rounds`, the delays grow. The cap only stops work that gets nowhere, and fails.
void KillRepeatedly(unsigned seed, int longestDelayMicroseconds, const std::function<void(int)>& work,
                    const std::function<void(int)>& check, const std::function<bool()>& enough, int rounds = 100) {
    std::mt19937 random(seed);
    for (int round = 1; !::testing::Test::HasFailure(); ++round) {
        if (round > rounds && enough()) return;
        ASSERT_LE(round, 50 * rounds) << "the work got too little done between the kills";
        int began[2];
        ASSERT_EQ(pipe(began), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (write(began[1], "", 1) == 1) work(round);
            _exit(1);
        }
        char byte;
        ASSERT_EQ(read(began[0], &byte, 1), 1);
        close(began[0]), close(began[1]);
        const int stretch = 1 + std::max(0, round - rounds) / 50;
        std::this_thread::sleep_for(std::chrono::microseconds(random() % (stretch * longestDelayMicroseconds)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "stopped in round " << round;
        check(round);
    }
}

// Each save writes the colour with an order that follows from it, so a version
// read back shows whether it was written whole; the hand-written rest stays.
TEST(Crash, KilledSettingsSavesLeaveTheOldOrTheNewFileAndKeepEverythingElse) {
    testing::TempFolder folder;
    const fs::path file = folder.path() / kSettingsFileName;
    testing::WriteFile(file, "; a mano\n[Ventana]\nancho=1160\n[Notas]\ntexto=no tocar\n[Colores]\nmean=0\n[Horas]\nOrden_Alfabetico=1\n");
    int32_t previous = 0, versions = 0;
    KillRepeatedly(
        1160955, 15000,  // a save renames and syncs: slower than an append
        [&](int round) {
            SettingsStore store{file};
            for (int32_t colour = round * 100'000;; ++colour) {
                store.userColour = colour;
                store.sortOrder = SortOrder{static_cast<int16_t>(1 + colour % 2)};
                if (!SaveSettings(store)) _exit(1);
            }
        },
        [&](int round) {
            SettingsStore read{file};
            LoadSettings(read);
            const std::string text = ReadFile(file);
            ASSERT_TRUE(read.userColour == previous || read.userColour / 100'000 == round) << text;
            EXPECT_EQ(static_cast<int>(read.sortOrder), 1 + read.userColour % 2) << text;
            for (const char* line : {"; a mano\n", "\nancho=1160\n", "\n[Notas]\ntexto=no tocar\n"})
                EXPECT_NE(text.find(line), std::string::npos) << text;
            EXPECT_EQ(text.find("mean="), text.rfind("mean=")) << text;
            versions += read.userColour != previous;
            previous = read.userColour;
        },
        [&] { return versions >= 10; });  // saves got through between the kills
}

constexpr int kOriginals = 120;

// Even originals are deleted and undeleted; odd ones edited once, every fourth
// into the next year's file. Each round appends one record of its own first.
Appointment Original(int i) {
    char date[16];
    std::snprintf(date, sizeof date, "%02d/%02d/2026", i % 28 + 1, i % 12 + 1);
    return MakeAppointment(date, "10:00", "1", "Persona " + std::to_string(i), std::string(i % 70, 'a'));
}
Appointment Edited(int i) {
    return MakeAppointment(ReadField(Original(i).date).substr(0, 6) + (i % 4 == 3 ? "2027" : "2026"), "11:30", "2",
                           "Editada " + std::to_string(i), "");
}
Appointment Added(int round) { return MakeAppointment("01/01/2026", "09:00", "3", "Nueva " + std::to_string(round), ""); }
StoredRecord At(int i) { return {Original(i), uint64_t(i) * kRecordSize}; }

// Changes record i as the file shows it now, read without the lock as the
// window reads a day.
void ChangeOne(const fs::path& folder, int i) {
    const bool intact = ReadFile(folder / "2026.log").substr(i * kRecordSize, kRecordSize) == Bytes(Original(i));
    StoredRecord added;
    if (i % 2 == 1 && !intact) return;
    const StoreResult result = i % 2 == 1 ? ReplaceRecord(folder, At(i), Edited(i), added)
                               : intact   ? DeleteRecord(folder, At(i))
                                          : Undo(folder, {At(i), std::nullopt});
    if (!result.Stored()) _exit(3);
}

// Every original must be intact or deleted, every record after them one that
// was appended (once) or edited in, and an edited original's replacement
// stored. Answers how many originals are deleted.
int CheckChanges(const fs::path& folder, int rounds) {
    std::map<std::string, int> known;  // records appended or edited in: how often each is there
    for (int i = 1; i < kOriginals; i += 2) known[Bytes(Edited(i))] = 0;
    for (int round = 1; round <= rounds; ++round) known[Bytes(Added(round))] = 0;
    const std::string bytes = ReadFile(folder / "2026.log");
    EXPECT_GE(bytes.size(), kOriginals * kRecordSize) << "records were lost";
    int deleted = 0;
    for (const char* file : {"2026.log", "2027.log"}) {
        const std::string appended = ReadFile(folder / file).substr(file[3] == '6' ? std::min(bytes.size(), kOriginals * kRecordSize) : 0);
        for (std::size_t at = 0; at + kRecordSize <= appended.size(); at += kRecordSize) {
            const auto found = known.find(appended.substr(at, kRecordSize));
            EXPECT_NE(found, known.end()) << "a foreign record in " << file;
            if (found != known.end()) ++found->second;
        }
        // A kill mid-append may leave the start of a record, which the next append writes over.
        const std::string tail = appended.substr(appended.size() / kRecordSize * kRecordSize);
        EXPECT_TRUE(std::any_of(known.begin(), known.end(), [&](const auto& k) { return k.first.starts_with(tail); }));
    }
    for (int i = 0; i < kOriginals && bytes.size() >= kOriginals * kRecordSize; ++i) {
        const std::string record = bytes.substr(i * kRecordSize, kRecordSize);
        const bool gone = record == Bytes(Original(i)).replace(0, 11, 11, '\0');
        EXPECT_TRUE(gone || record == Bytes(Original(i))) << "record " << i << " is torn";
        EXPECT_TRUE(!gone || i % 2 == 0 || known[Bytes(Edited(i))] > 0) << "record " << i << " was lost";
        deleted += gone;
    }
    for (int round = 1; round <= rounds; ++round) EXPECT_LE(known[Bytes(Added(round))], 1) << "appended twice";
    return deleted;
}

TEST(Crash, KilledAppendsAndChangesLeaveEveryRecordWholeOrDeletedAndNoEditLost) {
    testing::TempFolder temp;
    const fs::path folder = temp.path();
    std::string originals;
    for (int i = 0; i < kOriginals; ++i) originals += Bytes(Original(i));
    testing::WriteFile(folder / "2026.log", originals);
    int deletedSeen = 0;
    KillRepeatedly(
        20261207, 6000,
        [&](int round) {
            const Appointment a = Added(round);
            if (!AppendAppointment(folder, a.date, a.time, a.phone, a.name, a.subject).Stored()) _exit(3);
            std::mt19937 pick(round);
            for (int n = 0; n < 40; ++n) ChangeOne(folder, int(pick() % kOriginals));
            for (;;) pause();
        },
        [&](int round) { deletedSeen += CheckChanges(folder, round); },
        [&] {  // the kills left changes behind to check, and appends got through
            return deletedSeen > 2000 && ReadFile(folder / "2026.log").size() > (kOriginals + 20) * kRecordSize;
        },
        200);
}

// Each change removes the series' next week; the folder starts with the
// temporary file a killed change leaves.
TEST(Crash, KilledRuleChangesLeaveTheOldOrTheNewRules) {
    testing::TempFolder temp;
    const fs::path folder = temp.path();
    const auto added = AddSeries(folder, MakeAppointment("07/12/2026", "10:00", "1", "Ana", "x"),
                                 {Frequency::Weekly, 1, std::nullopt, 0});
    ASSERT_TRUE(added.Done()) << added.error;
    const std::string uid = added.undo->states[0].uid;
    const auto week = [](std::size_t n) { return *DaysAfter({2026, 12, 7}, 7 * int(n)); };
    testing::WriteFile(folder / ".repeticiones-tmp-0123456789ab", "BEGIN:VCALENDAR");
    std::size_t previous = 0;
    int grew = 0;
    KillRepeatedly(
        20261207, 20000,  // a change renames and syncs
        [&](int) {
            for (std::size_t n = previous + 1;; ++n)
                if (!SkipOccurrence(folder, {uid, week(n), ""}).Done()) _exit(3);
        },
        [&](int round) {
            const RulesRead rules = ReadRules(folder);
            ASSERT_TRUE(rules.Whole()) << rules.problem;
            ASSERT_EQ(rules.series.size(), 1u);
            const std::vector<CalendarDate>& gone = rules.series[0].excluded;
            ASSERT_GE(gone.size(), previous);
            for (std::size_t n = 0; n < gone.size(); ++n) ASSERT_EQ(gone[n], week(n + 1));
            grew += gone.size() > previous;
            previous = gone.size();
            // The rules, the lock, and the last kill's temporary file at most.
            ASSERT_LE(std::distance(fs::directory_iterator(folder), {}), 3) << "round " << round;
        },
        [&] { return grew >= 10; });
}

// The next change clears a killed change's temporary file, and nothing else:
// not another writer's, not a name of another shape, not a link named like
// ours (nor what it points to).
TEST(Crash, TheNextChangeClearsOnlyOurLeftoverTemporaryFile) {
    testing::TempFolder temp, outside;
    const fs::path folder = temp.path(), target = outside.path() / "target";
    testing::WriteFile(target, "kept");
    const std::string leftover = ".repeticiones-tmp-0123456789ab", link = ".repeticiones-tmp-ffffffffffff";
    const std::vector<std::string> others = {".quimbaro-tmp-0123456789ab", ".repeticiones-tmp-0123456789AB",
                                             ".repeticiones-tmp-0123456789abc", "repeticiones-tmp-0123456789ab"};
    for (const std::string& name : others) testing::WriteFile(folder / name, "x");
    testing::WriteFile(folder / leftover, "BEGIN:VCALENDAR");
    fs::create_symlink(target, folder / link);
    const auto added = AddSeries(folder, MakeAppointment("07/12/2026", "10:00", "1", "Ana", "x"), {});
    ASSERT_TRUE(added.Done()) << added.error;
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder / leftover)));
    for (const std::string& name : others) EXPECT_EQ(ReadFile(folder / name), "x") << name;
    EXPECT_TRUE(fs::is_symlink(folder / link));
    EXPECT_EQ(ReadFile(target), "kept");
    EXPECT_EQ(std::count_if(fs::directory_iterator(folder), {}, [](const auto& entry) {  // the link and two other shapes
                  return entry.path().filename().string().starts_with(".repeticiones-tmp-");
              }), 3);
    EXPECT_EQ(ReadRules(folder).series.size(), 1u);
}

}  // namespace
}  // namespace quimbaro
