// Processes changing the book are killed with SIGKILL at random moments, over
// and over, or two change one year file at once. The files must hold only
// what was whole before each kill: every record intact or deleted (date
// zeroed), an edit's replacement stored before its original went.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>

#include "book/change_record.h"
#include "settings/settings.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::ReadFile;

// Forks work(round) kills times, kills it after a random delay up to about a
// few of its steps (longer on slow builds), then checks.
void KillRepeatedly(unsigned seed, int longestDelayMicroseconds, const std::function<void(int)>& work,
                    const std::function<void(int)>& check, int kills = 100) {
    std::mt19937 random(seed);
    for (int round = 1; round <= kills && !::testing::Test::HasFailure(); ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) work(round), _exit(1);
        ASSERT_TRUE(testing::KillAfter(child, std::chrono::microseconds(random() % longestDelayMicroseconds))) << "stopped in round " << round;
        check(round);
    }
}

// Record n of the year file: every field follows from n; subjects run past
// their width now and then.
std::string Generated(uint64_t n, bool append = false, const fs::path& folder = {}) {
    const std::string time = std::to_string(n / 60 % 24) + ":" + std::to_string(n % 60), phone = std::to_string(600000000 + n);
    const std::string name = "Persona n\xFAmero " + std::to_string(n), subject = "Asunto " + std::string(n % 97, 'a' + n % 26);
    if (append && !AppendAppointment(folder, "05/12/2026", time, phone, name, subject).Stored()) _exit(1);
    return Bytes(MakeAppointment("05/12/2026", time, phone, name, subject));
}

// Every tenth round the tail is torn as a crash of the machine would leave it;
// the next append must write over it.
TEST(Crash, KilledAppendsLeaveWholeRecordsAndAtMostATornTailTheNextAppendRepairs) {
    testing::TempFolder folder;
    const fs::path file = YearFilePath(folder.path(), "05/12/2026");
    std::string expected, torn;
    KillRepeatedly(
        20261205, 6000,
        [&](int) {  // a hundred appends at most, so the file stays quick to check
            for (uint64_t n = expected.size() / kRecordSize, last = n + 100; n < last; ++n) Generated(n, true, folder.path());
            for (;;) pause();
        },
        [&](int round) {
            const std::string bytes = ReadFile(file);
            for (uint64_t n = expected.size() / kRecordSize; n < bytes.size() / kRecordSize; ++n) expected += Generated(n);
            ASSERT_EQ(bytes.substr(0, expected.size()), expected) << "round " << round;
            const std::string tail = bytes.substr(expected.size());
            EXPECT_TRUE(Generated(expected.size() / kRecordSize).starts_with(tail) || tail == torn) << tail.size();
            if (tail != torn) torn.clear();  // written over by now
            if (round % 10 == 0) testing::WriteFile(file, expected + (torn = std::string(1 + round % 150, static_cast<char>(round))));
        });
    Generated(expected.size() / kRecordSize, true, folder.path());
    EXPECT_EQ(ReadFile(file), expected + Generated(expected.size() / kRecordSize));
    EXPECT_GT(expected.size() / kRecordSize, 100u);  // appends got through
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
            for (int32_t colour = round * 1'000'000;; ++colour) {
                store.userColour = colour;
                store.sortOrder = static_cast<int16_t>(1 + colour % 2);
                if (!Settings("save", store)) _exit(1);
            }
        },
        [&](int round) {
            SettingsStore read{file};
            Settings("get", read);
            const std::string text = ReadFile(file);
            ASSERT_TRUE(read.userColour == previous || read.userColour / 1'000'000 == round) << text;
            EXPECT_EQ(read.sortOrder, 1 + read.userColour % 2) << text;
            for (const char* line : {"; a mano\n", "\nancho=1160\n", "\n[Notas]\ntexto=no tocar\n"})
                EXPECT_NE(text.find(line), std::string::npos) << text;
            EXPECT_EQ(text.find("mean="), text.rfind("mean=")) << text;
            versions += read.userColour != previous;
            previous = read.userColour;
        });
    EXPECT_GE(versions, 10);  // saves got through between the kills
}

constexpr int kOriginals = 120;

// Even originals are deleted and undeleted; odd ones edited once, every fourth
// into the next year's file. Appends come from process p as its k-th.
Appointment Original(int i) {
    char date[16];
    std::snprintf(date, sizeof date, "%02d/%02d/2026", i % 28 + 1, i % 12 + 1);
    return MakeAppointment(date, "10:00", "1", "Persona " + std::to_string(i), std::string(i % 70, 'a'));
}
Appointment Edited(int i) {
    return MakeAppointment(ReadField(Original(i).date).substr(0, 6) + (i % 4 == 3 ? "2027" : "2026"), "11:30", "2",
                           "Editada " + std::to_string(i), "");
}
Appointment Added(int p, int k) { return MakeAppointment("01/01/2026", "09:00", std::to_string(p), "Nueva " + std::to_string(k), ""); }
StoredRecord At(int i) { return {Original(i), uint64_t(i) * kRecordSize}; }

fs::path WithOriginals(const fs::path& folder) {
    std::string originals;
    for (int i = 0; i < kOriginals; ++i) originals += Bytes(Original(i));
    testing::WriteFile(folder / "2026.log", originals);
    return folder;
}

// Changes record i as the file shows it now, read without the lock as the
// window reads a day and looked at for a while: 'D', 'R', 'E' for what was
// done, '-' for nothing, '!' when the record changed before the lock.
char ChangeOne(const fs::path& folder, int i, std::chrono::microseconds look = {}) {
    const bool intact = ReadFile(folder / "2026.log").substr(i * kRecordSize, kRecordSize) == Bytes(Original(i));
    std::this_thread::sleep_for(look);
    StoredRecord added;
    if (i % 2 == 1 && !intact) return '-';
    const char done = i % 2 == 1 ? 'E' : intact ? 'D' : 'R';
    const StoreResult result = done == 'E' ? ReplaceRecord(folder, At(i), Edited(i), added)
                               : done == 'D' ? DeleteRecord(folder, At(i))
                                             : Undo(folder, {At(i), std::nullopt});
    if (result.error == StoreError::Changed) return '!';
    if (!result.Stored()) _exit(3);
    return done;
}

// What the files hold: which originals are deleted, and how many copies of
// each appended record ("E i" or "A p k").
struct Census {
    std::vector<bool> deleted = std::vector<bool>(kOriginals);
    std::map<std::string, int> copies;
};

Census TakeCensus(const fs::path& folder, int appends = 0) {
    std::map<std::string, std::string> known;
    for (int i = 1; i < kOriginals; i += 2) known[Bytes(Edited(i))] = "E " + std::to_string(i);
    for (int k = 0; k < appends; ++k)
        for (int p = 0; p < 2; ++p) known[Bytes(Added(p, k))] = "A " + std::to_string(p) + " " + std::to_string(k);
    Census census;
    const std::string bytes = ReadFile(folder / "2026.log");
    EXPECT_GE(bytes.size(), kOriginals * kRecordSize) << "records were lost";
    for (int i = 0; i < kOriginals && bytes.size() >= kOriginals * kRecordSize; ++i) {
        const std::string record = bytes.substr(i * kRecordSize, kRecordSize);
        census.deleted[i] = record == Bytes(Original(i)).replace(0, 11, 11, '\0');
        EXPECT_TRUE(census.deleted[i] || record == Bytes(Original(i))) << "record " << i << " is torn";
    }
    for (const auto& [from, file] : {std::pair{kOriginals * kRecordSize, "2026.log"}, {std::size_t{0}, "2027.log"}}) {
        const std::string appended = ReadFile(folder / file).substr(std::min(from, bytes.size()));
        for (std::size_t at = 0; at + kRecordSize <= appended.size(); at += kRecordSize) {
            const auto found = known.find(appended.substr(at, kRecordSize));
            EXPECT_NE(found, known.end()) << "a foreign record in " << file;
            ++census.copies[found == known.end() ? "foreign" : found->second];
        }
        // A kill mid-append may leave the start of a record, which the next append writes over.
        const std::string tail = appended.substr(appended.size() / kRecordSize * kRecordSize);
        EXPECT_TRUE(std::any_of(known.begin(), known.end(), [&](const auto& k) { return k.first.starts_with(tail); }));
    }
    for (int i = 1; i < kOriginals; i += 2)
        EXPECT_TRUE(!census.deleted[i] || census.copies["E " + std::to_string(i)] > 0) << "record " << i << " was lost";
    return census;
}

TEST(Crash, KilledChangesLeaveEveryRecordIntactOrDeletedAndNoEditLost) {
    testing::TempFolder temp;
    const fs::path folder = WithOriginals(temp.path());
    int deletedSeen = 0;
    KillRepeatedly(
        20261207, 6000,
        [&](int round) {
            std::mt19937 pick(round);
            for (int n = 0; n < 40; ++n) ChangeOne(folder, int(pick() % kOriginals));
            for (;;) pause();
        },
        [&](int) {
            const Census census = TakeCensus(folder);
            deletedSeen += int(std::count(census.deleted.begin(), census.deleted.end(), true));
        },
        200);
    EXPECT_GT(deletedSeen, 200);  // the kills left changes behind to check
}

// Each process logs what it did; the files must show exactly that.
TEST(ChangeRace, TwoProcessesChangingAndAppendingLoseAndDeleteNothingUnasked) {
    testing::TempFolder temp{true};
    const fs::path folder = WithOriginals(temp.path());
    constexpr int kOperations = 1500, kContested = 6;  // few records: the copies often meet on one
    pid_t children[2];
    for (int p = 0; p < 2; ++p) {
        if ((children[p] = fork()) != 0) continue;
        std::mt19937 pick(p + 1);
        std::ofstream log(folder / ("log" + std::to_string(p)));
        for (int k = 0; k < kOperations; ++k) {
            const Appointment a = Added(p, k);
            const int i = int(pick() % kContested);
            if (pick() % 4 != 0) {
                log << ChangeOne(folder, i, std::chrono::microseconds(pick() % 100)) << ' ' << i << '\n';
            } else if (AppendAppointment(folder, a.date, a.time, a.phone, a.name, a.subject).Stored()) {
                log << "A " << p << ' ' << k << '\n';
            }
        }
        log.close();  // _exit runs no destructors
        _exit(log.good() ? 0 : 4);
    }
    std::map<std::string, int> done;  // "D 4", "A 1 7", ...: how often each succeeded
    for (int p = 0; p < 2; ++p) {
        int status = 0;
        ASSERT_EQ(waitpid(children[p], &status, 0), children[p]);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        std::ifstream log(folder / ("log" + std::to_string(p)));
        for (std::string line; std::getline(log, line);) ++done[line];
    }
    Census census = TakeCensus(folder, kOperations);
    for (int i = 0; i < kContested; ++i) {
        const std::string n = " " + std::to_string(i);  // deletions and undos alternate; an edit is done once
        EXPECT_EQ(census.deleted[i], i % 2 == 0 ? done["D" + n] == done["R" + n] + 1 : done["E" + n] == 1) << i;
        EXPECT_EQ(census.copies["E" + n], done["E" + n]) << i;
    }
    for (const auto& [line, count] : done) {
        if (line[0] != 'A') continue;
        EXPECT_EQ(census.copies[line], 1) << line;
    }
}

}  // namespace
}  // namespace quimbaro
