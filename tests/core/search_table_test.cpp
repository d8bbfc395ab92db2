// The search table of a large year file must find exactly the days the year
// file itself finds, be read instead of it only while the file is as it was,
// and be no table at all when it does not hold together.
#include "search/search_table.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstring>

#include "book/cache_file.h"
#include "search/book_search.h"
#include "random_book.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kRecords = kIndexedRecords + 400;

class SearchTable : public ::testing::Test {
protected:
    testing::TempFolder temp{true};
    const fs::path folder = temp.path() / "data", file = folder / "2026.log";
    std::chrono::system_clock::time_point clock = std::chrono::system_clock::now() + std::chrono::hours(1);
    const DayIndexPlace cache{temp.path() / "cache", [this] { return clock; }};

    void SetUp() override { fs::create_directory(folder); }

    // Random records spread over the whole year, some on days that do not
    // exist, of another year or with no date; the query planted in some.
    void WriteBook(const std::string& planted) const {
        testing::RandomBook book;
        std::string bytes;
        for (std::size_t i = 0; i < kRecords; ++i) {
            std::string record = book.Record(planted);
            if (book.random() % 3 != 0) {
                char date[11];
                std::snprintf(date, sizeof date, "%02d/%02d/%04d", int(1 + book.random() % 31),
                              int(1 + book.random() % 12), book.random() % 9 ? 2026 : 2025);
                std::memcpy(record.data(), date, sizeof date);
            }
            bytes += record;
        }
        testing::WriteFile(file, bytes);
    }
    std::vector<CalendarDate> Days(const std::string& query, const DayIndexPlace& through) const {
        const DaySearch found = FindMatchingDays(folder, RecordMatcher(query), through);
        EXPECT_TRUE(found.skipped.empty());
        return found.days;
    }
    fs::path TablePath() const {
        struct stat year {};
        stat(file.c_str(), &year);
        return CachePath(cache, "textos", year);
    }
};

TEST_F(SearchTable, FindsWhatTheYearFileFindsFirstTimeAndFromTheTable) {
    const std::vector<std::string> queries = {"pilar", "lupe", "n", testing::W("Ñü"), testing::W("ÿ"), "s", testing::W("ß"),
                                              "612 34", "(612) 345-678", "6", "a a", " ", "p\xFF", "eaz"};
    for (const std::string& query : queries) {
        WriteBook(query);
        fs::remove_all(cache.folder);
        const std::vector<CalendarDate> plain = Days(query, {});
        EXPECT_GT(plain.size(), 20u) << query;
        EXPECT_EQ(Days(query, cache), plain) << query << ", while the table is made";
        ASSERT_TRUE(fs::is_regular_file(TablePath())) << query;
        EXPECT_EQ(Days(query, cache), plain) << query << ", from the table";
    }
}

// The table, once made, answers: a name changed in it only is found.
TEST_F(SearchTable, IsReadInsteadOfTheYearFile) {
    WriteBook("maria");
    EXPECT_TRUE(Days("pilar", cache).empty());
    std::string table = testing::ReadFile(TablePath());
    const std::size_t at = table.find("maria");
    ASSERT_NE(at, std::string::npos);
    table.replace(at, 5, "pilar");
    testing::WriteFile(TablePath(), table);
    EXPECT_EQ(Days("pilar", cache).size(), 1u);
    EXPECT_TRUE(Days("pilar", {}).empty());
}

TEST_F(SearchTable, AYearFileChangedAfterwardsIsReadAgainAndTabledAgain) {
    WriteBook("");
    EXPECT_TRUE(Days("pilar", cache).empty());
    const fs::path firstTable = TablePath();
    // In place: the same size and inode, a later modification time.
    std::string bytes = testing::ReadFile(file);
    bytes.replace(7 * kRecordSize, kRecordSize, testing::Bytes(MakeAppointment("20/05/2026", "10:00", "", "Pilar", "")));
    std::fstream(file, std::ios::in | std::ios::out | std::ios::binary) << bytes;
    EXPECT_EQ(Days("pilar", cache), (std::vector<CalendarDate>{{2026, 5, 20}}));
    EXPECT_EQ(Days("pilar", cache), (std::vector<CalendarDate>{{2026, 5, 20}})) << "from the new table";
    // Grown: a record added at the end.
    std::ofstream(file, std::ios::app | std::ios::binary)
        << testing::Bytes(MakeAppointment("21/05/2026", "10:00", "", "PILAR", ""));
    EXPECT_EQ(Days("pilar", cache), (std::vector<CalendarDate>{{2026, 5, 20}, {2026, 5, 21}}));
    EXPECT_TRUE(fs::exists(firstTable));  // the same inode: the table is replaced in its place
}

// One day of full fields: 127 bytes of texts a record, read 256 KiB at a
// time, so the name of record 2064 holds the end of the first read, at its
// 16th byte: the query is put just before it, across it and just after it.
TEST_F(SearchTable, AMatchAtTheEndOfAReadOrAcrossTwoIsFound) {
    for (const std::size_t at : {11, 14, 16}) {
        std::string bytes;
        for (std::size_t i = 0; i < kRecords; ++i) {
            Appointment record = MakeAppointment("09/09/2026", "10:00", "", "", "");
            std::memset(record.name, 'x', sizeof record.name);
            std::memset(record.subject, 'y', sizeof record.subject);
            if (i == 2064) std::memcpy(record.name + at, "pilar", 5);
            bytes += testing::Bytes(record);
        }
        testing::WriteFile(file, bytes);
        EXPECT_EQ(Days("pilar", cache), (std::vector<CalendarDate>{{2026, 9, 9}})) << at;
        EXPECT_EQ(Days("pilar", cache), (std::vector<CalendarDate>{{2026, 9, 9}})) << at << ", from the table";
    }
}

// A file changed a moment ago may change again within the same clock tick.
TEST_F(SearchTable, AFileJustChangedIsNotTabled) {
    WriteBook("");
    clock = std::chrono::system_clock::now() - std::chrono::hours(1);
    EXPECT_TRUE(Days("pilar", cache).empty());
    EXPECT_FALSE(fs::exists(TablePath()));
}

// The table's layout: magic, the year file's stamp, the two region sizes,
// then where each day's texts start (and after them, its digits).
constexpr std::size_t kTextStarts = 8 + sizeof(CacheStamp) + 16;
uint32_t& TextStart(std::string& table, std::size_t day) {
    return *reinterpret_cast<uint32_t*>(table.data() + kTextStarts + 4 * day);
}

TEST_F(SearchTable, ATableThatDoesNotHoldTogetherIsNoTable) {
    WriteBook("lupe");
    const std::vector<CalendarDate> plain = Days("lupe", {});
    ASSERT_EQ(Days("lupe", cache), plain);
    const std::string sound = testing::ReadFile(TablePath());
    const auto damaged = [&](const char* what, const std::function<void(std::string&)>& damage) {
        std::string table = sound;
        damage(table);
        fs::remove(TablePath());
        testing::WriteFile(TablePath(), table);
        EXPECT_EQ(Days("lupe", cache), plain) << what;
    };
    damaged("one byte short", [](std::string& table) { table.pop_back(); });
    damaged("a start going back", [](std::string& table) { std::swap(TextStart(table, 40), TextStart(table, 100)); });
    damaged("the texts of 01/03 on 30/02", [](std::string& table) {
        constexpr std::size_t kFeb30 = 2 * 32 + 30, kMar1 = 3 * 32 + 1;
        ASSERT_LT(TextStart(table, kMar1), TextStart(table, kMar1 + 1));
        for (std::size_t day = kFeb30 + 1; day <= kMar1; ++day) TextStart(table, day) = TextStart(table, kMar1 + 1);
    });
    damaged("another file's stamp", [](std::string& table) { table[8] ^= 1; });
    damaged("sizes past the file", [](std::string& table) {
        uint64_t huge = uint64_t(1) << 40;
        std::memcpy(table.data() + 8 + sizeof(CacheStamp), &huge, sizeof huge);
    });
    // A link in the table's place is not followed, though it leads to a table.
    testing::WriteFile(temp.path() / "elsewhere", sound);
    fs::remove(TablePath());
    fs::create_symlink(temp.path() / "elsewhere", TablePath());
    std::string pilar = sound;
    pilar.replace(pilar.find("lupe"), 4, "ilar");
    testing::WriteFile(temp.path() / "elsewhere", pilar);
    EXPECT_TRUE(Days("ilar", cache).empty());
}

}  // namespace
}  // namespace quimbaro
