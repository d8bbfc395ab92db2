// Deletions, edits and undos under stress: a child killed with SIGKILL over
// and over, and two processes changing one year file at once. The file alone
// must show every original record intact or deleted (date zeroed), and an
// edited record's replacement stored before the original went.

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <thread>

#include "book/change_record.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

namespace fs = std::filesystem;
constexpr int kOriginals = 120;

std::string Bytes(const Appointment& record) { return std::string(reinterpret_cast<const char*>(&record), kRecordSize); }

std::string Date(int i, int year) {
    char date[16];
    std::snprintf(date, sizeof date, "%02d/%02d/%d", i % 28 + 1, i % 12 + 1, year);
    return date;
}

// Even records are deleted and undeleted; odd ones edited once, every fourth
// into the next year's file. Appends come from process p as its k-th.
Appointment Original(int i) { return MakeAppointment(Date(i, 2026), "10:00", "1", "Persona " + std::to_string(i), std::string(i % 70, 'a')); }
Appointment Edited(int i) { return MakeAppointment(Date(i, i % 4 == 3 ? 2027 : 2026), "11:30", "2", "Editada " + std::to_string(i), ""); }
Appointment Added(int p, int k) { return MakeAppointment("01/01/2026", "09:00", std::to_string(p), "Nueva " + std::to_string(k), ""); }
StoredRecord At(int i) { return {Original(i), uint64_t(i) * kRecordSize}; }

// Changes record i as the file shows it now, read without the lock as the
// window reads a day and looked at for a while: 'D', 'R', 'E' for what was
// done, '-' for nothing, '!' when the record changed before the lock.
char ChangeOne(const fs::path& folder, int i, std::chrono::microseconds look = {}) {
    std::string now(kRecordSize, '\0');
    std::ifstream(folder / "2026.log", std::ios::binary).seekg(i * kRecordSize).read(now.data(), kRecordSize);
    std::this_thread::sleep_for(look);
    const bool intact = now == Bytes(Original(i));
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
    const std::string bytes = testing::ReadFile(folder / "2026.log");
    EXPECT_GE(bytes.size(), kOriginals * kRecordSize) << "records were lost";
    for (int i = 0; i < kOriginals && bytes.size() >= kOriginals * kRecordSize; ++i) {
        const std::string record = bytes.substr(i * kRecordSize, kRecordSize);
        census.deleted[i] = record == Bytes(Original(i)).replace(0, 11, 11, '\0');
        EXPECT_TRUE(census.deleted[i] || record == Bytes(Original(i))) << "record " << i << " is torn";
    }
    for (const auto& [from, file] : {std::pair{kOriginals * kRecordSize, "2026.log"}, {std::size_t{0}, "2027.log"}}) {
        const std::string appended = testing::ReadFile(folder / file).substr(std::min(from, bytes.size()));
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

TEST(ChangeCrash, KilledChangesLeaveEveryRecordIntactOrDeletedAndNoEditLost) {
    testing::TempFolder temp;
    std::string originals;
    for (int i = 0; i < kOriginals; ++i) originals += Bytes(Original(i));
    testing::WriteFile(temp.path() / "2026.log", originals);
    std::mt19937 random(20261207);
    int deletedSeen = 0;
    for (int round = 0; round < 300 && !::testing::Test::HasFailure(); ++round) {
        const unsigned seed = random();
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::mt19937 pick(seed);
            for (int n = 0; n < 40; ++n) ChangeOne(temp.path(), int(pick() % kOriginals));
            for (;;) pause();
        }
        ASSERT_TRUE(testing::KillAfter(child, std::chrono::microseconds(random() % 6000))) << "round " << round;
        const Census census = TakeCensus(temp.path());
        deletedSeen += int(std::count(census.deleted.begin(), census.deleted.end(), true));
    }
    EXPECT_GT(deletedSeen, 300);  // the kills left changes behind to check
}

// Each process logs what it did; the files must show exactly that.
TEST(ChangeRace, TwoProcessesChangingAndAppendingLoseAndDeleteNothingUnasked) {
    testing::TempFolder temp{fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path()};
    const fs::path folder = temp.path();
    std::string originals;
    for (int i = 0; i < kOriginals; ++i) originals += Bytes(Original(i));
    testing::WriteFile(folder / "2026.log", originals);
    constexpr int kOperations = 1500, kContested = 6;  // few records: the copies often meet on one
    std::vector<pid_t> children;
    for (int p = 0; p < 2; ++p) {
        if (const pid_t child = fork(); child != 0) {
            children.push_back(child);
            continue;
        }
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
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    std::map<std::string, int> done;  // "D 4", "A 1 7", ...: how often each succeeded
    for (int p = 0; p < 2; ++p) {
        std::ifstream log(folder / ("log" + std::to_string(p)));
        for (std::string line; std::getline(log, line);) ++done[line];
    }
    Census census = TakeCensus(folder, kOperations);
    for (int i = 0; i < kContested; i += 2) {  // deletions and undos alternate
        const std::string n = " " + std::to_string(i);
        EXPECT_EQ(census.deleted[i], done["D" + n] == done["R" + n] + 1) << i;
    }
    for (int i = 1; i < kContested; i += 2) {
        const std::string n = " " + std::to_string(i);
        EXPECT_EQ(census.deleted[i], done["E" + n] == 1) << i;
        EXPECT_EQ(census.copies["E" + n], done["E" + n]) << i;
    }
    int refused = 0;
    for (const auto& [line, count] : done) {
        if (line[0] == 'A') {
            EXPECT_EQ(census.copies[line], 1) << line;
        }
        refused += line[0] == '!' ? count : 0;
    }
    std::printf("[ figures  ] %zu records appended, %d changes refused as changed meanwhile\n", census.copies.size(), refused);
}

}  // namespace
}  // namespace quimbaro
