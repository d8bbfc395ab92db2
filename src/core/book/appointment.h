#pragma once
// The 155-byte appointment record, identical in memory and in the year file,
// and the day list of the shown day.

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace quimbaro {

struct Appointment {
    char date[11] = {};
    char time[6] = {};
    char phone[13] = {};
    char name[50] = {};
    char subject[75] = {};
};
static_assert(sizeof(Appointment) == 155);
static_assert(offsetof(Appointment, time) == 11);
static_assert(offsetof(Appointment, phone) == 17);
static_assert(offsetof(Appointment, name) == 30);
static_assert(offsetof(Appointment, subject) == 80);

inline constexpr std::size_t kRecordSize = sizeof(Appointment);

// Copies text up to its first zero byte and at most width - 1 bytes, then a
// terminating zero; the rest of the slot is zeroed.
template <std::size_t Width>
void StoreField(char (&field)[Width], std::string_view text);
// The bytes before the first zero, never more than the width.
template <std::size_t Width>
std::string ReadField(const char (&field)[Width]);

inline bool SameBytes(const Appointment& a, const Appointment& b) {
    return std::memcmp(&a, &b, sizeof(Appointment)) == 0;
}

Appointment MakeAppointment(std::string_view date, std::string_view time, std::string_view phone,
                            std::string_view name, std::string_view subject);

inline constexpr int kDaySlots = 29;

// Slots 1..29 are slots[0]..slots[28]; kept counts every matching record seen
// by the last load, also those past the 29th. offsets[i] is the byte position
// of slot i's record in its year file, kept paired with the slot by the sort,
// so that a shown row can be changed in place.
struct DayList {
    std::array<Appointment, kDaySlots> slots{};
    std::array<uint64_t, kDaySlots> offsets{};
    int kept = 0;
    void Clear() { *this = DayList{}; }
};

// Bit r - 1 set: row r of a day list answers the search in force.
using MatchedRows = std::bitset<kDaySlots>;

// ---- implementation of the field templates ----
template <std::size_t Width>
void StoreField(char (&field)[Width], std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && n < Width - 1 && text[n] != '\0') ++n;
    for (std::size_t i = 0; i < Width; ++i) field[i] = i < n ? text[i] : '\0';
}

template <std::size_t Width>
std::string ReadField(const char (&field)[Width]) {
    std::size_t n = 0;
    while (n < Width && field[n] != '\0') ++n;
    return std::string(field, n);
}

}  // namespace quimbaro
