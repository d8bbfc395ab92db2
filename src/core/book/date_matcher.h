#pragma once
// Tests a record's date field against a day's key: the field reads as the
// bytes before its first zero, at most 11, so it matches when it starts with
// the key followed by a zero (no zero when the key fills all 11 bytes). Done
// as two masked 8-byte compares, as this runs once for every record of a file.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "book/appointment.h"

namespace quimbaro {

class DateMatcher {
public:
    explicit DateMatcher(std::string_view key) : possible_(key.size() <= kDateWidth) {
        unsigned char pattern[16] = {};
        unsigned char mask[16] = {};
        std::memcpy(pattern, key.data(), std::min(key.size(), kDateWidth));
        std::memset(mask, 0xFF, std::min(key.size() + 1, kDateWidth));
        std::memcpy(pattern_, pattern, sizeof pattern_);
        std::memcpy(mask_, mask, sizeof mask_);
    }
    // The first word alone turns away nearly every record of another day, so
    // the second is read only when it matches.
    bool operator()(const char* record) const {
        if (!possible_ || !FirstWordMatches(record)) return false;
        uint64_t word;  // within the record: it is 155 bytes long
        std::memcpy(&word, record + sizeof word, sizeof word);
        return (word & mask_[1]) == pattern_[1];
    }

    // Calls keep(i) for every record i of the block whose date matches, in
    // order. The time goes in waiting for each record's first bytes to come
    // from memory, so four are tested with one branch, and the ones a few
    // records ahead are asked for meanwhile.
    template <typename Keep>
    void ForEachMatch(const char* records, std::size_t count, Keep keep) const {
        if (!possible_) return;
        std::size_t i = 0;
        for (; i + 4 <= count; i += 4) {
            const char* four = records + i * kRecordSize;
            __builtin_prefetch(records + std::min(i + kAhead, count - 1) * kRecordSize);
            __builtin_prefetch(records + std::min(i + kAhead + 2, count - 1) * kRecordSize);
            if (!(FirstWordMatches(four) | FirstWordMatches(four + kRecordSize) |
                  FirstWordMatches(four + 2 * kRecordSize) | FirstWordMatches(four + 3 * kRecordSize)))
                continue;
            for (std::size_t k = i; k < i + 4; ++k)
                if ((*this)(records + k * kRecordSize)) keep(k);
        }
        for (; i < count; ++i)
            if ((*this)(records + i * kRecordSize)) keep(i);
    }

private:
    static constexpr std::size_t kAhead = 10;  // records: enough to cover the wait for memory

    bool FirstWordMatches(const char* record) const {
        uint64_t word;
        std::memcpy(&word, record, sizeof word);
        return (word & mask_[0]) == pattern_[0];
    }

    static constexpr std::size_t kDateWidth = sizeof(Appointment::date);
    bool possible_;
    uint64_t pattern_[2];
    uint64_t mask_[2];
};

}  // namespace quimbaro
