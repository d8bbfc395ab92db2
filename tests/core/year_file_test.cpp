#include "book/year_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/prctl.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "book/locked_file.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;
namespace fs = std::filesystem;

std::string Bytes(const Appointment& record) { return std::string(reinterpret_cast<const char*>(&record), kRecordSize); }

std::string Record(std::string_view date, std::string_view time, std::string_view name = "") {
    return Bytes(MakeAppointment(date, time, "600111222", name, "Revisión"));
}

int ExitCode(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(YearFile, NamedAfterTheKeysLastFourCharactersWithFieldsCutToTheirWidths) {
    EXPECT_EQ(YearFilePath("/data", "05/12/2026"), fs::path("/data/2026.log"));
    EXPECT_EQ(YearFilePath("/data", "x26"), fs::path("/data/x26.log"));
    const std::string x(100, 'x');
    const auto cut = [&](std::size_t n) { return x.substr(0, n) + '\0'; };
    EXPECT_EQ(Bytes(MakeAppointment(x, x, x, x, x)), cut(10) + cut(5) + cut(12) + cut(49) + cut(74));
    std::string zeroed(kRecordSize, '\0');  // a phone stops at its first zero byte
    zeroed.replace(0, 10, "05/12/2026").replace(11, 1, "9").replace(17, 2, "12");
    EXPECT_EQ(Bytes(MakeAppointment("05/12/2026", "9", std::string_view("12\0 34", 6), "", "")), zeroed);
}

TEST(YearFile, LoadingADayOfANewYearCreatesAnEmptyFile) {
    TempFolder folder;
    DayList list;
    list.kept = 5;
    list.slots[0] = MakeAppointment("05/12/2026", "09:00", "", "stale", "");
    EXPECT_TRUE(LoadDay(folder.path(), "05/12/2026", 2, list).Stored());
    EXPECT_EQ(list.kept, 0);
    EXPECT_EQ(Bytes(list.slots[0]), Bytes(Appointment{}));
    EXPECT_EQ(ReadFile(folder.path() / "2026.log"), "");
    EXPECT_TRUE(fs::is_regular_file(folder.path() / "2026.log"));
}

TEST(YearFile, KeepsTheFirst29MatchesInFileOrderThenSortsThem) {
    TempFolder folder;
    std::string file;
    for (int i = 0; i < 31; ++i) {  // the two past the 29th are the earliest: they must not show
        const std::string time = i < 29 ? std::to_string(38 - i) + ":00" : "00:0" + std::to_string(i);
        file += Record("04/12/2026", "00:00") + Record("05/12/2026", time, "n" + std::to_string(i));
    }
    WriteFile(folder.path() / "2026.log", file);
    DayList list;
    ASSERT_TRUE(LoadDay(folder.path(), "05/12/2026", 2, list).Stored());
    EXPECT_EQ(list.kept, 31);
    for (int i = 0; i < kDaySlots; ++i) EXPECT_EQ(ReadField(list.slots[i].name), "n" + std::to_string(28 - i));
}

TEST(YearFile, MatchesTheDateTextExactlyAcrossReadBlocks) {
    TempFolder folder;
    std::string file;
    for (int i = 0; i < 3000; ++i) file += Record("06/12/2026", "07:00");
    const auto put = [&](std::size_t index, const std::string& record) { file.replace(index * kRecordSize, kRecordSize, record); };
    // Matches on both sides of a 1024-record read block, one with a name that
    // has no zero byte; near misses early on.
    put(1023, Record("05/12/2026", "09:00"));
    put(1024, Record("05/12/2026", "09:00"));
    put(2999, Record("05/12/2026", "08:00").replace(30, 50, std::string(50, 'N')));
    put(5, Record("5/12/2026", "07:00").replace(10, 1, "G"));  // after the terminating zero: not date text
    put(6, Record("05/12/202", "07:00"));
    put(7, Record("", "07:00").replace(0, 11, "05/12/20261"));
    put(8, Record("", "07:00").replace(0, 11, "x05/12/2026"));
    WriteFile(folder.path() / "2026.log", file + "05/12/2026");  // and a partial trailing record
    DayList list;
    ASSERT_TRUE(LoadDay(folder.path(), "05/12/2026", 2, list).Stored());
    ASSERT_EQ(list.kept, 3);
    EXPECT_EQ(ReadField(list.slots[0].name), std::string(50, 'N'));
}

TEST(YearFile, AppendOverwritesAPartialTrailingRecordAndCutsLongNames) {
    TempFolder folder;
    const std::string two = Record("01/01/2026", "10:00") + Record("02/01/2026", "11:00");
    for (const std::string& start : {two, two + "0123456789"}) {
        WriteFile(folder.path() / "2026.log", start);
        ASSERT_TRUE(AppendAppointment(folder.path(), "05/12/2026", "09:30", "600", std::string(60, 'a'), "x").Stored());
        const std::string after = ReadFile(folder.path() / "2026.log");
        EXPECT_EQ(after, two + Bytes(MakeAppointment("05/12/2026", "09:30", "600", std::string(49, 'a'), "x")));
    }
}

TEST(YearFile, RefusesDatesThatAreNoDayKeyAndCreatesNothing) {
    TempFolder base;
    const fs::path folder = base.path() / "data";
    fs::create_directory(folder);
    for (const char* date : {"../x", "05/12/26", "5/12/2026", "", "../../2026", "05/12/2026/"}) {
        const StoreResult result = AppendAppointment(folder, date, "09:30", "600", "Ana", "x");
        EXPECT_EQ(result.error, StoreError::BadDate) << date;
        EXPECT_EQ(result.Reason(), "la fecha no es válida (DD/MM/AAAA)");
    }
    DayList list;
    for (const char* key : {"../x", "05/12/26", ".."})
        EXPECT_EQ(LoadDay(folder, key, 2, list).error, StoreError::BadDate) << key;
    EXPECT_EQ(LoadDay(folder, std::string_view("05/12/2\0" "26", 10), 2, list).error, StoreError::BadDate);
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(std::distance(fs::directory_iterator(base.path()), fs::directory_iterator()), 1);
}

TEST(YearFile, ReportsFilesThatCannotBeOpened) {
    TempFolder folder;
    WriteFile(folder.path() / "plain", "not a folder");
    StoreResult result = AppendAppointment(folder.path() / "plain", "05/12/2026", "09:30", "", "Ana", "");
    EXPECT_EQ(result.error, StoreError::OpenFailed);
    EXPECT_EQ(result.systemError, ENOTDIR);
    fs::create_directory(folder.path() / "2026.log");
    result = AppendAppointment(folder.path(), "05/12/2026", "09:30", "", "Ana", "");
    EXPECT_EQ(result.Reason(), "no se pudo abrir el archivo 2026.log: es una carpeta, no un archivo");
    DayList list;
    list.kept = 3;
    EXPECT_EQ(LoadDay(folder.path(), "05/12/2026", 2, list).error, StoreError::OpenFailed);
    EXPECT_EQ(list.kept, 0);
}

// Another process takes the year file's lock and keeps it for holdMilliseconds;
// it exits with 1 if the file changed meanwhile.
pid_t HoldLock(const fs::path& file, int holdMilliseconds) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(file.c_str(), O_RDWR | O_CREAT, 0644);
        if (fd < 0 || flock(fd, LOCK_EX) != 0) _exit(2);
        const off_t before = lseek(fd, 0, SEEK_END);
        if (write(ready[1], "!", 1) != 1) _exit(2);
        usleep(holdMilliseconds * 1000);
        _exit(lseek(fd, 0, SEEK_END) == before ? 0 : 1);
    }
    char signal;
    const bool locked = read(ready[0], &signal, 1) == 1;
    close(ready[0]);
    close(ready[1]);
    return locked ? child : -1;
}

TEST(YearFile, WaitsForAnotherCopysLockAndGivesUpAfterTheWait) {
    TempFolder folder;
    const fs::path file = folder.path() / "2026.log";
    pid_t holder = HoldLock(file, 300);
    ASSERT_GT(holder, 0);
    EXPECT_TRUE(AppendAppointment(folder.path(), "05/12/2026", "09:30", "", "Ana", "").Stored());
    EXPECT_EQ(ExitCode(holder), 0);
    holder = HoldLock(file, 2 * kLockWaitMilliseconds + 1000);  // past both waits below
    ASSERT_GT(holder, 0);
    const StoreResult result = AppendAppointment(folder.path(), "05/12/2026", "10:30", "", "Eva", "");
    EXPECT_EQ(result.error, StoreError::LockTimeout);
    EXPECT_EQ(result.Reason(), "el archivo 2026.log está en uso por otra copia del programa");
    DayList list;
    EXPECT_EQ(LoadDay(folder.path(), "05/12/2026", 2, list).error, StoreError::LockTimeout);
    EXPECT_EQ(ExitCode(holder), 0);
    EXPECT_EQ(fs::file_size(file), kRecordSize);
}

TEST(YearFile, CopiesThatKeepTakingTheFileBackCannotStarveAnother) {
    TempFolder folder;
    std::vector<pid_t> hogs;
    for (int h = 0; h < 2; ++h) {
        hogs.push_back(fork());
        if (hogs.back() == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            for (LockedFile hog;; hog.Close())  // retakes the file the moment it lets go, 2 ms a time
                if (hog.Open(folder.path() / "2026.log", O_RDWR, kLockWaitMilliseconds).Stored()) usleep(2000);
        }
    }
    usleep(20000);
    int stored = 0;
    for (int i = 0; i < 10; ++i) stored += AppendAppointment(folder.path(), "05/12/2026", "09:30", "", "Ana", "").Stored();
    for (const pid_t hog : hogs)
        if (hog > 0 && kill(hog, SIGKILL) == 0) ExitCode(hog);
    EXPECT_EQ(stored, 10);
    EXPECT_EQ(fs::file_size(folder.path() / "2026.log"), 10 * kRecordSize);
}

TEST(YearFile, AFullDiskFailsTheAppendAndTheNextOneLandsOnARecordBoundary) {
    TempFolder folder;
    const fs::path file = folder.path() / "2026.log";
    const std::string three = Record("01/01/2026", "1") + Record("02/01/2026", "2") + Record("03/01/2026", "3");
    for (const rlim_t limit : {rlim_t{465}, rlim_t{565}}) {  // no room at all; room for 100 bytes
        WriteFile(file, three);
        EXPECT_TRUE(testing::WithFileSizeLimit(limit, [&] {
            const StoreResult result = AppendAppointment(folder.path(), "04/01/2026", "4", "", "lost", "");
            return result.error == StoreError::WriteFailed && result.systemError == EFBIG;
        }));
        EXPECT_EQ(ReadFile(file).substr(0, 465), three);
        EXPECT_EQ(fs::file_size(file), limit);
        ASSERT_TRUE(AppendAppointment(folder.path(), "04/01/2026", "4", "", "kept", "").Stored());
        EXPECT_EQ(ReadFile(file), three + Bytes(MakeAppointment("04/01/2026", "4", "", "kept", "")));
    }
}

TEST(YearFile, ConcurrentAppendsFromSeveralProcessesAllLandIntact) {
    constexpr int kWriters = 4, kRecordsEach = 5000;
    TempFolder folder(testing::MemoryBackedBase());
    const auto record = [](int w, int i) {
        const std::string id = std::to_string(w) + "-" + std::to_string(i);
        return MakeAppointment("05/12/2026", "09:30", id, "writer " + id, id + std::string(60, '#'));
    };
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.push_back(fork());
        if (writers.back() != 0) continue;
        for (int i = 0; i < kRecordsEach; ++i) {
            const Appointment a = record(w, i);
            if (!AppendAppointment(folder.path(), a.date, a.time, a.phone, a.name, a.subject).Stored()) _exit(1);
        }
        _exit(0);
    }
    for (const pid_t child : writers) EXPECT_EQ(ExitCode(child), 0);
    const std::string file = ReadFile(folder.path() / "2026.log");
    ASSERT_EQ(file.size(), kWriters * kRecordsEach * kRecordSize);
    std::vector<int> next(kWriters, 0);  // each writer's records, whole and in its own order
    for (std::size_t at = 0; at < file.size(); at += kRecordSize) {
        const int w = file[at + 17] - '0';
        ASSERT_TRUE(w >= 0 && w < kWriters && next[w] < kRecordsEach) << at / kRecordSize;
        ASSERT_EQ(file.substr(at, kRecordSize), Bytes(record(w, next[w]++))) << at / kRecordSize;
    }
}

}  // namespace
}  // namespace quimbaro
