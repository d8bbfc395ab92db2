// A day read through the day index must be the day read from the whole
// file, whatever happened to the year file or to the index since.
#include "book/day_index.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "book/year_file.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

using testing::Record;
namespace fs = std::filesystem;

constexpr std::size_t kRecords = kIndexedRecords + 50;
const std::vector<std::size_t> kDayAt = {0, 7, 4096, kRecords - 1};  // the records of 05/12/2026

class DayIndex : public ::testing::Test {
protected:
    testing::TempFolder temp{true};
    const fs::path folder = temp.path() / "data", file = folder / "2026.log";
    std::chrono::system_clock::time_point clock = std::chrono::system_clock::now() + std::chrono::hours(1);
    const DayIndexPlace place{temp.path() / "cache", [this] { return clock; }};

    void SetUp() override {
        fs::create_directory(folder);
        std::string bytes;
        for (std::size_t i = 0; i < kRecords; ++i) bytes += Record("06/12/2026", "07:00", "otro");
        for (std::size_t i = 0; i < kDayAt.size(); ++i)
            bytes.replace(kDayAt[i] * kRecordSize, kRecordSize, Record("05/12/2026", "09:0" + std::to_string(i)));
        testing::WriteFile(file, bytes);
        // An old modification time: a change in place below always moves it.
        const timespec old[2] = {{1, 0}, {1, 0}};
        utimensat(AT_FDCWD, file.c_str(), old, 0);
    }
    struct stat Stat(const fs::path& path) const {
        struct stat info {};
        stat(path.c_str(), &info);
        return info;
    }
    void Overwrite(const fs::path& path, std::size_t at, const std::string& bytes) const {
        std::fstream(path, std::ios::in | std::ios::out | std::ios::binary).seekp(long(at)) << bytes;
    }
    std::vector<std::string> Times(const DayIndexPlace& through) const {
        DayList list;
        EXPECT_TRUE(LoadDay(folder, "05/12/2026", SortOrder::EarliestFirst, list, through).Stored());
        std::vector<std::string> times;
        for (int i = 0; i < std::min(list.kept, kDaySlots); ++i) times.push_back(ReadField(list.slots[i].time));
        return times;
    }
    std::size_t IndexFiles() const {
        return fs::exists(place.folder) ? std::size_t(std::distance(fs::directory_iterator(place.folder), {})) : 0;
    }
};

TEST_F(DayIndex, ListsEachDaysRecordsAndIsMadeOnlyForAFileThatChangedLongEnoughAgo) {
    clock = std::chrono::system_clock::now();  // the file was written just now
    EXPECT_EQ(Times(place).size(), kDayAt.size());
    EXPECT_EQ(IndexFiles(), 0u);
    clock += std::chrono::hours(1);
    EXPECT_EQ(Times(place).size(), kDayAt.size());
    EXPECT_EQ(IndexFiles(), 1u);
    std::vector<uint32_t> expected(kDayAt.begin(), kDayAt.end());
    EXPECT_EQ(ReadDayIndex(place, Stat(file), *DaySlot("05/12/2026")), expected);
    EXPECT_EQ(ReadDayIndex(place, Stat(file), *DaySlot("06/12/2026"))->size(), kRecords - kDayAt.size());
    EXPECT_EQ(ReadDayIndex(place, Stat(file), *DaySlot("07/12/2026"))->size(), 0u);
    for (const char* notADate : {"5/12/2026\0", "05-12-2026", "00/01/2026", "32/12/2026", "05/13/2026", "\0\0\0\0\0\0\0\0\0\0"})
        EXPECT_FALSE(DaySlot(notADate)) << notADate;
}

TEST_F(DayIndex, ReadsTheWholeFileAgainWhenTheFileOrTheIndexChanged) {
    const std::vector<std::string> all = {"09:00", "09:01", "09:02", "09:03"};
    const auto index = [&] { return place.folder / fs::directory_iterator(place.folder)->path().filename(); };
    // The day's numbers come first, right after the header: the second one is damaged.
    const auto secondNumber = [&] { return fs::file_size(index()) - kRecords * sizeof(uint32_t) + sizeof(uint32_t); };
    struct Case {
        const char* what;
        std::function<void()> change;
        std::vector<std::string> times;
    };
    const std::vector<Case> cases = {
        {"a record appended", [&] { std::ofstream(file, std::ios::app | std::ios::binary) << Record("05/12/2026", "08:00"); },
         {"08:00", "09:00", "09:01", "09:02", "09:03"}},
        {"a record deleted in place", [&] { Overwrite(file, 7 * kRecordSize, std::string(11, '\0')); },
         {"09:00", "09:02", "09:03"}},
        {"a slot's numbers damaged", [&] { Overwrite(index(), secondNumber(), std::string("\x01\0\0\0", 4)); }, all},
        {"the index cut short", [&] { fs::resize_file(index(), 100); }, all},
    };
    for (const Case& c : cases) {
        SetUp();
        ASSERT_EQ(Times(place), all) << c.what;  // makes the index
        c.change();
        EXPECT_EQ(Times(place), c.times) << c.what;
        EXPECT_EQ(Times(place), c.times) << c.what << ", once more";
        EXPECT_EQ(Times({}), c.times) << c.what << ", without the index";
        fs::remove_all(place.folder);
        fs::remove_all(folder);
    }
}

// The cache folder comes from absolute paths only, as the desktop's rules say.
TEST(DayIndexPlaceChoice, AnAbsoluteCacheFolderElseHomesElseNone) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/c", "/h", "/c/quimbaro"}, {"c", "/h", "/h/.cache/quimbaro"}, {"", "/h", "/h/.cache/quimbaro"},
        {nullptr, "/h", "/h/.cache/quimbaro"}, {"c", "h", ""}};
    const std::string keptHome = std::getenv("HOME") ? std::getenv("HOME") : "/";
    for (const auto& [cache, home, folder] : cases) {
        cache ? setenv("XDG_CACHE_HOME", cache, 1) : unsetenv("XDG_CACHE_HOME");
        setenv("HOME", home, 1);
        EXPECT_EQ(ProcessDayIndexPlace().folder, fs::path(folder)) << (cache ? cache : "(unset)") << " " << home;
    }
    setenv("HOME", keptHome.c_str(), 1);
    unsetenv("XDG_CACHE_HOME");
}

// Old indexes of year files replaced by rename do not pile up; only "dias-*"
// entries go, a link among them is removed itself, never followed.
TEST_F(DayIndex, KeepsOnlyTheNewestIndexes) {
    fs::create_directories(place.folder);
    for (std::size_t i = 0; i < kKeptIndexes + 5; ++i) {
        testing::WriteFile(place.folder / ("dias-0-" + std::to_string(i)), "x");
        const timespec at[2] = {{long(1000 + i), 0}, {long(1000 + i), 0}};
        utimensat(AT_FDCWD, (place.folder / ("dias-0-" + std::to_string(i))).c_str(), at, 0);
    }
    testing::WriteFile(temp.path() / "target", "kept");
    fs::create_symlink(temp.path() / "target", place.folder / "dias-link");
    testing::WriteFile(place.folder / "otro", "kept");
    Times(place);  // makes this file's index, the newest
    EXPECT_EQ(IndexFiles(), kKeptIndexes + 1);  // "otro" stays
    EXPECT_TRUE(fs::exists(place.folder / "otro") && fs::exists(temp.path() / "target"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(place.folder / "dias-link")));
    for (std::size_t i = 0; i < 6; ++i) EXPECT_FALSE(fs::exists(place.folder / ("dias-0-" + std::to_string(i)))) << i;
    EXPECT_TRUE(ReadDayIndex(place, Stat(file), *DaySlot("05/12/2026")));
}

}  // namespace
}  // namespace quimbaro
