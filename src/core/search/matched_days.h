#pragma once
// The days of one year file that hold a record answering a search, gathered
// block by block. Two ways to go through a block give the same days: the
// scan of the raw bytes for the query, which pays for every record it stops
// at, and a look at each record's date first, which pays for every record
// but skips at once those of a day found already. Each block goes the way
// the block before it showed to be cheaper, so that a query found in most
// records costs about what one found in none does.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "calendar/dates.h"
#include "search/record_matcher.h"
#include "search/search_table.h"

namespace quimbaro {

class MatchedDays {
public:
    // The file's year is the first four characters of `fileName` (NNNN.log):
    // a record dated in another year is never found.
    MatchedDays(const RecordMatcher& matcher, std::string_view fileName);

    // `count` records one after the other.
    void Add(const char* records, std::size_t count);
    // Days found elsewhere (the file's search table).
    void Add(const FoundDays& days);
    // The days found so far, in date order.
    std::vector<CalendarDate> Days() const;

private:
    enum class Way { Scan, DateFirst };
    void Consider(const char* record);

    const RecordMatcher& matcher_;
    char year_[4];
    int16_t yearNumber_;
    Way way_ = Way::Scan;
    FoundDays found_{};  // by month * 32 + day
};

}  // namespace quimbaro
