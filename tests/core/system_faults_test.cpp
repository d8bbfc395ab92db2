// The book's calls to the system fail or stall here as a broken disk or a
// busy machine would: the test is linked with -Wl,--wrap for each call, so the
// wrappers below stand between the core library and the C library.
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "book/change_record.h"
#include "book/locked_file.h"
#include "book/record_stream.h"
#include "book/year_file.h"
#include "ical/book_export.h"
#include "search/book_search.h"
#include "ical/book_import.h"
#include "ical/vdir_export.h"
#include "temp_folder.h"

extern "C" {
int __real_fsync(int fd);
ssize_t __real_read(int fd, void* buffer, size_t size);
ssize_t __real_pwrite(int fd, const void* data, size_t size, off_t offset);
int __real_nanosleep(const timespec* wanted, timespec* left);
}

namespace {

struct Faults {
    int fsyncError = 0;
    int pwriteError = 0;        // -1: the call writes nothing and reports no error
    std::size_t longest = 0;    // reads and writes move at most this many bytes
    bool interrupt = false;     // every other read and write is interrupted
    int readsBeforeError = -1;  // then reads fail with EIO
    int calls = 0;
} faults;

// Gated sleeps wait here in arrival order until the test lets them pass.
struct SleepGate {
    std::mutex mutex;
    std::condition_variable changed;
    bool on = false;
    std::deque<std::thread::id> queue;
    template <typename Condition>
    bool WaitFor(std::unique_lock<std::mutex>& lock, Condition condition) {
        return changed.wait_for(lock, std::chrono::seconds(60), condition);  // only a broken run waits this long
    }
} gate;

bool Interrupted() {
    if (!faults.interrupt || ++faults.calls % 2 == 0) return false;
    errno = EINTR;
    return true;
}
size_t Limited(size_t size) { return faults.longest > 0 ? std::min(size, faults.longest) : size; }

}  // namespace

extern "C" {
int __wrap_fsync(int fd) { return faults.fsyncError != 0 ? (errno = faults.fsyncError, -1) : __real_fsync(fd); }

ssize_t __wrap_read(int fd, void* buffer, size_t size) {
    if (Interrupted()) return -1;
    if (faults.readsBeforeError >= 0 && faults.readsBeforeError-- == 0) return errno = EIO, -1;
    return __real_read(fd, buffer, Limited(size));
}

ssize_t __wrap_pwrite(int fd, const void* data, size_t size, off_t offset) {
    if (Interrupted()) return -1;
    if (faults.pwriteError != 0) return faults.pwriteError < 0 ? (errno = 0) : (errno = faults.pwriteError, -1);
    return __real_pwrite(fd, data, Limited(size), offset);
}

int __wrap_nanosleep(const timespec* wanted, timespec* left) {
    std::unique_lock lock(gate.mutex);
    if (!gate.on) return lock.unlock(), __real_nanosleep(wanted, left);
    gate.queue.push_back(std::this_thread::get_id());
    gate.changed.notify_all();
    gate.WaitFor(lock, [] { return !gate.on || std::ranges::count(gate.queue, std::this_thread::get_id()) == 0; });
    gate.changed.notify_all();
    return 0;
}
}

namespace quimbaro {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::Record;
using testing::WriteFile;

class SystemFaults : public ::testing::Test {
protected:
    void TearDown() override { faults = {}; }
    testing::TempFolder temp;
    const fs::path folder = temp.path(), file = folder / "2026.log";
    StoreResult Append(std::string_view name) {
        return AppendAppointment(folder, "05/12/2026", "09:30", "600111222", name, "Revisión");
    }
};

// Three blocks' worth of records, with matches in every block.
TEST_F(SystemFaults, ReadsRideOutShortAndInterruptedCallsAndAFailedOneLosesTheDay) {
    std::string bytes;
    int matches = 0;
    for (std::size_t n = 0; n < 2 * kStreamBlockRecords + 1000; ++n) {
        matches += n % 300 == 7 ? 1 : 0;
        bytes += Record(n % 300 == 7 ? "05/12/2026" : "04/12/2026", "00:00", std::to_string(n));
    }
    WriteFile(file, bytes);
    DayList whole, piecemeal;
    ASSERT_TRUE(LoadDay(folder, "05/12/2026", SortOrder::EarliestFirst, whole).Stored());
    ASSERT_EQ(whole.kept, matches);
    faults = {.longest = 1000, .interrupt = true};
    ASSERT_TRUE(LoadDay(folder, "05/12/2026", SortOrder::EarliestFirst, piecemeal).Stored());
    EXPECT_EQ(piecemeal.kept, matches);
    EXPECT_EQ(std::memcmp(&piecemeal.slots, &whole.slots, sizeof whole.slots), 0);
    for (const int good : {0, 1, 2}) {  // the first, a middle and the last block fails
        faults = {.readsBeforeError = good};
        const StoreResult result = LoadDay(folder, "05/12/2026", SortOrder::EarliestFirst, piecemeal);
        EXPECT_EQ(result.Reason(), "no se pudo leer el archivo 2026.log: error de entrada/salida del disco") << good;
        EXPECT_EQ(piecemeal.kept, 0);
        EXPECT_EQ(ReadField(piecemeal.slots[0].name), "");
    }
}

// What the user is told, and the file after it: nothing half-written stays in
// the way of the next append.
TEST_F(SystemFaults, FailedWritesAndSyncsAreReportedWithTheirCause) {
    const std::string first = Record("01/01/2026", "08:00", "Bea");
    const struct {
        Faults fault;
        const char* reason;
    } cases[] = {
        {{.pwriteError = ENOSPC}, "no se pudo escribir en el archivo 2026.log: no queda espacio en el disco"},
        {{.pwriteError = -1}, "no se pudo escribir en el archivo 2026.log: no queda espacio en el disco"},
        {{.pwriteError = EDQUOT}, "no se pudo escribir en el archivo 2026.log: se agotó la cuota de disco"},
        {{.pwriteError = EROFS}, "no se pudo escribir en el archivo 2026.log: el disco es de solo lectura"},
        {{.pwriteError = EFBIG}, "no se pudo escribir en el archivo 2026.log: el archivo alcanzó el tamaño máximo permitido"},
        {{.fsyncError = EIO}, "no se pudo guardar en el disco el archivo 2026.log: error de entrada/salida del disco"},
        {{.fsyncError = ENOSPC}, "no se pudo guardar en el disco el archivo 2026.log: no queda espacio en el disco"},
        {{.longest = 50, .interrupt = true}, ""},
    };
    const auto bytes = [](const char* name) { return Record("05/12/2026", "09:30", name); };
    for (const auto& c : cases) {
        WriteFile(file, first + "torn");
        faults = c.fault;
        const StoreResult result = Append("Eva");
        EXPECT_EQ(result.Reason(), c.reason);
        faults = {};
        ASSERT_TRUE(Append("Ana").Stored());
        // A record the user was told is not stored never turns up later.
        EXPECT_EQ(ReadFile(file), first + (result.Stored() ? bytes("Eva") : "") + bytes("Ana")) << c.reason;
    }
}

// A search table that cannot be written whole is not there at all, and
// leaves nothing behind; one written in short, interrupted pieces is whole.
TEST_F(SystemFaults, ASearchTableThatCannotBeWrittenWholeLeavesNothing) {
    std::string bytes;
    for (std::size_t n = 0; n < kIndexedRecords + 10; ++n)
        bytes += Record(n == 9 ? "05/12/2026" : "04/12/2026", "09:00", n == 9 ? "Pilar" : "Ana");
    WriteFile(file, bytes);
    const DayIndexPlace cache{temp.path() / "cache", [] { return std::chrono::system_clock::now() + std::chrono::hours(1); }};
    const auto days = [&] { return FindMatchingDays(folder, RecordMatcher("pilar"), cache).days; };
    const auto cacheFiles = [&] {
        return fs::exists(cache.folder) ? std::distance(fs::directory_iterator(cache.folder), {}) : 0;
    };
    const std::vector<CalendarDate> expected{{2026, 12, 5}};
    for (const Faults fault : {Faults{.pwriteError = ENOSPC}, Faults{.pwriteError = -1}}) {
        faults = fault;
        EXPECT_EQ(days(), expected);
        faults = {};
        EXPECT_EQ(cacheFiles(), 0);
    }
    faults = {.longest = 1000, .interrupt = true};
    EXPECT_EQ(days(), expected);
    faults = {};
    EXPECT_EQ(cacheFiles(), 1);
    WriteFile(file, bytes + Record("06/12/2026", "09:00", "PILAR"));  // the same inode, a new size
    EXPECT_EQ(days(), (std::vector<CalendarDate>{{2026, 12, 5}, {2026, 12, 6}}));
}

// A failed export says why, and the previous export stays as it was.
TEST_F(SystemFaults, AFailedExportIsReportedWithItsCauseAndKeepsThePreviousOne) {
    ASSERT_TRUE(Append("Eva").Stored());
    const fs::path out = temp.path() / "out", vdir = temp.path() / "vdir";
    fs::create_directory(out);
    ASSERT_TRUE(ical::ExportBookToFile(folder, {}, out / "a.ics").Done());
    const std::string previous = ReadFile(out / "a.ics");
    ASSERT_TRUE(Append("Ana").Stored());
    const struct {
        Faults fault;
        std::string what, why;  // the reason: what, the file, why
    } cases[] = {
        {{.pwriteError = ENOSPC}, "no se pudo escribir ", ": no queda espacio en el disco"},
        {{.pwriteError = -1}, "no se pudo escribir ", ": no queda espacio en el disco"},
        {{.fsyncError = EIO}, "no se pudo guardar en el disco ", ": error de entrada/salida del disco"},
    };
    for (const auto& c : cases) {
        faults = c.fault;
        EXPECT_EQ(ical::ExportBookToFile(folder, {}, out / "a.ics").error, c.what + (out / "a.ics").string() + c.why);
        const std::string vdirError = ical::ExportBookToVdir(folder, {}, vdir, {}).error;
        faults = {};
        EXPECT_TRUE(vdirError.starts_with(c.what + vdir.string() + "/quimbaro-") && vdirError.ends_with(c.why)) << vdirError;
        EXPECT_EQ(ReadFile(out / "a.ics"), previous);
        EXPECT_EQ(std::distance(fs::directory_iterator(out), {}), 1);
        EXPECT_EQ(std::distance(fs::directory_iterator(vdir), {}), 1) << "only the lock file";
    }
}

// One copy is waiting for the file when its holder lets go and a newcomer asks
// for it: the one that waited gets it first. The sleeps between the waiters'
// attempts are gated, so who tries when is decided here, not by the clock.
TEST_F(SystemFaults, ACopyThatWaitedIsGrantedTheFileBeforeANewcomer) {
    std::vector<std::string> grants;
    const auto copy = [&](const std::string& name) {
        return std::thread([&, name] {
            LockedFile waiting;
            const bool locked = waiting.Open(file, O_RDWR, 60'000).Stored();
            std::lock_guard lock(gate.mutex);
            grants.push_back(locked ? name : "failed");
            gate.changed.notify_all();
        });
    };
    LockedFile holder;
    ASSERT_TRUE(holder.Open(file, O_RDWR, 0).Stored());
    std::unique_lock lock(gate.mutex);
    gate.on = true;
    std::thread first = copy("waited");
    EXPECT_TRUE(gate.WaitFor(lock, [] { return gate.queue.size() == 1; }));
    holder.Close();
    std::thread second = copy("newcomer");
    EXPECT_TRUE(gate.WaitFor(lock, [&] { return gate.queue.size() == 2 || !grants.empty(); }));
    gate.queue.pop_front();  // the first sleeper tries again
    gate.changed.notify_all();
    EXPECT_TRUE(gate.WaitFor(lock, [&] { return !grants.empty() && gate.queue.size() <= 1; }));
    gate.on = false;
    gate.changed.notify_all();
    lock.unlock();
    first.join();
    second.join();
    EXPECT_EQ(grants, (std::vector<std::string>{"waited", "newcomer"}));
}

// An edit into an earlier year waits for that year's file before it takes
// its own: two copies editing across the same two years the opposite ways
// then never each hold the file the other waits for.
TEST_F(SystemFaults, AnEditAcrossYearsHoldsNoFileWhileItWaits) {
    ASSERT_TRUE(Append("Eva").Stored());
    DayList day;
    ASSERT_TRUE(LoadDay(folder, "05/12/2026", SortOrder::EarliestFirst, day).Stored());
    LockedFile holder;
    ASSERT_TRUE(holder.Open(folder / "2025.log", O_RDWR, 0).Stored());
    std::unique_lock lock(gate.mutex);
    gate.on = true;
    StoreResult edited;
    std::thread editor([&] {
        StoredRecord added;
        edited = ReplaceRecord(folder, RowRecord(day, 1), MakeAppointment("05/12/2025", "09:30", "600111222", "Eva", "Revisión"), added);
    });
    EXPECT_TRUE(gate.WaitFor(lock, [] { return gate.queue.size() == 1; }));
    LockedFile probe;
    EXPECT_TRUE(probe.Open(file, O_RDWR, 0).Stored());
    probe.Close();
    holder.Close();
    gate.on = false;
    gate.changed.notify_all();
    lock.unlock();
    editor.join();
    EXPECT_TRUE(edited.Stored());
    EXPECT_EQ(ReadFile(folder / "2025.log"), Record("05/12/2025", "09:30", "Eva"));
}

}  // namespace
}  // namespace quimbaro
