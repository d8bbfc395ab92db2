#include "book/year_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstring>

#include <cerrno>
#include <future>

#include "book/append_records.h"
#include "book/change_record.h"
#include "book/locked_file.h"
#include "book/record_stream.h"
#include "temp_folder.h"

namespace quimbaro {

using testing::Bytes;
using testing::ReadFile;
using testing::Record;
using testing::WriteFile;
using namespace std::literals;
namespace fs = std::filesystem;

class YearFile : public ::testing::Test {
protected:
    testing::TempFolder temp{true};
    const fs::path folder = temp.path(), file = folder / "2026.log";
    bool Append(std::string_view name) {
        return AppendAppointment(folder, "05/12/2026", "09:30", "600111222", name, "Revisión").Stored();
    }
};

TEST_F(YearFile, NamedAfterTheKeysLastFourCharactersWithFieldsCutToTheirWidths) {
    EXPECT_EQ(YearFilePath("/data", "05/12/2026"), fs::path("/data/2026.log"));
    EXPECT_EQ(YearFilePath("/data", "x26"), fs::path("/data/x26.log"));
    const std::string x(100, 'x');
    const auto cut = [&](std::size_t n) { return x.substr(0, n) + '\0'; };
    EXPECT_EQ(Bytes(MakeAppointment(x, x, x, x, x)), cut(10) + cut(5) + cut(12) + cut(49) + cut(74));
    std::string zeroed(kRecordSize, '\0');  // a field stops at its first zero byte
    zeroed.replace(0, 10, "05/12/2026").replace(11, 1, "9").replace(17, 2, "12");
    EXPECT_EQ(Bytes(MakeAppointment("05/12/2026", "9", "12\0 34"sv, "", "")), zeroed);
}

TEST_F(YearFile, ReadsAMissingFileAsNoRecordsAndKeepsTheFirst29MatchesInFileOrderThenSorted) {
    DayList list;
    list.kept = 5;
    list.slots[0] = MakeAppointment("05/12/2026", "09:00", "", "stale", "");
    ASSERT_TRUE(LoadDay(folder, "05/12/2026", SortOrder::EarliestFirst, list).Stored());
    EXPECT_EQ(list.kept, 0);
    EXPECT_EQ(Bytes(list.slots[0]), Bytes(Appointment{}));
    EXPECT_TRUE(fs::is_empty(folder));  // reading made no file
    std::string bytes;
    for (int i = 0; i < 31; ++i) {  // the two past the 29th are the earliest: they must not show
        const std::string time = i < 29 ? std::to_string(38 - i) + ":00" : "00:0" + std::to_string(i);
        bytes += Record("04/12/2026", "00:00") + Record("05/12/2026", time, "n" + std::to_string(i));
    }
    WriteFile(file, bytes);
    ASSERT_TRUE(LoadDay(folder, "05/12/2026", SortOrder::EarliestFirst, list).Stored());
    EXPECT_EQ(list.kept, 31);
    for (int i = 0; i < kDaySlots; ++i) EXPECT_EQ(ReadField(list.slots[i].name), "n" + std::to_string(28 - i));
}

TEST_F(YearFile, MatchesTheDateTextExactlyOnBothSidesOfAReadBlockAndAppendsOverAPartialTrailingRecord) {
    const std::size_t edge = kStreamBlockRecords, last = edge + 100;
    std::string bytes;
    for (std::size_t i = 0; i <= last; ++i) bytes += Record("06/12/2026", "07:00");
    const auto put = [&](std::size_t at, const std::string& record) { bytes.replace(at * kRecordSize, kRecordSize, record); };
    put(edge - 1, Record("05/12/2026", "09:00"));
    put(edge, Record("05/12/2026", "09:00"));
    put(last, Record("05/12/2026", "08:00").replace(30, 50, std::string(50, 'N')));  // a name with no zero byte
    put(5, Record("5/12/2026", "07:00").replace(10, 1, "G"));  // after the terminating zero: not date text
    put(6, Record("05/12/202", "07:00"));
    put(7, Record("", "07:00").replace(0, 11, "05/12/20261"));
    put(8, Record("", "07:00").replace(0, 11, "x05/12/2026"));
    WriteFile(file, bytes + "05/12/2026");
    DayList list;
    ASSERT_TRUE(LoadDay(folder, "05/12/2026", SortOrder::EarliestFirst, list).Stored());
    ASSERT_EQ(list.kept, 3);
    EXPECT_EQ(ReadField(list.slots[0].name), std::string(50, 'N'));
    const uint64_t offsets[] = {last * kRecordSize, (edge - 1) * kRecordSize, edge * kRecordSize};
    EXPECT_TRUE(std::equal(offsets, offsets + 3, list.offsets.begin()));  // where each sorted row is in the file
    // Several days at once: each the same as that day loaded alone, a missing year file as no records.
    const std::vector<std::string> keys = {"06/12/2026", "05/12/2026", "5/12/2026", "01/01/2027"};
    std::vector<DayList> lists;
    ASSERT_TRUE(LoadDays(folder, keys, SortOrder::LatestFirst, lists).Stored());
    ASSERT_EQ(lists.size(), keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        DayList alone;
        ASSERT_TRUE(LoadDay(folder, keys[i], SortOrder::LatestFirst, alone).Stored());
        EXPECT_EQ(lists[i].kept, alone.kept) << keys[i];
        const int rows = std::min(alone.kept, kDaySlots);
        EXPECT_EQ(0, std::memcmp(lists[i].slots.data(), alone.slots.data(), rows * kRecordSize)) << keys[i];
        EXPECT_TRUE(std::equal(alone.offsets.begin(), alone.offsets.begin() + rows, lists[i].offsets.begin())) << keys[i];
    }
    EXPECT_EQ(lists[0].kept, int(last + 1 - 7));  // all but the seven put in
    EXPECT_EQ(lists[2].kept, 1);
    EXPECT_FALSE(LoadDays(folder, {"05/12/2026", "05/12/202"}, SortOrder::LatestFirst, lists).Stored());  // no file name
    EXPECT_TRUE(lists.empty());
    ASSERT_TRUE(Append(std::string(60, 'a')));
    EXPECT_EQ(ReadFile(file), bytes + Record("05/12/2026", "09:30", std::string(49, 'a')));
}

// Bad dates and files that cannot be opened are reported; nothing is created.
TEST_F(YearFile, RefusesDatesThatAreNoDayKeyAndReportsFilesThatCannotBeOpened) {
    fs::create_directory(folder / "data");
    for (const char* date : {"../x", "05/12/26", "5/12/2026", "", "../../2026", "05/12/2026/"})
        EXPECT_EQ(AppendAppointment(folder / "data", date, "09:30", "600", "Ana", "x").Reason(),
                  "la fecha no es válida (DD/MM/AAAA)") << date;
    DayList list;
    for (const std::string_view key : {"../x"sv, "05/12/26"sv, ".."sv, "05/12/2\0" "26"sv})
        EXPECT_EQ(LoadDay(folder / "data", key, SortOrder::EarliestFirst, list).error, StoreError::BadDate) << key;
    EXPECT_TRUE(fs::is_empty(folder / "data"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);  // nor anything beside it
    WriteFile(folder / "plain", "not a folder");
    EXPECT_EQ(AppendAppointment(folder / "plain", "05/12/2026", "09:30", "", "Ana", "").Reason(),
              "no se pudo abrir el archivo 2026.log: la ruta no es una carpeta");
    fs::create_directory(file);
    EXPECT_EQ(AppendAppointment(folder, "05/12/2026", "09:30", "", "Ana", "").Reason(),
              "no se pudo abrir el archivo 2026.log: es una carpeta, no un archivo");
    list.kept = 3;
    EXPECT_EQ(LoadDay(folder, "05/12/2026", SortOrder::EarliestFirst, list).error, StoreError::OpenFailed);
    EXPECT_EQ(list.kept, 0);
}

// flock locks belong to the open file, so a second opening in this process
// stands for another running copy (whose release the lock-order test covers).
TEST_F(YearFile, GivesUpAfterTheWaitWhileAnotherCopyHoldsTheFile) {
    LockedFile other;
    ASSERT_TRUE(other.Open(file, O_RDWR, 0).Stored());
    DayList list;  // both wait at once
    auto load = std::async(std::launch::async, [&] { return LoadDay(folder, "05/12/2026", SortOrder::EarliestFirst, list).error; });
    EXPECT_EQ(AppendAppointment(folder, "05/12/2026", "10:30", "", "Eva", "").Reason(),
              "el archivo 2026.log está en uso por otra copia del programa");
    EXPECT_EQ(load.get(), StoreError::LockTimeout);
    EXPECT_TRUE(fs::is_empty(file));
}

// What stands in a year file's place and is no plain file of ours is
// refused with its cause, without hanging on a FIFO, reading a device or
// writing through a link.
TEST_F(YearFile, OnlyPlainFilesAreReadOrWritten) {
    DayList list;
    const fs::path outside = temp.path() / "outside";
    const std::string notPlain = "no se pudo abrir el archivo 2026.log: no es un archivo normal (es una tubería, un dispositivo o un socket)";
    const std::string link = "no se pudo abrir el archivo 2026.log: es un enlace simbólico";
    const struct {
        std::function<void()> make;
        std::string reason;
    } cases[] = {
        {[&] { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); }, notPlain},
        {[&] { fs::create_symlink("/dev/zero", file); }, link},
        {[&] { WriteFile(outside, "fuera"); fs::create_symlink(outside, file); }, link},
    };
    for (const auto& c : cases) {
        fs::remove(file);
        c.make();
        EXPECT_EQ(LoadDay(folder, "05/12/2026", SortOrder::EarliestFirst, list).Reason(), c.reason);
        EXPECT_EQ(AppendAppointment(folder, "05/12/2026", "09:30", "", "Ana", "").Reason(), c.reason);
    }
    EXPECT_EQ(ReadFile(outside), "fuera");
}

// A full disk takes part of a record: the file keeps the size it had.
TEST_F(YearFile, AnAppendThatFailsPartWayLeavesTheFileAsItWas) {
    std::string bytes;
    for (int i = 0; i < 26; ++i) bytes += Record("04/12/2026", "08:00", std::to_string(i));
    WriteFile(file, bytes);
    EXPECT_TRUE(testing::WithFileSizeLimit(4096, [&] { return !Append("Eva"); }));
    EXPECT_EQ(ReadFile(file), bytes);
}

// Deleting and editing refuse a record that is no longer what the user saw,
// a place that holds no record and a date that is no day, and a full disk
// keeps the old record (the changes themselves and their undo: session_test).
TEST_F(YearFile, ChangesRefuseChangedRecordsBadPlacesAndBadDatesAndAFullDiskKeepsTheOldRecord) {
    const auto make = [](const char* date, const char* time, const char* name) { return MakeAppointment(date, time, "1", name, "x"); };
    std::string original;  // four records of 05/12/2026 among others, in an order the sort changes
    for (const Appointment& record : {make("05/12/2026", "12:00", "Ana"), make("04/12/2026", "10:00", "Otra"),
                                      make("05/12/2026", "09:00", "Bea"), make("05/12/2026", "08:00", "Dora")})
        original += Bytes(record);
    WriteFile(file, original);
    DayList day;
    ASSERT_TRUE(LoadDay(folder, "05/12/2026", SortOrder::EarliestFirst, day).Stored());
    const StoredRecord dora = RowRecord(day, 1);
    StoredRecord added;
    std::string changed = original;  // another copy edited Dora's subject meanwhile
    changed[dora.offset + 80] = 'y';
    WriteFile(file, changed);
    EXPECT_EQ(DeleteRecord(folder, dora).error, StoreError::Changed);
    EXPECT_EQ(ReplaceRecord(folder, dora, make("06/12/2026", "09:00", "Dora"), added).error, StoreError::Changed);
    EXPECT_EQ(ReadFile(file), changed);
    WriteFile(file, original);
    for (const uint64_t offset : {uint64_t{4} * kRecordSize, dora.offset + 1, ~uint64_t{0} - 154})
        EXPECT_EQ(DeleteRecord(folder, {dora.record, offset}).error, StoreError::Changed) << offset;
    EXPECT_EQ(ReplaceRecord(folder, dora, make("5/12/2026", "09:00", "Dora"), added).error, StoreError::BadDate);
    EXPECT_EQ(DeleteRecord(folder, {make("../x/2026", "", ""), 0}).error, StoreError::BadDate);
    EXPECT_TRUE(testing::WithFileSizeLimit(original.size() + 66, [&] {  // room for part of the record
        return ReplaceRecord(folder, dora, make("06/12/2026", "09:00", "Dora"), added).error == StoreError::WriteFailed;
    }));
    EXPECT_EQ(ReadFile(file), original);
    EXPECT_EQ(fs::directory_iterator(folder)->path(), file);  // nothing else was made
}

// A record read from a file may fill a field to its last byte. Its key is
// the record as it would be stored again: the last byte zero, nothing after
// a field's text counted, and nothing read past the field.
TEST(RecordKey, AFullFieldKeysAsStoredAgainAndBytesAfterTheTextDoNotCount) {
    Appointment full;
    std::memset(static_cast<void*>(&full), 'x', sizeof full);
    Appointment stored = full;
    stored.date[10] = stored.time[5] = stored.phone[12] = stored.name[49] = stored.subject[74] = '\0';
    EXPECT_EQ(RecordKey(full), RecordKey(stored));
    Appointment shorter = stored;  // the text keeps all but the last byte
    shorter.subject[73] = '\0';
    EXPECT_NE(RecordKey(shorter), RecordKey(stored));
    Appointment cut = stored, cutClean = stored;
    cut.name[3] = '\0';
    std::memset(cutClean.name + 3, 0, sizeof cutClean.name - 3);
    EXPECT_EQ(RecordKey(cut), RecordKey(cutClean));
    EXPECT_NE(RecordKey(cut), RecordKey(stored));
}

}  // namespace quimbaro
