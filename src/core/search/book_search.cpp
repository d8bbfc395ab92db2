#include "search/book_search.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include "book/cache_file.h"
#include "book/collation.h"
#include "book/record_stream.h"
#include "search/matched_days.h"
#include "search/search_table.h"

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

// A large year file is searched in its search table when it has a sound one;
// else it is read whole, and the table made on the way for the next search.
// 0, or the errno of a failed read.
int SearchYearFile(int fd, const std::string& name, const RecordMatcher& matcher, const DayIndexPlace& cache,
                   MatchedDays& days) {
    struct stat before {};
    if (fstat(fd, &before) != 0) return errno;
    const bool tabled = !cache.folder.empty() && TableCanAnswer(matcher) &&
                        uint64_t(before.st_size) / kRecordSize >= kIndexedRecords;
    if (tabled)
        if (const auto found = FindInSearchTable(cache, before, std::stoi(name.substr(0, 4)), matcher)) {
            days.Add(*found);
            return 0;
        }
    SearchTableBuilder builder(name, tabled ? uint64_t(before.st_size) / kRecordSize : 0);
    const int error = StreamRecords(fd, [&](const char* records, std::size_t count, uint64_t) {
        days.Add(records, count);
        if (tabled) builder.Add(records, count);
    });
    if (error != 0) return error;
    // Tabled only when the file stayed as it was while it was read.
    struct stat after {};
    if (tabled && fstat(fd, &after) == 0 && StampOf(before) == StampOf(after)) builder.Write(cache, before);
    return 0;
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

DaySearch FindMatchingDays(const std::filesystem::path& folder, const RecordMatcher& matcher,
                           const DayIndexPlace& cache) {
    DaySearch search;
    search.skipped = EachYearFile(folder, [&](const std::filesystem::path& file, const std::string& name) {
        MatchedDays days(matcher, name);
        const StoreResult read = ReadYearFile(file, [&](int fd) { return SearchYearFile(fd, name, matcher, cache, days); });
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
