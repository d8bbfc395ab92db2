#include "search/matched_days.h"

#include <cstring>
#include <optional>
#include <string>

namespace quimbaro {
namespace {

std::size_t DayIndex(const CalendarDate& day) { return static_cast<std::size_t>(day.month * 32 + day.day); }

// The day index of a record's date when it reads DD/MM/ at least, else 0,
// which no real day has; a record naming a real day always gets that day's
// index. A plain number, not an optional: this runs on every record, and
// an optional went through memory on each.
std::size_t QuickDayIndex(const char* record) {
    const auto digit = [record](int at) { return static_cast<unsigned>(record[at] - '0'); };
    if (record[2] != '/' || record[5] != '/') return 0;
    if (digit(0) > 9 || digit(1) > 9 || digit(3) > 9 || digit(4) > 9) return 0;
    const std::size_t day = digit(0) * 10 + digit(1), month = digit(3) * 10 + digit(4);
    return day > 31 || month > 12 ? 0 : month * 32 + day;
}

}  // namespace

MatchedDays::MatchedDays(const RecordMatcher& matcher, std::string_view fileName)
    : matcher_(matcher), yearNumber_(static_cast<int16_t>(std::stoi(std::string(fileName.substr(0, 4))))) {
    std::memcpy(year_, fileName.data(), sizeof year_);
}

void MatchedDays::Consider(const char* record) {
    // A day already found needs no second look at its text.
    if (found_[QuickDayIndex(record)]) return;
    if (std::memcmp(record + 6, year_, sizeof year_) != 0) return;  // DD/MM/YYYY
    const std::optional<CalendarDate> day = RecordDay(record);
    if (day && !found_[DayIndex(*day)] && matcher_.TextMatches(record)) found_[DayIndex(*day)] = true;
}

void MatchedDays::Add(const char* records, std::size_t count) {
    std::size_t looked = 0;  // records that cost more than the way's least
    if (way_ == Way::Scan) {
        matcher_.ForEachCandidate(records, count, [&](const char* record) { ++looked, Consider(record); });
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            const char* record = records + i * kRecordSize;
            if (found_[QuickDayIndex(record)]) continue;
            ++looked, Consider(record);
        }
    }
    // A stop of the scan costs about as much as the dates of a dozen records.
    way_ = looked * 12 > count ? (way_ == Way::Scan ? Way::DateFirst : Way::Scan) : way_;
}

void MatchedDays::Add(const FoundDays& days) {
    for (std::size_t d = 0; d < days.size(); ++d) found_[d] = found_[d] || days[d];
}

std::vector<CalendarDate> MatchedDays::Days() const {
    std::vector<CalendarDate> days;
    for (int16_t month = 1; month <= 12; ++month)
        for (int16_t day = 1; day <= 31; ++day)
            if (found_[DayIndex({yearNumber_, month, day})]) days.push_back({yearNumber_, month, day});
    return days;
}

}  // namespace quimbaro
