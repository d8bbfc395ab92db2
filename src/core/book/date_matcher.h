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
        uint64_t word;  // both words lie within the record: it is 155 bytes long
        std::memcpy(&word, record, sizeof word);
        if ((word & mask_[0]) != pattern_[0] || !possible_) return false;
        std::memcpy(&word, record + sizeof word, sizeof word);
        return (word & mask_[1]) == pattern_[1];
    }

private:
    static constexpr std::size_t kDateWidth = sizeof(Appointment::date);
    bool possible_;
    uint64_t pattern_[2];
    uint64_t mask_[2];
};

}  // namespace quimbaro
