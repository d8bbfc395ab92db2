// Exports under attack and bad luck: a vdir folder that someone else filled
// with links, odd names and FIFOs, a full disk, devices as targets and two
// exports at once. Nothing outside the folder changes, and a failed export
// leaves the previous one as it was.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

#include "book/year_file.h"
#include "ical/book_export.h"
#include "ical/book_import.h"
#include "ical/event_export.h"
#include "ical/vdir_export.h"
#include "temp_folder.h"

namespace quimbaro::ical {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

// Every entry of a folder: a file's bytes, a link's target, or its kind.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const fs::file_status status = entry.symlink_status();
        entries[entry.path().filename().string()] = fs::is_symlink(status)   ? "-> " + fs::read_symlink(entry).string()
                                                     : fs::is_regular_file(status) ? ReadFile(entry.path())
                                                                                   : "kind " + std::to_string(int(status.type()));
    }
    return entries;
}

// Runs body in a child process; false when it failed or had not ended after a
// minute (then it is killed: a hang is what the caller checks for).
bool EndsWell(const std::function<bool()>& body) {
    const pid_t child = fork();
    if (child == 0) _exit(body() ? 0 : 1);
    int status = 0;
    for (int waited = 0; waited < 6000; ++waited) {
        if (waitpid(child, &status, WNOHANG) == child) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    ADD_FAILURE() << "the export did not end";
    return false;
}

class ExportSafety : public ::testing::Test {
protected:
    testing::TempFolder temp;
    const fs::path book = temp.path() / "book", vdir = temp.path() / "vdir", sentinel = temp.path() / "sentinel";
    void SetUp() override {
        fs::create_directory(book);
        for (const char* date : {"05/12/2026", "06/12/2026", "07/12/2026"}) Add(date);
        WriteFile(sentinel, "keep me");
    }
    void Add(const char* date) { ASSERT_TRUE(AppendAppointment(book, date, "09:30", "600", "Ana", "x").Stored()); }
    VdirOutcome ToVdir(const DateRange& range = {}) {
        return ExportBookToVdir(book, range, vdir, MakeImportOptions({2026, 12, 5}, {}));
    }
    std::vector<std::string> OurNames() {
        std::vector<std::string> names;
        for (const std::string& uid : StableUids(CollectBook(book, {}).records)) names.push_back(uid + ".ics");
        return names;
    }
    // The list names exactly the event files in the folder.
    void ExpectListMatchesFolder() {
        std::string files;
        for (const auto& [name, bytes] : Snapshot(vdir))
            if (name.ends_with(".ics")) files += name + "\n";
        EXPECT_EQ(ReadFile(vdir / kVdirListName), files);
    }
};

TEST_F(ExportSafety, CraftedListsAndLinksNeverReachOutsideTheFolder) {
    const std::string ours = OurNames()[0], outside = sentinel.string();
    const struct {
        const char* name;
        std::function<void(const fs::path&)> craft;
        bool refused;
    } cases[] = {
        {"list climbs out", [&](auto& v) { WriteFile(v / kVdirListName, "../sentinel\n../../" + outside + "\n"); }, false},
        {"list names an absolute path", [&](auto& v) { WriteFile(v / kVdirListName, outside + "\nquimbaro-1.ics\n"); }, false},
        {"lock is a link", [&](auto& v) { fs::create_symlink(sentinel, v / ".quimbaro-lock"); }, true},
        {"list is a link", [&](auto& v) { fs::create_symlink(sentinel, v / kVdirListName); }, true},
        {"listed file is a link", [&](auto& v) {
             WriteFile(v / kVdirListName, ours + "\n");
             fs::create_symlink(sentinel, v / ours);
         }, false},
        {"listed file of a deleted appointment is a link", [&](auto& v) {
             WriteFile(v / kVdirListName, "quimbaro-00000000000000000000000000000000-1.ics\n");
             fs::create_symlink(sentinel, v / "quimbaro-00000000000000000000000000000000-1.ics");
         }, false},
    };
    const auto links = [&] {
        auto entries = Snapshot(vdir);
        std::erase_if(entries, [](const auto& entry) { return !entry.second.starts_with("-> "); });
        return entries;
    };
    for (const auto& c : cases) {
        fs::remove_all(vdir);
        fs::create_directory(vdir);
        c.craft(vdir);
        const auto before = links();
        const VdirOutcome outcome = ToVdir();
        EXPECT_EQ(ReadFile(sentinel), "keep me") << c.name;
        EXPECT_EQ(links(), before) << c.name;
        EXPECT_EQ(outcome.error.empty(), !c.refused) << c.name << ": " << outcome.error;
        EXPECT_EQ(outcome.removed, 0) << c.name;
        EXPECT_GT(outcome.notOurs + outcome.passedOver + int(c.refused), 0) << c.name;
    }
    fs::remove(vdir / kVdirListName);
    fs::create_symlink(sentinel, vdir / kVdirListName);
    EXPECT_EQ(VdirMessage(ToVdir(), "v"), "No se pudo exportar: " + vdir.string() +
                                              "/.quimbaro-vdir no es un archivo normal (es un enlace simbólico); no se tocó");
}

TEST_F(ExportSafety, AFifoInTheFolderIsPassedOverWithoutWaiting) {
    fs::create_directory(vdir);
    ASSERT_EQ(mkfifo((vdir / OurNames()[1]).c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((vdir / "other.ics").c_str(), 0600), 0);
    EXPECT_TRUE(EndsWell([&] { return ToVdir().notOurs == 1; }));
}

// The file export's own faults and texts: system_faults_test.
TEST_F(ExportSafety, AFullDiskLeavesThePreviousExportAsItWasAndTheNextRunWorks) {
    const fs::path file = temp.path() / "out.ics";
    ASSERT_TRUE(ExportBookToFile(book, {}, file).Done());
    ASSERT_TRUE(ToVdir().error.empty());
    EXPECT_EQ(fs::status(vdir).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(vdir / OurNames()[0]).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    for (int day = 10; day < 28; ++day) Add((std::to_string(day) + "/12/2026").c_str());
    const auto folder = Snapshot(vdir);
    EXPECT_TRUE(testing::WithFileSizeLimit(ReadFile(file).size() / 2, [&] { return !ToVdir().error.empty(); }));
    EXPECT_EQ(Snapshot(vdir), folder);
    WriteFile(vdir / ".quimbaro-tmp-0123456789ab", "left by a run that stopped");
    const VdirOutcome next = ToVdir();
    EXPECT_EQ(next.error, "");
    EXPECT_EQ(next.written, 18);
    EXPECT_FALSE(fs::exists(vdir / ".quimbaro-tmp-0123456789ab"));
    ExpectListMatchesFolder();
}

TEST_F(ExportSafety, DevicesAndFifosAreWrittenThroughAndOtherTargetsRefused) {
    const ExportOutcome full = ExportBookToFile(book, {}, "/dev/full");
    EXPECT_EQ(full.error, "no se pudo escribir /dev/full: no queda espacio en el disco");
    EXPECT_TRUE(ExportBookToFile(book, {}, "/dev/null").Done());
    EXPECT_TRUE(fs::is_character_file("/dev/full") && fs::is_character_file("/dev/null"));

    const fs::path fifo = temp.path() / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(EndsWell([&] {  // no one reads it
        return ExportBookToFile(book, {}, fifo).error ==
               "no se pudo abrir " + fifo.string() + ": el dispositivo no existe o nadie lee al otro lado";
    }));
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    EXPECT_TRUE(ExportBookToFile(book, {}, fifo).Done());
    std::string got(65536, '\0');
    got.resize(std::max<ssize_t>(0, read(reader, got.data(), got.size())));
    close(reader);
    EXPECT_TRUE(got.starts_with("BEGIN:VCALENDAR") && got.find("END:VCALENDAR") != std::string::npos) << got;
    EXPECT_TRUE(fs::is_fifo(fifo));

    const fs::path real = temp.path() / "real.ics", link = temp.path() / "link.ics";
    fs::create_symlink(real, link);
    EXPECT_EQ(ExportBookToFile(book, {}, link).error, link.string() + " no es un archivo normal (es un enlace simbólico); no se tocó");
    WriteFile(real, "old");
    fs::permissions(real, fs::perms(0640));
    EXPECT_TRUE(ExportBookToFile(book, {}, link).Done());  // the user's own link stays, its file is replaced
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, fs::perms(0640));  // with its permissions
    EXPECT_EQ(ReadFile(real), got);
    EXPECT_EQ(ExportBookToFile(book, {}, book).error, book.string() + " no es un archivo normal (es una carpeta); no se tocó");
}

// Each export runs in its own process, as two copies of the program would.
TEST_F(ExportSafety, TwoExportsAtOnceLeaveAListOfExactlyTheFilesThere) {
    const DateRange early{{}, CalendarDate{2026, 12, 5}}, late{CalendarDate{2026, 12, 6}, {}};
    for (int round = 0; round < 30; ++round) {
        const auto exportOf = [&](const DateRange& range) {
            const pid_t child = fork();
            if (child == 0) _exit(ToVdir(range).error.empty() ? 0 : 1);
            return child;
        };
        const pid_t first = exportOf(round % 2 ? early : late), second = exportOf(round % 2 ? late : early);
        for (const pid_t child : {first, second}) {
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << round;
        }
        ExpectListMatchesFolder();
        if (HasFailure()) break;
    }
}

}  // namespace
}  // namespace quimbaro::ical
