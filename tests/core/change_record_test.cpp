// Deleting and editing refuse a record that is no longer what the user saw,
// a place that holds no record and a date that is no day, and a full disk
// keeps the old record (the changes themselves and their undo: session_test).
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
        EXPECT_TRUE(LoadDay(folder, "05/12/2026", SortOrder::EarliestFirst, day).Stored());
    }

    testing::TempFolder temp{true};
    const fs::path folder = temp.path(), file = folder / "2026.log";
    std::string original;
    DayList day;
};

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
    EXPECT_TRUE(testing::WithFileSizeLimit(original.size(), [&] {
        return ReplaceRecord(folder, dora, Record("06/12/2026", "09:00", "Dora"), added).error == StoreError::WriteFailed;
    }));
    EXPECT_EQ(ReadFile(file), original);
    EXPECT_EQ(fs::directory_iterator(folder)->path(), file);  // nothing else was made
}

}  // namespace
}  // namespace quimbaro
