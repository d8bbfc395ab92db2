// Deleting, editing and undoing stored appointments: only the bytes of the
// record changed move, the loaded day shows the change, and a record that is
// no longer what the user saw is refused.
#include "book/change_record.h"

#include <gtest/gtest.h>

#include <string>

#include "book/year_file.h"
#include "command/row_commands.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

std::string Bytes(const Appointment& record) { return std::string(reinterpret_cast<const char*>(&record), kRecordSize); }

Appointment Record(const char* date, const char* time, const char* name) {
    return MakeAppointment(date, time, "600111222", name, "Consulta");
}

// Four records of 05/12/2026 among others, in an order the sort changes.
class ChangeRecord : public ::testing::Test {
protected:
    void SetUp() override {
        for (const Appointment& record :
             {Record("05/12/2026", "12:00", "Ana"), Record("04/12/2026", "10:00", "Otra"),
              Record("05/12/2026", "09:00", "Bea"), Record("05/12/2026", "10:00", "Carla"),
              Record("05/12/2026", "08:00", "Dora")})
            original += Bytes(record);
        WriteFile(file, original);
    }
    DayList Day(const char* key = "05/12/2026") {
        DayList list;
        EXPECT_TRUE(LoadDay(folder, key, 2, list).Stored());
        return list;
    }
    std::string Names(const DayList& list) {
        std::string names;
        for (int row = 1; row <= RowsShown(list); ++row) names += ReadField(list.slots[row - 1].name) + " ";
        return names;
    }
    // The original bytes with the date of the record at offset zeroed.
    std::string Deleted(uint64_t offset) { return std::string(original).replace(offset, 11, 11, '\0'); }

    testing::TempFolder temp{fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path()};
    const fs::path folder = temp.path(), file = folder / "2026.log";
    std::string original;
};

TEST_F(ChangeRecord, RowsKeepTheirFilePositionsThroughTheSortAndADeletionZeroesOnlyThatDate) {
    const DayList day = Day();
    ASSERT_EQ(Names(day), "Dora Bea Carla Ana ");
    for (int row = 1; row <= 4; ++row) {
        const StoredRecord stored = RowRecord(day, row);
        EXPECT_EQ(original.substr(stored.offset, kRecordSize), Bytes(stored.record)) << row;
    }
    const StoredRecord bea = RowRecord(day, 2);
    ASSERT_TRUE(DeleteRecord(folder, bea).Stored());
    EXPECT_EQ(ReadFile(file), Deleted(bea.offset));
    EXPECT_EQ(Names(Day()), "Dora Carla Ana ");
    EXPECT_EQ(DeleteRecord(folder, bea).error, StoreError::Changed);  // already gone
    ASSERT_TRUE(Undo(folder, {bea, std::nullopt}).Stored());
    EXPECT_EQ(ReadFile(file), original);
    EXPECT_EQ(Undo(folder, {bea, std::nullopt}).error, StoreError::Changed);  // nothing left to undo
}

TEST_F(ChangeRecord, AnEditAppendsToTheNewDatesFileThenDeletesAndUndoReversesBoth) {
    struct Case { const char* date; fs::path addedFile; };
    for (const Case& c : {Case{"06/12/2026", file}, Case{"02/01/2027", folder / "2027.log"}}) {
        SCOPED_TRACE(c.date);
        WriteFile(file, original + "partial");  // a torn tail is written over, as an append does
        const StoredRecord carla = RowRecord(Day(), 3);
        const Appointment replacement = Record(c.date, "17:00", "Carla Ruiz");
        StoredRecord added;
        ASSERT_TRUE(ReplaceRecord(folder, carla, replacement, added).Stored());
        const std::string before = c.addedFile == file ? Deleted(carla.offset) : ReadFile(c.addedFile).substr(0, added.offset);
        EXPECT_EQ(added.offset, before.size());
        EXPECT_EQ(ReadFile(c.addedFile), before + Bytes(replacement));
        if (c.addedFile != file) {
            EXPECT_EQ(ReadFile(file), Deleted(carla.offset) + "partial");
        }
        EXPECT_EQ(Names(Day()), "Dora Bea Ana ");
        EXPECT_EQ(Names(Day(c.date)), "Carla Ruiz ");

        ASSERT_TRUE(Undo(folder, {carla, added}).Stored());
        EXPECT_EQ(Names(Day()), "Dora Bea Carla Ana ");
        EXPECT_EQ(Names(Day(c.date)), "");
        EXPECT_EQ(ReadFile(file).substr(0, original.size()), original);
    }
}

TEST_F(ChangeRecord, RecordsChangedByAnotherCopyAndBadReplacementsAreRefusedUntouched) {
    const StoredRecord ana = RowRecord(Day(), 4);
    StoredRecord added;
    // Another copy edited Ana's subject meanwhile.
    std::string changed = original;
    changed.replace(ana.offset + 80, 8, "Urgente\0", 8);
    WriteFile(file, changed);
    EXPECT_EQ(DeleteRecord(folder, ana).error, StoreError::Changed);
    EXPECT_EQ(ReplaceRecord(folder, ana, Record("06/12/2026", "09:00", "Ana"), added).error, StoreError::Changed);
    EXPECT_EQ(ReadFile(file), changed);
    // A place past the end or off the record boundaries.
    WriteFile(file, original);
    for (const uint64_t offset : {uint64_t{5} * kRecordSize, ana.offset + 1, ~uint64_t{0} - 154})
        EXPECT_EQ(DeleteRecord(folder, {ana.record, offset}).error, StoreError::Changed) << offset;
    // Dates that are no day key, and a replacement equal to what is stored.
    EXPECT_EQ(ReplaceRecord(folder, ana, Record("5/12/2026", "09:00", "Ana"), added).error, StoreError::BadDate);
    EXPECT_EQ(DeleteRecord(folder, {Record("../x/2026", "", ""), 0}).error, StoreError::BadDate);
    ASSERT_TRUE(ReplaceRecord(folder, ana, ana.record, added).Stored());
    EXPECT_EQ(added.offset, ana.offset);
    EXPECT_EQ(ReadFile(file), original);
    EXPECT_FALSE(fs::exists(folder / "x"));
}

TEST_F(ChangeRecord, AnEditThatCannotBeAppendedKeepsTheOldRecord) {
    const StoredRecord dora = RowRecord(Day(), 1);
    EXPECT_TRUE(testing::WithFileSizeLimit(original.size(), [&] {
        StoredRecord added;
        return ReplaceRecord(folder, dora, Record("06/12/2026", "09:00", "Dora"), added).error == StoreError::WriteFailed;
    }));
    EXPECT_EQ(ReadFile(file), original);
}

}  // namespace
}  // namespace quimbaro
