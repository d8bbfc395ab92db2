// The day sort and the collation it uses. Sorting must permute the slots it is
// given and nothing else: order 2 runs from the time that collates first to the
// last with equal times in file order, order 1 from last to first, and any
// other order keeps file order. The collation itself must be a consistent
// ordering (total and transitive) that ignores case.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "book/appointment.h"
#include "book/collation.h"
#include "text/win1252.h"
#include "fuzz_folder.h"

namespace {

using namespace quimbaro;

class Input {
public:
    Input(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::string_view Bytes(std::size_t n) {
        n = std::min(n, size_ - at_);
        std::string_view piece(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n;
        return piece;
    }

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

int16_t PickOrder(Input& in) {
    const uint8_t selector = in.Byte();
    const auto other = static_cast<int16_t>(in.Byte() | (in.Byte() << 8));
    if (selector % 3 == 0) return 1;
    if (selector % 3 == 1) return 2;
    return other == 1 || other == 2 ? 0 : other;
}

// The phone field carries the slot's file position, so the result can be traced.
Appointment Slot(std::string_view time, int position, std::string_view tag) {
    const std::string id = std::string(tag) + std::to_string(position);
    return MakeAppointment("05/12/2026", time, id, "Nombre " + id, "Asunto " + id);
}

int PositionOf(const Appointment& slot) { return std::stoi(ReadField(slot.phone)); }

bool SameRecord(const Appointment& a, const Appointment& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool EqualTimes(const std::string& a, const std::string& b) {
    return CollateCompare(a, b) == 1 && CollateCompare(b, a) == 1;
}

// Pairs and triples from the first few texts only, to keep runs fast.
void CheckCollation(const std::vector<std::string>& texts) {
    for (const auto& a : texts) {
        FUZZ_CHECK(CollateCompare(a, a) == 1);
        FUZZ_CHECK(EqualTimes(a, LowerWin1252(a)));
    }
    const std::size_t pairs = std::min<std::size_t>(texts.size(), 12);
    for (std::size_t i = 0; i < pairs; ++i) {
        for (std::size_t j = 0; j < pairs; ++j) {
            const int ab = CollateCompare(texts[i], texts[j]);
            FUZZ_CHECK(ab == 1 || ab == 2);
            if (ab == 2) FUZZ_CHECK(CollateCompare(texts[j], texts[i]) == 1);
        }
    }
    const std::size_t n = std::min<std::size_t>(texts.size(), 6);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j)
            for (std::size_t k = 0; k < n; ++k)
                if (CollateCompare(texts[i], texts[j]) == 1 && CollateCompare(texts[j], texts[k]) == 1)
                    FUZZ_CHECK(CollateCompare(texts[i], texts[k]) == 1);
}

void CheckSorted(const DayList& list, int count, int16_t order) {
    std::vector<std::string> times;
    for (int i = 0; i < count; ++i) times.push_back(ReadField(list.slots[i].time));
    for (int i = 0; i + 1 < count; ++i) {
        if (order == 2) FUZZ_CHECK(CollateCompare(times[i], times[i + 1]) == 1);
        if (order == 1) FUZZ_CHECK(CollateCompare(times[i + 1], times[i]) == 1);
    }
    if (order != 2) return;
    for (int i = 0; i < count; ++i)
        for (int j = i + 1; j < count; ++j)
            if (EqualTimes(times[i], times[j]))
                FUZZ_CHECK(PositionOf(list.slots[i]) < PositionOf(list.slots[j]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    Input in(data, size);
    const int16_t order = PickOrder(in);
    const int count = 2 + in.Byte() % 28;

    DayList list;
    std::vector<std::string> rawTimes;
    for (int i = 0; i < kDaySlots; ++i) {
        const std::string_view time = i < count ? in.Bytes(in.Byte() % 7) : "00:00";
        if (i < count) rawTimes.emplace_back(time);
        list.slots[i] = Slot(time, i, i < count ? "" : "-");
    }
    const DayList before = list;
    CheckCollation(rawTimes);

    SortDay(list, count, SortOrder{order});

    for (int i = count; i < kDaySlots; ++i) FUZZ_CHECK(SameRecord(list.slots[i], before.slots[i]));
    std::vector<bool> seen(count, false);
    for (int i = 0; i < count; ++i) {
        const int position = PositionOf(list.slots[i]);
        FUZZ_CHECK(position >= 0 && position < count && !seen[position]);
        seen[position] = true;
        FUZZ_CHECK(SameRecord(list.slots[i], before.slots[position]));
        if (order != 1 && order != 2) FUZZ_CHECK(position == i);
    }
    CheckSorted(list, count, order);
    return 0;
}
