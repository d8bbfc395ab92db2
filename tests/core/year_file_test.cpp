#include "book/year_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

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

// A record whose date field holds all 11 bytes, without a zero.
std::string RecordWithWideDate(std::string_view date11, std::string_view time) {
    return std::string(date11) + Record("", time).substr(11);
}

Appointment RecordAt(const std::string& file, std::size_t index) {
    Appointment record;
    std::memcpy(&record, file.data() + index * kRecordSize, kRecordSize);
    return record;
}

// Runs body in a forked child and hands its result back through a pipe.
StoreResult InChild(const std::function<StoreResult()>& body) {
    int channel[2];
    if (pipe(channel) != 0) return {StoreError::OpenFailed, errno, ""};
    const pid_t child = fork();
    if (child == 0) {
        const StoreResult result = body();
        const int message[2] = {static_cast<int>(result.error), result.systemError};
        _exit(write(channel[1], message, sizeof message) == sizeof message ? 0 : 1);
    }
    close(channel[1]);
    int message[2] = {-1, 0};
    const bool received = read(channel[0], message, sizeof message) == sizeof message;
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!received || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {StoreError::OpenFailed, -1, ""};
    return {static_cast<StoreError>(message[0]), message[1], ""};
}

TEST(YearFile, FileIsNamedAfterTheLastFourCharactersOfTheKey) {
    EXPECT_EQ(YearFilePath("/data", "05/12/2026"), fs::path("/data/2026.log"));
    EXPECT_EQ(YearFilePath("/data", "x26"), fs::path("/data/x26.log"));
}

TEST(YearFile, MakeAppointmentCutsEachFieldAndZeroesTheRest) {
    const std::string longText(100, 'x');
    const Appointment record = MakeAppointment(longText, longText, longText, longText, longText);
    EXPECT_EQ(ReadField(record.date).size(), 10u);
    EXPECT_EQ(ReadField(record.time).size(), 5u);
    EXPECT_EQ(ReadField(record.phone).size(), 12u);
    EXPECT_EQ(ReadField(record.name).size(), 49u);
    EXPECT_EQ(ReadField(record.subject).size(), 74u);
    const Appointment shortOne = MakeAppointment("05/12/2026", "9", std::string_view("12\0 34", 6), "", "");
    EXPECT_EQ(ReadField(shortOne.phone), "12");
    EXPECT_EQ(Bytes(shortOne).substr(11, 6), std::string("9\0\0\0\0\0", 6));
}

TEST(YearFile, LoadingADayOfANewYearCreatesAnEmptyFile) {
    TempFolder folder;
    DayList list;
    list.kept = 5;
    list.slots[0] = MakeAppointment("05/12/2026", "09:00", "", "stale", "");
    EXPECT_TRUE(LoadDay(folder.path(), "05/12/2026", 2, list).Stored());
    EXPECT_EQ(list.kept, 0);
    for (const Appointment& slot : list.slots) EXPECT_EQ(Bytes(slot), Bytes(Appointment{}));
    ASSERT_TRUE(fs::exists(folder.path() / "2026.log"));
    EXPECT_EQ(fs::file_size(folder.path() / "2026.log"), 0u);
}

TEST(YearFile, KeepsTheFirst29MatchesInFileOrderThenSortsThem) {
    TempFolder folder;
    std::string file;
    for (int i = 0; i < 31; ++i) {
        file += Record("04/12/2026", "00:00");
        // The two matches past the 29th have the earliest times: they must not show.
        const std::string time = i < 29 ? "1" + std::to_string(i % 10) + ":" + std::to_string(10 + i) : "00:0" + std::to_string(i - 29);
        file += Record("05/12/2026", time, "n" + std::to_string(i));
    }
    WriteFile(folder.path() / "2026.log", file);
    DayList list;
    ASSERT_TRUE(LoadDay(folder.path(), "05/12/2026", 2, list).Stored());
    EXPECT_EQ(list.kept, 31);
    std::set<std::string> names;
    for (int i = 0; i < kDaySlots; ++i) {
        names.insert(ReadField(list.slots[i].name));
        if (i > 0) {
            EXPECT_LE(ReadField(list.slots[i - 1].time), ReadField(list.slots[i].time));
        }
    }
    std::set<std::string> expected;
    for (int i = 0; i < 29; ++i) expected.insert("n" + std::to_string(i));
    EXPECT_EQ(names, expected);
}

TEST(YearFile, MatchesTheDateTextExactlyAcrossReadBlocks) {
    TempFolder folder;
    std::string file;
    std::string wide = Record("05/12/2026", "08:00", std::string(50, 'N'));
    wide.replace(30, 50, std::string(50, 'N'));  // a name with no zero byte
    for (int i = 0; i < 3000; ++i) file += Record("06/12/2026", "07:00");
    // Matches on both sides of the 1024-record read blocks, near misses early on.
    file.replace(1023 * kRecordSize, kRecordSize, Record("05/12/2026", "09:00"));
    file.replace(1024 * kRecordSize, kRecordSize, Record("05/12/2026", "09:00"));
    file.replace(2999 * kRecordSize, kRecordSize, wide);
    file.replace(5 * kRecordSize, kRecordSize, Record("5/12/2026", "07:00"));
    file[5 * kRecordSize + 10] = 'G';  // after the terminating zero: not part of the date
    file.replace(6 * kRecordSize, kRecordSize, Record("05/12/202", "07:00"));
    file.replace(7 * kRecordSize, kRecordSize, RecordWithWideDate("05/12/20261", "07:00"));
    file.replace(8 * kRecordSize, kRecordSize, RecordWithWideDate("x05/12/2026", "06:00"));
    file += "05/12/2026";  // partial trailing record
    WriteFile(folder.path() / "2026.log", file);
    DayList list;
    ASSERT_TRUE(LoadDay(folder.path(), "05/12/2026", 2, list).Stored());
    ASSERT_EQ(list.kept, 3);
    EXPECT_EQ(ReadField(list.slots[0].time), "08:00");
    EXPECT_EQ(ReadField(list.slots[0].name), std::string(50, 'N'));
    ASSERT_TRUE(LoadDay(folder.path(), "5/12/2026", 2, list).Stored());
    EXPECT_EQ(list.kept, 1);
    ASSERT_TRUE(LoadDay(folder.path(), "x05/12/2026", 2, list).Stored());
    ASSERT_EQ(list.kept, 1);
    EXPECT_EQ(ReadField(list.slots[0].date), "x05/12/2026");
}

TEST(YearFile, AppendOverwritesAPartialTrailingRecordAndCutsLongNames) {
    TempFolder folder;
    const fs::path file = folder.path() / "2026.log";
    const std::string two = Record("01/01/2026", "10:00") + Record("02/01/2026", "11:00");
    for (const std::string& start : {two, two + "0123456789"}) {
        WriteFile(file, start);
        ASSERT_TRUE(AppendAppointment(folder.path(), "05/12/2026", "09:30", "600", std::string(60, 'a'), "x").Stored());
        const std::string after = ReadFile(file);
        ASSERT_EQ(after.size(), 465u);
        EXPECT_EQ(after.substr(0, 310), two);
        EXPECT_EQ(ReadField(RecordAt(after, 2).name), std::string(49, 'a'));
    }
    DayList list;
    ASSERT_TRUE(LoadDay(folder.path(), "05/12/2026", 2, list).Stored());
    EXPECT_EQ(ReadField(list.slots[0].name), std::string(49, 'a'));
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
    EXPECT_EQ(result.error, StoreError::OpenFailed);
    EXPECT_EQ(result.systemError, EISDIR);
    EXPECT_EQ(result.Reason(), "no se pudo abrir el archivo 2026.log: es una carpeta, no un archivo");
    DayList list;
    list.kept = 3;
    EXPECT_EQ(LoadDay(folder.path(), "05/12/2026", 2, list).error, StoreError::OpenFailed);
    EXPECT_EQ(list.kept, 0);
}

// Holds the year file's lock from another process for holdMilliseconds and
// then, given a release pipe, until its write end is closed; the child fails
// if the file changed while it held the lock.
pid_t HoldLock(const fs::path& file, int holdMilliseconds, const int* release = nullptr) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(file.c_str(), O_RDWR | O_CREAT, 0644);
        if (fd < 0 || flock(fd, LOCK_EX) != 0) _exit(2);
        const off_t before = lseek(fd, 0, SEEK_END);
        if (write(ready[1], "!", 1) != 1) _exit(2);
        if (holdMilliseconds > 0) usleep(holdMilliseconds * 1000);
        char ignored;
        if (release != nullptr && (close(release[1]) != 0 || read(release[0], &ignored, 1) < 0)) _exit(2);
        _exit(lseek(fd, 0, SEEK_END) == before ? 0 : 1);
    }
    char signal;
    if (read(ready[0], &signal, 1) != 1) return -1;
    close(ready[0]);
    close(ready[1]);
    return child;
}

int ExitCode(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(YearFile, WaitsForAnotherCopysLockAndGivesUpAfterTheWait) {
    TempFolder folder;
    const fs::path file = folder.path() / "2026.log";
    pid_t holder = HoldLock(file, 300);
    ASSERT_GT(holder, 0);
    EXPECT_TRUE(AppendAppointment(folder.path(), "05/12/2026", "09:30", "", "Ana", "").Stored());
    EXPECT_EQ(ExitCode(holder), 0);  // nothing was written while it held the lock
    EXPECT_EQ(fs::file_size(file), kRecordSize);

    int release[2];
    ASSERT_EQ(pipe(release), 0);
    holder = HoldLock(file, 0, release);
    ASSERT_GT(holder, 0);
    const StoreResult result = AppendAppointment(folder.path(), "05/12/2026", "10:30", "", "Eva", "");
    EXPECT_EQ(result.error, StoreError::LockTimeout);
    EXPECT_NE(result.Reason().find("en uso por otra copia"), std::string::npos);
    DayList list;
    EXPECT_EQ(LoadDay(folder.path(), "05/12/2026", 2, list).error, StoreError::LockTimeout);
    EXPECT_EQ(list.kept, 0);
    close(release[1]);
    close(release[0]);
    EXPECT_EQ(ExitCode(holder), 0);
    EXPECT_EQ(fs::file_size(file), kRecordSize);
}

// Child processes that run until the test ends, however it ends.
struct Children {
    std::vector<pid_t> pids;
    ~Children() {
        for (const pid_t child : pids) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
    }
};

TEST(YearFile, CopiesThatKeepTakingTheFileBackCannotStarveAnother) {
    TempFolder folder;
    const fs::path file = folder.path() / "2026.log";
    Children hogs;
    for (int h = 0; h < 2; ++h) {
        const pid_t child = fork();
        if (child == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            for (;;) {  // retakes the file the moment it lets it go, holding it 2 ms a time
                LockedFile hog;
                if (hog.Open(file, O_RDWR, kLockWaitMilliseconds).Stored()) usleep(2000);
            }
        }
        hogs.pids.push_back(child);
    }
    usleep(20000);
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(AppendAppointment(folder.path(), "05/12/2026", "09:30", "", "Ana", "").Stored()) << i;
    }
    EXPECT_EQ(fs::file_size(file), 10 * kRecordSize);
}

TEST(YearFile, AFullDiskFailsTheAppendAndKeepsEarlierRecords) {
    TempFolder folder;
    const fs::path file = folder.path() / "2026.log";
    const std::string three = Record("01/01/2026", "1") + Record("02/01/2026", "2") + Record("03/01/2026", "3");
    for (const rlim_t limit : {rlim_t{465}, rlim_t{565}}) {  // no room at all; room for 100 bytes
        WriteFile(file, three);
        const StoreResult result = InChild([&] {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit size{limit, limit};
            setrlimit(RLIMIT_FSIZE, &size);
            return AppendAppointment(folder.path(), "04/01/2026", "4", "", "lost", "");
        });
        EXPECT_EQ(result.error, StoreError::WriteFailed);
        EXPECT_EQ(result.systemError, EFBIG);
        EXPECT_EQ(fs::file_size(file), limit);
        EXPECT_EQ(ReadFile(file).substr(0, 465), three);
        ASSERT_TRUE(AppendAppointment(folder.path(), "04/01/2026", "4", "", "kept", "").Stored());
        const std::string after = ReadFile(file);
        ASSERT_EQ(after.size(), 620u);
        EXPECT_EQ(ReadField(RecordAt(after, 3).name), "kept");
    }
}

TEST(YearFile, ConcurrentAppendsFromSeveralProcessesAllLandIntact) {
    constexpr int kWriters = 4;
    constexpr int kRecordsEach = 5000;
    TempFolder folder(testing::MemoryBackedBase());
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t child = fork();
        if (child == 0) {
            for (int i = 0; i < kRecordsEach; ++i) {
                const std::string id = std::to_string(w) + "-" + std::to_string(i);
                const StoreResult result =
                    AppendAppointment(folder.path(), "05/12/2026", "09:30", id, "writer " + id, id + std::string(60, '#'));
                if (!result.Stored()) {
                    ADD_FAILURE() << "writer " << id << ": " << result.Reason();
                    _exit(1);
                }
            }
            _exit(0);
        }
        writers.push_back(child);
    }
    for (const pid_t child : writers) EXPECT_EQ(ExitCode(child), 0);
    const std::string file = ReadFile(folder.path() / "2026.log");
    ASSERT_EQ(file.size(), kWriters * kRecordsEach * kRecordSize);
    std::vector<int> next(kWriters, 0);  // each writer's records appear in its own order
    for (std::size_t r = 0; r < file.size() / kRecordSize; ++r) {
        const Appointment record = RecordAt(file, r);
        const std::string id = ReadField(record.phone);
        const int w = std::stoi(id);
        ASSERT_GE(w, 0);
        ASSERT_LT(w, kWriters);
        ASSERT_EQ(id, std::to_string(w) + "-" + std::to_string(next[w]));
        ++next[w];
        ASSERT_EQ(Bytes(record), Bytes(MakeAppointment("05/12/2026", "09:30", id, "writer " + id, id + std::string(60, '#'))));
    }
    EXPECT_EQ(next, std::vector<int>(kWriters, kRecordsEach));
}

}  // namespace
}  // namespace quimbaro
