// Deleting, editing and undoing stored appointments: only the bytes of the
// record changed move, and a record that is no longer what the user saw is
// refused untouched.
#include "book/change_record.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace quimbaro {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::ReadFile;

Appointment Record(const char* date, const char* time, const char* name) { return MakeAppointment(date, time, "1", name, "x"); }

// Four records of 05/12/2026 among others, in an order the sort changes.
class ChangeRecord : public ::testing::Test {
protected:
    void SetUp() override {
        for (const Appointment& record : {Record("05/12/2026", "12:00", "Ana"), Record("04/12/2026", "10:00", "Otra"),
                                          Record("05/12/2026", "09:00", "Bea"), Record("05/12/2026", "08:00", "Dora")})
            original += Bytes(record);
        testing::WriteFile(file, original);
        EXPECT_TRUE(LoadDay(folder, "05/12/2026", 2, day).Stored());
    }
    std::string Names(const char* key = "05/12/2026") {
        DayList list;
        EXPECT_TRUE(LoadDay(folder, key, 2, list).Stored());
        std::string names;
        for (int slot = 0; slot < list.kept; ++slot) names += ReadField(list.slots[slot].name) + " ";
        return names;
    }
    std::string Deleted(uint64_t offset) { return std::string(original).replace(offset, 11, 11, '\0'); }

    testing::TempFolder temp{true};
    const fs::path folder = temp.path(), file = folder / "2026.log";
    std::string original;
    DayList day;
};

TEST_F(ChangeRecord, RowsKeepTheirFilePositionsThroughTheSortAndADeletionZeroesOnlyThatDate) {
    for (int row = 1; row <= 3; ++row)
        EXPECT_EQ(original.substr(RowRecord(day, row).offset, kRecordSize), Bytes(day.slots[row - 1])) << row;
    const StoredRecord bea = RowRecord(day, 2);
    ASSERT_TRUE(DeleteRecord(folder, bea).Stored());
    EXPECT_EQ(ReadFile(file), Deleted(bea.offset));
    EXPECT_EQ(Names(), "Dora Ana ");
    EXPECT_EQ(DeleteRecord(folder, bea).error, StoreError::Changed);  // already gone
    ASSERT_TRUE(Undo(folder, {bea, std::nullopt}).Stored());
    EXPECT_EQ(ReadFile(file), original);
    EXPECT_EQ(Undo(folder, {bea, std::nullopt}).error, StoreError::Changed);  // nothing left to undo
}

TEST_F(ChangeRecord, AnEditToAnotherYearAppendsThereFirstAndUndoReversesBoth) {
    const StoredRecord ana = RowRecord(day, 3);
    const Appointment replacement = Record("02/01/2027", "17:00", "Ana Ruiz");
    StoredRecord added;
    ASSERT_TRUE(ReplaceRecord(folder, ana, replacement, added).Stored());
    EXPECT_EQ(ReadFile(folder / "2027.log"), Bytes(replacement));
    EXPECT_EQ(ReadFile(file), Deleted(ana.offset));
    EXPECT_EQ(Names("02/01/2027"), "Ana Ruiz ");
    ASSERT_TRUE(Undo(folder, {ana, added}).Stored());
    EXPECT_EQ(ReadFile(file), original);
    EXPECT_EQ(Names("02/01/2027"), "");
}

TEST_F(ChangeRecord, ChangedRecordsBadPlacesAndBadDatesAreRefusedAndAFullDiskKeepsTheOldRecord) {
    const StoredRecord dora = RowRecord(day, 1);
    StoredRecord added;
    std::string changed = original;  // another copy edited Dora's subject meanwhile
    changed[dora.offset + 80] = 'y';
    testing::WriteFile(file, changed);
    EXPECT_EQ(DeleteRecord(folder, dora).error, StoreError::Changed);
    EXPECT_EQ(ReplaceRecord(folder, dora, Record("06/12/2026", "09:00", "Dora"), added).error, StoreError::Changed);
    EXPECT_EQ(ReadFile(file), changed);
    testing::WriteFile(file, original);
    for (const uint64_t offset : {uint64_t{4} * kRecordSize, dora.offset + 1, ~uint64_t{0} - 154})
        EXPECT_EQ(DeleteRecord(folder, {dora.record, offset}).error, StoreError::Changed) << offset;
    EXPECT_EQ(ReplaceRecord(folder, dora, Record("5/12/2026", "09:00", "Dora"), added).error, StoreError::BadDate);
    EXPECT_EQ(DeleteRecord(folder, {Record("../x/2026", "", ""), 0}).error, StoreError::BadDate);
    EXPECT_TRUE(testing::WithFileSizeLimit(original.size() + 66, [&] {  // room for part of the record
        return ReplaceRecord(folder, dora, Record("06/12/2026", "09:00", "Dora"), added).error == StoreError::WriteFailed;
    }));
    EXPECT_EQ(ReadFile(file), original);
    EXPECT_EQ(fs::directory_iterator(folder)->path(), file);  // nothing else was made
}

}  // namespace
}  // namespace quimbaro
