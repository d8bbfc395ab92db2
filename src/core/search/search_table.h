#pragma once
// The search table of a large year file: the folded name and subject and the
// phone's digits of every record a search can find, grouped by day. A query
// that matches nothing then costs a read of these texts, a third of the year
// file, and a day found is not looked at again. It is a cache kept beside
// the day index (day_index.h), used only while the year file is exactly as it
// was when the table was made, and its contents are checked before they are
// used: a damaged table is no table, and the year file is read instead.

#include <sys/stat.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "book/day_index.h"
#include "search/record_matcher.h"

namespace quimbaro {

// Days of a year as month × 32 + day, as the search keeps them.
inline constexpr std::size_t kTableDays = 13 * 32;
using FoundDays = std::array<bool, kTableDays>;

// Whether the table can answer this query: it holds texts ending in zero
// bytes, so a query with one, or one longer than any field, is looked for
// in the year file.
bool TableCanAnswer(const RecordMatcher& matcher);

// The days of the year file `year` (of the year `yearNumber`) whose records
// answer the query; none when there is no sound table for this very file.
std::optional<FoundDays> FindInSearchTable(const DayIndexPlace& place, const struct stat& year, int yearNumber,
                                           const RecordMatcher& matcher);

// Gathers the table while the year file is read whole, then writes it for
// the file as it was when it was looked at. A file whose texts would pass
// kMaxTableBytes gets no table: memory stays bounded whatever the file.
class SearchTableBuilder {
public:
    // The year is the first four characters of `fileName` (NNNN.log); the
    // file holds `records` records.
    SearchTableBuilder(std::string_view fileName, uint64_t records);
    void Add(const char* records, std::size_t count);
    void Write(const DayIndexPlace& place, const struct stat& year) const;

    static constexpr std::size_t kMaxTableBytes = std::size_t(64) << 20;

private:
    // The records' texts and digits in file order, grouped by day only when
    // written: one buffer each, made room for once.
    struct Entry {
        uint16_t day;
        uint32_t textEnd, digitEnd;
    };
    char year_[4];
    bool tooLarge_ = false;
    std::vector<Entry> entries_;
    std::string texts_, digits_;
};

}  // namespace quimbaro
