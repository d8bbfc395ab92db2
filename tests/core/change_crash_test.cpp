// Deletions, edits and undos under stress: a child process killed with
// SIGKILL over and over, and two processes changing one year file at once.
// Every record of the file must stay either intact or deleted (its date
// zeroed), an edited record's replacement must exist before the original is
// gone, and the file alone must tell all this: no undo information is needed.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "book/change_record.h"
#include "book/year_file.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;

constexpr int kOriginals = 120;

std::string Bytes(const Appointment& record) { return std::string(reinterpret_cast<const char*>(&record), kRecordSize); }

std::string Date(int i, const char* year) {
    char date[11];
    std::snprintf(date, sizeof date, "%02d/%02d/%s", i % 28 + 1, i % 12 + 1, year);
    return date;
}

// Record i as first written; even ones are deleted and undeleted, odd ones
// edited once, every fourth of them into the next year's file.
Appointment Original(int i) {
    return MakeAppointment(Date(i, "2026"), "10:00", std::to_string(600000000 + i), "Persona " + std::to_string(i),
                           std::string(i % 70, 'a') + " fin");
}
Appointment Edited(int i) {
    return MakeAppointment(Date(i, i % 4 == 3 ? "2027" : "2026"), "11:30", "1", "Editada " + std::to_string(i), "");
}
// An append made while the others change, by process p as its k-th.
Appointment Added(int p, int k) {
    return MakeAppointment("01/01/2026", "09:00", std::to_string(p), "Nueva " + std::to_string(k), "");
}
std::string DeletedBytes(const Appointment& record) { return Bytes(record).replace(0, 11, 11, '\0'); }

StoredRecord At(int i) { return {Original(i), uint64_t(i) * kRecordSize}; }

// One change of record i as the file shows it now, read without the lock as
// the window reads a day; 'D', 'R' or 'E' for what was done, '-' for
// nothing, '!' when the record changed before the lock was taken. Between
// reading and changing, a user would look at the table for a while.
char ChangeOne(const fs::path& folder, int i, std::chrono::microseconds look = {}) {
    std::string now(kRecordSize, '\0');
    std::ifstream(folder / "2026.log", std::ios::binary).seekg(i * kRecordSize).read(now.data(), kRecordSize);
    std::this_thread::sleep_for(look);
    const bool intact = now == Bytes(Original(i));
    StoreResult result;
    char done = '-';
    if (i % 2 == 0 && intact) result = DeleteRecord(folder, At(i)), done = 'D';
    else if (i % 2 == 0) result = Undo(folder, {At(i), std::nullopt}), done = 'R';
    else if (intact) {
        StoredRecord added;
        result = ReplaceRecord(folder, At(i), Edited(i), added), done = 'E';
    }
    if (result.error == StoreError::Changed) return '!';
    if (!result.Stored()) _exit(3);
    return done;
}

void WriteOriginals(const fs::path& folder) {
    std::string bytes;
    for (int i = 0; i < kOriginals; ++i) bytes += Bytes(Original(i));
    testing::WriteFile(folder / "2026.log", bytes);
}

// What the files hold, checked record by record.
struct Census {
    std::vector<bool> deleted = std::vector<bool>(kOriginals);
    std::map<int, int> editedCopies;               // i -> records Edited(i)
    std::map<std::pair<int, int>, int> additions;  // (p, k) -> records Added(p, k)
};

// Whole records past the originals, and a torn tail (the start of a record
// an edit was appending when killed).
void CountAppended(const std::string& bytes, std::size_t from, Census& census, int processes, int appends) {
    std::map<std::string, int> edited;
    for (int i = 1; i < kOriginals; i += 2) edited[Bytes(Edited(i))] = i;
    const std::size_t whole = bytes.size() / kRecordSize * kRecordSize;
    for (std::size_t at = from; at < whole; at += kRecordSize) {
        const std::string record = bytes.substr(at, kRecordSize);
        bool known = edited.contains(record);
        if (known) ++census.editedCopies[edited[record]];
        for (int p = 0; p < processes && !known; ++p)
            for (int k = 0; k < appends && !known; ++k)
                if (record == Bytes(Added(p, k))) known = true, ++census.additions[{p, k}];
        ASSERT_TRUE(known) << "a foreign record at " << at;
    }
    const std::string tail = bytes.substr(whole);
    bool startOfEdit = tail.empty();
    for (const auto& [record, i] : edited) startOfEdit = startOfEdit || record.starts_with(tail);
    EXPECT_TRUE(startOfEdit) << "a torn tail of " << tail.size() << " foreign bytes";
}

Census TakeCensus(const fs::path& folder, int processes = 0, int appends = 0) {
    Census census;
    const std::string bytes = ReadFile(folder / "2026.log");
    EXPECT_GE(bytes.size(), std::size_t(kOriginals) * kRecordSize) << "records were lost";
    for (int i = 0; i < kOriginals && !::testing::Test::HasFailure(); ++i) {
        const std::string record = bytes.substr(i * kRecordSize, kRecordSize);
        census.deleted[i] = record == DeletedBytes(Original(i));
        EXPECT_TRUE(census.deleted[i] || record == Bytes(Original(i))) << "record " << i << " is neither intact nor deleted";
    }
    CountAppended(bytes, kOriginals * kRecordSize, census, processes, appends);
    CountAppended(ReadFile(folder / "2027.log"), 0, census, processes, appends);
    for (int i = 1; i < kOriginals; i += 2)  // an edit's original goes only once its replacement is stored
        EXPECT_TRUE(!census.deleted[i] || census.editedCopies[i] > 0) << "record " << i << " was lost";
    return census;
}

TEST(ChangeCrash, KilledChangesLeaveEveryRecordIntactOrDeletedAndNoEditLost) {
    testing::TempFolder temp;
    const fs::path folder = temp.path();
    WriteOriginals(folder);
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> delay(0, 6000);
    int deletedSeen = 0;
    for (int round = 0; round < 300 && !::testing::Test::HasFailure(); ++round) {
        const unsigned seed = random();
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::mt19937 pick(seed);
            for (int n = 0; n < 40; ++n) ChangeOne(folder, int(pick() % kOriginals));
            for (;;) pause();
        }
        ASSERT_TRUE(testing::KillAfter(child, std::chrono::microseconds(delay(random)))) << "round " << round;
        const Census census = TakeCensus(folder);
        deletedSeen += int(std::count(census.deleted.begin(), census.deleted.end(), true));
    }
    EXPECT_GT(deletedSeen, 300);  // the kills left changes behind to check
}

// Each process logs what it did; the files must show exactly that.
TEST(ChangeRace, TwoProcessesChangingAndAppendingLoseAndDeleteNothingUnasked) {
    testing::TempFolder temp{fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path()};
    const fs::path folder = temp.path();
    WriteOriginals(folder);
    // Few records, so that the copies often change the same one at once.
    constexpr int kProcesses = 2, kOperations = 1500, kContested = 6;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::mt19937 pick(p + 1);
            std::ofstream log(folder / ("log" + std::to_string(p)));
            for (int k = 0; k < kOperations; ++k) {
                if (pick() % 4 == 0) {
                    const Appointment a = Added(p, k);
                    if (!AppendAppointment(folder, a.date, a.time, a.phone, a.name, a.subject).Stored()) _exit(3);
                    log << "A " << k << '\n';
                    continue;
                }
                const int i = int(pick() % kContested);
                log << ChangeOne(folder, i, std::chrono::microseconds(pick() % 100)) << ' ' << i << '\n';
            }
            log.close();  // _exit runs no destructors
            _exit(log.good() ? 0 : 4);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    std::map<char, std::vector<int>> done;  // per record: how often each change succeeded
    for (const char what : std::string("DRE-!A")) done[what].resize(kOperations);
    int appended = 0, refused = 0;
    for (int p = 0; p < kProcesses; ++p) {
        std::ifstream log(folder / ("log" + std::to_string(p)));
        char what;
        int n;
        while (log >> what >> n) {
            if (what == 'A') ++appended;
            if (what == '!') ++refused;
            ++done.at(what).at(n);
        }
    }
    Census census = TakeCensus(folder, kProcesses, kOperations);
    for (int i = 0; i < kOriginals; i += 2)  // deletions and undos alternate, the last one counts
        EXPECT_EQ(census.deleted[i], done['D'][i] == done['R'][i] + 1) << i;
    for (int i = 1; i < kOriginals; i += 2) {
        EXPECT_LE(done['E'][i], 1) << i;
        EXPECT_EQ(census.editedCopies[i], done['E'][i]) << i;
        EXPECT_EQ(census.deleted[i], done['E'][i] == 1) << i;
    }
    EXPECT_EQ(int(census.additions.size()), appended);
    for (const auto& [which, copies] : census.additions) EXPECT_EQ(copies, 1);
    std::printf("[ figures  ] %d appends, %d changes refused as changed meanwhile\n", appended, refused);
}

}  // namespace
}  // namespace quimbaro
