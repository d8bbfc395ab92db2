// Deleting or editing one shown row of any year file, then undoing it: the
// change touches only that record's date and, for an edit, the record it
// appends; the undo gives the old record back; every other byte stays.
//
// Input: a row byte, an operation byte, the edit line's length, the edit line,
// then the year file.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "book/change_record.h"
#include "book/year_file.h"
#include "command/classify_line.h"
#include "command/row_commands.h"
#include "fuzz_folder.h"

namespace {

using namespace quimbaro;
namespace fs = std::filesystem;

constexpr const char* kFallbackKey = "05/12/2026";

struct Input {
    uint8_t row = 0, operation = 0;
    std::string_view line, file;
};

Input Split(const uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (size < 3) return {0, 0, {}, bytes};
    const std::size_t length = std::min<std::size_t>(data[2], size - 3);
    return {data[0], data[1], bytes.substr(3, length), bytes.substr(3 + length)};
}

std::string Bytes(const Appointment& record) { return std::string(reinterpret_cast<const char*>(&record), kRecordSize); }

std::string DateOf(std::string_view file, std::size_t index) {
    Appointment record;
    std::memcpy(&record, file.data() + index * kRecordSize, kRecordSize);
    return ReadField(record.date);
}

// One of the file's own dates when it is a day key, so that rows show.
std::string PickKey(std::string_view file, uint8_t row) {
    const std::size_t records = file.size() / kRecordSize;
    const std::string key = records == 0 ? "" : DateOf(file, row % records);
    return ParseDayKey(key) ? key : kFallbackKey;
}

// An appointment line as the entry would store it; any other bytes as the raw record.
Appointment Replacement(std::string_view line) {
    const ClassifiedLine classified = ClassifyLine(line);
    if (classified.action == LineAction::Append) return classified.appointment;
    Appointment raw;
    std::memcpy(&raw, line.data(), std::min(line.size(), kRecordSize));
    return raw;
}

std::string WithDateZeroed(std::string bytes, uint64_t offset) { return bytes.replace(offset, 11, 11, '\0'); }

void CheckDeleteAndUndo(const fs::path& file, const std::string& original, const StoredRecord& seen) {
    FUZZ_CHECK(DeleteRecord(fuzz::ScratchFolder(), seen).Stored());
    FUZZ_CHECK(fuzz::ReadWholeFile(file) == WithDateZeroed(original, seen.offset));
    FUZZ_CHECK(Undo(fuzz::ScratchFolder(), {seen, std::nullopt}).Stored());
    FUZZ_CHECK(fuzz::ReadWholeFile(file) == original);
}

void CheckEditAndUndo(const fs::path& file, const std::string& original, const StoredRecord& seen,
                      const Appointment& replacement) {
    StoredRecord added;
    const StoreResult result = ReplaceRecord(fuzz::ScratchFolder(), seen, replacement, added);
    if (!ParseDayKey(ReadField(replacement.date))) {
        FUZZ_CHECK(result.error == StoreError::BadDate && fuzz::ReadWholeFile(file) == original);
        return;
    }
    FUZZ_CHECK(result.Stored());
    if (SameBytes(replacement, seen.record)) {
        FUZZ_CHECK(fuzz::ReadWholeFile(file) == original);
        return;
    }
    const fs::path addedFile = YearFilePath(fuzz::ScratchFolder(), ReadField(replacement.date));
    const std::string whole = original.substr(0, original.size() / kRecordSize * kRecordSize);
    const std::string before = addedFile == file ? WithDateZeroed(whole, seen.offset) : "";
    FUZZ_CHECK(fuzz::ReadWholeFile(addedFile) == before + Bytes(replacement));
    if (addedFile != file) FUZZ_CHECK(fuzz::ReadWholeFile(file) == WithDateZeroed(original, seen.offset));
    FUZZ_CHECK(Undo(fuzz::ScratchFolder(), {seen, added}).Stored());
    const std::string addedDeleted = WithDateZeroed(Bytes(replacement), 0);
    if (addedFile == file) {
        FUZZ_CHECK(fuzz::ReadWholeFile(file) == whole + addedDeleted);
    } else {
        FUZZ_CHECK(fuzz::ReadWholeFile(file) == original && fuzz::ReadWholeFile(addedFile) == addedDeleted);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const Input input = Split(data, size);
    for (const auto& entry : fs::directory_iterator(fuzz::ScratchFolder())) fs::remove(entry.path());
    const std::string key = PickKey(input.file, input.row);
    const fs::path file = YearFilePath(fuzz::ScratchFolder(), key);
    const std::string original(input.file);
    fuzz::WriteWholeFile(file, reinterpret_cast<const uint8_t*>(original.data()), original.size());

    DayList day;
    FUZZ_CHECK(LoadDay(fuzz::ScratchFolder(), key, SortOrder::EarliestFirst, day).Stored());
    const int rows = RowsShown(day);
    if (rows == 0) return 0;
    const StoredRecord seen = RowRecord(day, 1 + input.row % rows);
    FUZZ_CHECK(original.compare(seen.offset, kRecordSize, Bytes(seen.record)) == 0);
    if (input.operation % 2 == 0) CheckDeleteAndUndo(file, original, seen);
    else CheckEditAndUndo(file, original, seen, Replacement(input.line));
    return 0;
}
