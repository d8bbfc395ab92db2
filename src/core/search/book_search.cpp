#include "search/book_search.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include "book/collation.h"
#include "book/record_stream.h"
#include "search/matched_days.h"

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

// Hands every year file and its name to readFile, which answers how reading
// it went; answers what could not be read.
template <typename ReadFile>
std::vector<StoreResult> EachYearFile(const std::filesystem::path& folder, ReadFile readFile) {
    std::optional<StoreResult> listFailure;
    std::vector<StoreResult> skipped;
    for (const std::filesystem::path& file : YearFiles(folder, listFailure))
        if (const StoreResult read = readFile(file, file.filename().string()); !read.Stored()) skipped.push_back(read);
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
    search.skipped = EachYearFile(folder, [&](const std::filesystem::path& file, const std::string& name) {
        MatchedDays days(matcher, name);
        const StoreResult read =
            StreamYearFile(file, [&](const char* records, std::size_t count, uint64_t) { days.Add(records, count); });
        for (const CalendarDate& day : days.Days()) search.days.push_back(day);
        return read;
    });
    return search;
}

RecordSearch FindMatchingRecords(const std::filesystem::path& folder, const RecordMatcher& matcher) {
    RecordSearch search;
    std::vector<std::pair<CalendarDate, Appointment>> found;
    search.skipped = EachYearFile(folder, [&](const std::filesystem::path& file, const std::string& name) {
        return StreamYearFile(file, [&](const char* records, std::size_t count, uint64_t) {
            matcher.ForEachCandidate(records, count, [&](const char* record) {
                if (!DatedInFile(record, name) || !matcher.Matches(record)) return;
                Appointment copy;
                std::memcpy(&copy, record, kRecordSize);
                found.emplace_back(*RecordDay(record), copy);
            });
        });
    });
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
