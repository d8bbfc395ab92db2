// A process appending in a loop is killed with SIGKILL at random moments, over
// and over. After every kill the year file must hold exactly the records that
// were written, each in its place, followed by at most the start of the next
// one; the next append must overwrite that start and land on a record boundary.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <thread>

#include "book/appointment.h"
#include "book/year_file.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

constexpr const char* kDate = "05/12/2026";
constexpr int kKills = 200;

struct Texts {
    std::string time, phone, name, subject;
};

// Record number n of the file: every field follows from n, so a record read
// back can be checked against the one written at its place. Subjects run past
// the field's width now and then so that cutting is exercised too.
Texts Generated(uint64_t n) {
    return {std::to_string(n / 60 % 24) + ":" + std::to_string(n % 60), std::to_string(600000000 + n),
            "Persona n\xFAmero " + std::to_string(n),
            "Asunto " + std::to_string(n) + " " + std::string(n % 97, static_cast<char>('a' + n % 26))};
}

std::string GeneratedBytes(uint64_t n) {
    const Texts t = Generated(n);
    const Appointment record = MakeAppointment(kDate, t.time, t.phone, t.name, t.subject);
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

StoreResult AppendGenerated(const fs::path& folder, uint64_t n) {
    const Texts t = Generated(n);
    return AppendAppointment(folder, kDate, t.time, t.phone, t.name, t.subject);
}

[[noreturn]] void AppendForever(const fs::path& folder, uint64_t first) {
    for (uint64_t n = first;; ++n)
        if (!AppendGenerated(folder, n).Stored()) _exit(1);
}

// Checks every whole record against the generator and returns their number.
uint64_t CheckRecords(const std::string& bytes, const std::string& allowedTail) {
    const uint64_t whole = bytes.size() / kRecordSize;
    for (uint64_t n = 0; n < whole; ++n) {
        if (bytes.compare(n * kRecordSize, kRecordSize, GeneratedBytes(n)) != 0) {
            ADD_FAILURE() << "record " << n << " is not the one written there";
            return whole;
        }
    }
    const std::string tail = bytes.substr(whole * kRecordSize);
    const bool startOfNext = GeneratedBytes(whole).compare(0, tail.size(), tail) == 0;
    EXPECT_TRUE(startOfNext || tail == allowedTail) << "a tail of " << tail.size() << " foreign bytes";
    return whole;
}

// Kills the child after the delay; true when it was still appending then.
bool KillAfter(pid_t child, std::chrono::microseconds delay) {
    std::this_thread::sleep_for(delay);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// A write torn by a crash mid-record, which a kill of the writing process alone
// rarely produces: some foreign bytes after the last whole record.
std::string TornTail(std::mt19937& random) {
    std::string tail(std::uniform_int_distribution<std::size_t>(1, kRecordSize - 1)(random), '\0');
    for (char& c : tail) c = static_cast<char>(random());
    return tail;
}

TEST(AppendCrash, KilledWritersLeaveOnlyWholeWrittenRecordsAndTheNextAppendRepairsTheTail) {
    TempFolder folder;
    const fs::path file = YearFilePath(folder.path(), kDate);
    std::mt19937 random(20261205);
    std::uniform_int_distribution<int> delayMicroseconds(0, 8000);
    uint64_t recordsChecked = 0;
    std::string tornTail;

    for (int round = 0; round < kKills; ++round) {
        const std::string before = ReadFile(file);
        const uint64_t whole = CheckRecords(before, tornTail);
        if (round % 10 == 9) {
            tornTail = TornTail(random);
            WriteFile(file, before.substr(0, whole * kRecordSize) + tornTail);
        }
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) AppendForever(folder.path(), whole);
        ASSERT_TRUE(KillAfter(child, std::chrono::microseconds(delayMicroseconds(random))))
            << "the appending child stopped by itself in round " << round;
        recordsChecked += CheckRecords(ReadFile(file), tornTail);
    }

    const uint64_t whole = CheckRecords(ReadFile(file), tornTail);
    ASSERT_TRUE(AppendGenerated(folder.path(), whole).Stored());
    EXPECT_EQ(fs::file_size(file), (whole + 1) * kRecordSize);
    CheckRecords(ReadFile(file), "");
    // Enough appends got through between the kills for the test to mean something.
    EXPECT_GT(whole, static_cast<uint64_t>(kKills));
    std::printf("[ figures  ] %d kills survived, %llu records in the file, %llu record checks\n", kKills,
                static_cast<unsigned long long>(whole + 1), static_cast<unsigned long long>(recordsChecked));
}

}  // namespace
}  // namespace quimbaro
