// Loading a day from a year file of arbitrary bytes and length: the day list
// must hold exactly the first 29 records of that day, earliest time first and
// equal times in file order, every other slot empty, and the file untouched;
// the whole day read for the reminders holds all of them in file order.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "book/appointment.h"
#include "book/collation.h"
#include "book/year_file.h"
#include "calendar/dates.h"
#include "fuzz_folder.h"

namespace {

using namespace quimbaro;

constexpr const char* kFallbackKey = "05/12/2026";

struct Fields {
    std::string date, time, phone, name, subject;
    std::size_t fileIndex = 0;
    bool SameText(const Fields& other) const {
        return date == other.date && time == other.time && phone == other.phone &&
               name == other.name && subject == other.subject;
    }
};

Fields Decode(const Appointment& record, std::size_t fileIndex) {
    return {ReadField(record.date), ReadField(record.time), ReadField(record.phone),
            ReadField(record.name), ReadField(record.subject), fileIndex};
}

Appointment RecordAt(const uint8_t* data, std::size_t index) {
    Appointment record;
    std::memcpy(&record, data + index * kRecordSize, kRecordSize);
    return record;
}

// One of the file's own dates when it has the typed-date form, so that the
// fuzzer reaches matching records; a fixed key otherwise.
std::string PickKey(const uint8_t* data, std::size_t size) {
    const std::size_t records = size / kRecordSize;
    if (records == 0) return kFallbackKey;
    std::string key = ReadField(RecordAt(data, data[size - 1] % records).date);
    return ParseDayKey(key) ? key : kFallbackKey;
}

std::vector<Fields> RecordsOfDay(const uint8_t* data, std::size_t size, const std::string& key) {
    std::vector<Fields> matches;
    for (std::size_t i = 0; i < size / kRecordSize; ++i) {
        Fields record = Decode(RecordAt(data, i), i);
        if (record.date == key) matches.push_back(record);
    }
    return matches;
}

bool IsEmpty(const Appointment& slot) {
    return ReadField(slot.date).empty() && ReadField(slot.time).empty() &&
           ReadField(slot.phone).empty() && ReadField(slot.name).empty() &&
           ReadField(slot.subject).empty();
}

// Gives each shown slot the file index of an identical record, the earliest
// not yet taken; fails when a slot matches no record of the day.
std::vector<Fields> MatchToFile(const DayList& list, std::size_t shown, std::vector<Fields> expected) {
    std::vector<Fields> matched;
    for (std::size_t i = 0; i < shown; ++i) {
        Fields slot = Decode(list.slots[i], 0);
        auto found = std::find_if(expected.begin(), expected.end(),
                                  [&](const Fields& e) { return e.SameText(slot); });
        FUZZ_CHECK(found != expected.end());
        matched.push_back(*found);
        expected.erase(found);
    }
    return matched;
}

void CheckOrder(const std::vector<Fields>& shown) {
    for (std::size_t i = 0; i + 1 < shown.size(); ++i)
        FUZZ_CHECK(CollateCompare(shown[i].time, shown[i + 1].time) == 1);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            const bool equalTimes = CollateCompare(shown[i].time, shown[j].time) == 1 &&
                                    CollateCompare(shown[j].time, shown[i].time) == 1;
            if (equalTimes) FUZZ_CHECK(shown[i].fileIndex < shown[j].fileIndex);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string key = PickKey(data, size);
    const auto file = YearFilePath(fuzz::ScratchFolder(), key);
    fuzz::WriteWholeFile(file, data, size);

    DayList list;
    const StoreResult result = LoadDay(fuzz::ScratchFolder(), key, SortOrder::EarliestFirst, list);
    FUZZ_CHECK(result.Stored());

    const std::vector<Fields> expected = RecordsOfDay(data, size, key);
    FUZZ_CHECK(list.kept == static_cast<int>(expected.size()));
    const std::size_t shown = std::min<std::size_t>(expected.size(), kDaySlots);
    for (std::size_t i = shown; i < kDaySlots; ++i) FUZZ_CHECK(IsEmpty(list.slots[i]));

    const std::vector<Fields> firstOfDay(expected.begin(), expected.begin() + shown);
    CheckOrder(MatchToFile(list, shown, firstOfDay));

    std::vector<Appointment> whole;  // every record of the day, in file order
    FUZZ_CHECK(LoadWholeDay(fuzz::ScratchFolder(), key, whole).Stored() && whole.size() == expected.size());
    for (std::size_t i = 0; i < whole.size(); ++i) FUZZ_CHECK(Decode(whole[i], 0).SameText(expected[i]));

    FUZZ_CHECK(fuzz::ReadWholeFile(file) == std::string(reinterpret_cast<const char*>(data), size));
    std::filesystem::remove(file);
    return 0;
}
