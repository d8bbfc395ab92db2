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
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "book/appointment.h"
#include "book/year_file.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

namespace fs = std::filesystem;
using testing::KillAfter;
using testing::TempFolder;

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

// Appends until killed; on storage fast enough to outrun the kills it stops
// after a while and waits, so the file stays small enough to check quickly.
constexpr uint64_t kMostAppendsPerChild = 100;

[[noreturn]] void AppendUntilKilled(const fs::path& folder, uint64_t first) {
    for (uint64_t n = first; n < first + kMostAppendsPerChild; ++n)
        if (!AppendGenerated(folder, n).Stored()) _exit(1);
    for (;;) pause();
}

// The file's size and its bytes from the offset on.
struct FileTail {
    uint64_t size = 0;
    std::string bytes;
};

FileTail ReadFrom(const fs::path& file, uint64_t offset) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    FileTail tail;
    if (!in) return tail;
    tail.size = static_cast<uint64_t>(in.tellg());
    if (tail.size <= offset) return tail;
    tail.bytes.resize(tail.size - offset);
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(tail.bytes.data(), static_cast<std::streamsize>(tail.bytes.size()));
    return tail;
}

// Checks the whole records from record `first` on against the generator, and
// what trails them; returns the number of whole records in the file.
uint64_t CheckRecords(const fs::path& file, uint64_t first, const std::string& allowedTail, uint64_t& checked) {
    const FileTail tail = ReadFrom(file, first * kRecordSize);
    EXPECT_GE(tail.size, first * kRecordSize) << "the file lost records";
    const std::string& bytes = tail.bytes;
    const uint64_t whole = bytes.size() / kRecordSize;
    for (uint64_t i = 0; i < whole; ++i, ++checked) {
        if (bytes.compare(i * kRecordSize, kRecordSize, GeneratedBytes(first + i)) != 0) {
            ADD_FAILURE() << "record " << first + i << " is not the one written there";
            break;
        }
    }
    const std::string trailing = bytes.substr(whole * kRecordSize);
    const bool startOfNext = GeneratedBytes(first + whole).compare(0, trailing.size(), trailing) == 0;
    EXPECT_TRUE(startOfNext || trailing == allowedTail) << "a tail of " << trailing.size() << " foreign bytes";
    return first + whole;
}

// A write torn by a crash mid-record, which a kill of the writing process alone
// rarely produces: some foreign bytes after the last whole record.
std::string TornTail(std::mt19937& random) {
    std::string tail(std::uniform_int_distribution<std::size_t>(1, kRecordSize - 1)(random), '\0');
    for (char& c : tail) c = static_cast<char>(random());
    return tail;
}

// Each round checks the records added since the last one; the whole file is
// checked again at the end, so a record changed later is caught too.
TEST(AppendCrash, KilledWritersLeaveOnlyWholeWrittenRecordsAndTheNextAppendRepairsTheTail) {
    TempFolder folder;
    const fs::path file = YearFilePath(folder.path(), kDate);
    std::mt19937 random(20261205);
    std::uniform_int_distribution<int> delayMicroseconds(0, 8000);
    uint64_t checked = 0;
    uint64_t whole = 0;
    std::string tornTail;

    for (int round = 0; round < kKills; ++round) {
        whole = CheckRecords(file, whole, tornTail, checked);
        if (round % 10 == 9) {
            tornTail = TornTail(random);
            std::ofstream(file, std::ios::binary | std::ios::app).close();  // there may be no file yet
            fs::resize_file(file, whole * kRecordSize);
            std::ofstream(file, std::ios::binary | std::ios::app) << tornTail;
        }
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) AppendUntilKilled(folder.path(), whole);
        ASSERT_TRUE(KillAfter(child, std::chrono::microseconds(delayMicroseconds(random))))
            << "the appending child stopped by itself in round " << round;
        if (::testing::Test::HasFailure()) return;
    }

    whole = CheckRecords(file, 0, tornTail, checked);
    ASSERT_TRUE(AppendGenerated(folder.path(), whole).Stored());
    EXPECT_EQ(fs::file_size(file), (whole + 1) * kRecordSize);
    CheckRecords(file, whole, "", checked);
    // Enough appends got through between the kills for the test to mean something.
    EXPECT_GT(whole, static_cast<uint64_t>(kKills));
    std::printf("[ figures  ] %d kills survived, %llu records in the file, %llu record checks\n", kKills,
                static_cast<unsigned long long>(whole + 1), static_cast<unsigned long long>(checked));
}

}  // namespace
}  // namespace quimbaro
