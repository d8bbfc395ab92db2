#include "search/book_search.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include "book/collation.h"
#include "book/record_stream.h"

namespace quimbaro {
namespace {

bool IsYearFileName(const std::string& name) {
    return name.size() == 8 && name.ends_with(".log") &&
           std::all_of(name.begin(), name.begin() + 4, [](char ch) { return ch >= '0' && ch <= '9'; });
}

StoreResult FolderFailure(const std::filesystem::path& folder, const std::error_code& error) {
    StoreResult result;
    result.error = StoreError::ReadFailed;
    result.systemError = error.value();
    result.fileName = folder.string();
    return result;
}

// The year in the record's date (DD/MM/YYYY) is the year of the file.
bool DatedInFile(const char* record, const std::string& fileName) {
    return std::memcmp(record + 6, fileName.data(), 4) == 0;
}

constexpr std::size_t kDayIndexes = 13 * 32;
std::size_t DayIndex(const CalendarDate& day) { return static_cast<std::size_t>(day.month * 32 + day.day); }

// The day index of a record's date when it reads DD/MM/ at least; a record
// naming a real day always gets that day's index.
std::optional<std::size_t> QuickDayIndex(const char* record) {
    const auto digit = [record](int at) { return static_cast<unsigned>(record[at] - '0'); };
    if (record[2] != '/' || record[5] != '/') return std::nullopt;
    if (digit(0) > 9 || digit(1) > 9 || digit(3) > 9 || digit(4) > 9) return std::nullopt;
    const std::size_t day = digit(0) * 10 + digit(1), month = digit(3) * 10 + digit(4);
    if (day > 31 || month > 12) return std::nullopt;
    return month * 32 + day;
}

// Streams every year file, each under its lock, handing each record that
// may answer the matcher and the file's name to onRecord, and then the name
// to onFileEnd; answers what could not be read.
template <typename OnRecord, typename OnFileEnd>
std::vector<StoreResult> EachCandidate(const std::filesystem::path& folder, const RecordMatcher& matcher,
                                       OnRecord onRecord, OnFileEnd onFileEnd) {
    std::optional<StoreResult> listFailure;
    std::vector<StoreResult> skipped;
    for (const std::filesystem::path& file : YearFiles(folder, listFailure)) {
        const std::string name = file.filename().string();
        const StoreResult read = StreamYearFile(file, [&](const char* records, std::size_t count, uint64_t) {
            matcher.ForEachCandidate(records, count, [&](const char* record) { onRecord(record, name); });
        });
        if (!read.Stored()) skipped.push_back(read);
        onFileEnd(name);
    }
    if (listFailure) skipped.insert(skipped.begin(), *listFailure);
    return skipped;
}

}  // namespace

std::vector<std::filesystem::path> YearFiles(const std::filesystem::path& folder,
                                             std::optional<StoreResult>& failure) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    std::filesystem::directory_iterator entry(folder, error), end;
    for (; !error && entry != end; entry.increment(error)) {
        std::error_code typeError;
        if (IsYearFileName(entry->path().filename().string()) && entry->is_regular_file(typeError))
            files.push_back(entry->path());
    }
    if (error) failure = FolderFailure(folder, error);
    std::sort(files.begin(), files.end());
    return files;
}

DaySearch FindMatchingDays(const std::filesystem::path& folder, const RecordMatcher& matcher) {
    DaySearch search;
    std::array<bool, kDayIndexes> found{};
    search.skipped = EachCandidate(folder, matcher, [&](const char* record, const std::string& fileName) {
        // A day already found needs no second look at its text.
        if (const auto quick = QuickDayIndex(record); quick && found[*quick]) return;
        if (!DatedInFile(record, fileName)) return;
        const std::optional<CalendarDate> day = RecordDay(record);
        if (day && !found[DayIndex(*day)] && matcher.TextMatches(record)) found[DayIndex(*day)] = true;
    }, [&](const std::string& fileName) {
        const auto year = static_cast<int16_t>(std::stoi(fileName.substr(0, 4)));
        for (int16_t month = 1; month <= 12; ++month)
            for (int16_t day = 1; day <= 31; ++day)
                if (found[DayIndex({year, month, day})]) search.days.push_back({year, month, day});
        found = {};
    });
    return search;
}

RecordSearch FindMatchingRecords(const std::filesystem::path& folder, const RecordMatcher& matcher) {
    RecordSearch search;
    std::vector<std::pair<CalendarDate, Appointment>> found;
    search.skipped = EachCandidate(folder, matcher, [&](const char* record, const std::string& fileName) {
        if (!DatedInFile(record, fileName) || !matcher.Matches(record)) return;
        Appointment copy;
        std::memcpy(&copy, record, kRecordSize);
        found.emplace_back(*RecordDay(record), copy);
    }, [](const std::string&) {});
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        if (a.first != b.first) return a.first < b.first;
        return CollateCompare(ReadField(b.second.time), ReadField(a.second.time)) == 2;
    });
    for (const auto& [day, record] : found) search.records.push_back(record);
    return search;
}

std::optional<CalendarDate> FirstDayToShow(const std::vector<CalendarDate>& days, const CalendarDate& today) {
    if (const auto next = std::lower_bound(days.begin(), days.end(), today); next != days.end()) return *next;
    return PreviousMatchDay(days, today);
}

std::optional<CalendarDate> NextMatchDay(const std::vector<CalendarDate>& days, const CalendarDate& shown) {
    const auto next = std::upper_bound(days.begin(), days.end(), shown);
    if (next == days.end()) return std::nullopt;
    return *next;
}

std::optional<CalendarDate> PreviousMatchDay(const std::vector<CalendarDate>& days, const CalendarDate& shown) {
    const auto next = std::lower_bound(days.begin(), days.end(), shown);
    if (next == days.begin()) return std::nullopt;
    return *std::prev(next);
}

}  // namespace quimbaro
