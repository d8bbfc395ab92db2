// A search table of arbitrary bytes for a real year file: the search must
// not crash, read outside what it was given, or name a day that does not
// exist, whatever the table says. The table is made to describe the year
// file as it is (its stamp), so that the checks behind it are what decide.

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "book/appointment.h"
#include "book/cache_file.h"
#include "calendar/dates.h"
#include "fuzz_folder.h"
#include "search/book_search.h"

namespace {

using namespace quimbaro;

constexpr std::size_t kStampAt = 8, kSizesAt = kStampAt + sizeof(CacheStamp), kStartsAt = kSizesAt + 16;
constexpr std::size_t kStarts = 2 * (13 * 32 + 1);

// A year file large enough to be searched through its table, made once.
struct Book {
    std::filesystem::path folder = fuzz::ScratchFolder() / "data";
    struct stat year {};
    Book() {
        std::filesystem::create_directories(folder);
        std::filesystem::create_directories(fuzz::ScratchFolder() / "cache");
        std::string bytes;
        for (std::size_t i = 0; i < kIndexedRecords; ++i) {
            const std::string date = "0" + std::to_string(1 + i % 9) + "/0" + std::to_string(1 + i % 7) + "/2026";
            const Appointment record = MakeAppointment(date, "10:00", "612345678", "Pilar", "Revision");
            bytes.append(reinterpret_cast<const char*>(&record), kRecordSize);
        }
        fuzz::WriteWholeFile(folder / "2026.log", reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        stat((folder / "2026.log").c_str(), &year);
    }
};

const Book& book() {
    static const Book made;
    return made;
}

// The table as the input gives it, its head made to describe the year file:
// the checks of its offsets are what stand between it and the search.
std::string RawTable(std::string table) {
    const CacheStamp stamp = StampOf(book().year);
    std::memcpy(table.data(), "QTEXTOS\1", 8);
    std::memcpy(table.data() + kStampAt, &stamp, sizeof stamp);
    // Region sizes that add up to the file's, the split taken from the input.
    const uint64_t body = table.size() - kStartsAt - kStarts * 4;
    uint64_t textBytes = 0;
    std::memcpy(&textBytes, table.data() + kSizesAt, sizeof textBytes);
    textBytes %= body + 1;
    const uint64_t digitBytes = body - textBytes;
    std::memcpy(table.data() + kSizesAt, &textBytes, sizeof textBytes);
    std::memcpy(table.data() + kSizesAt + 8, &digitBytes, sizeof digitBytes);
    return table;
}

// A table whose offsets hold together, any day holding any bytes: the input
// gives each day's text and digit lengths (a byte each), then the bytes.
std::string OrderedTable(const std::string& input) {
    std::string table(kStartsAt + kStarts * 4, '\0');
    std::array<uint32_t, kStarts> starts{};
    uint32_t total[2] = {0, 0};
    for (std::size_t region = 0; region < 2; ++region)
        for (std::size_t d = 0; d < kStarts / 2; ++d) {
            starts[region * kStarts / 2 + d] = total[region];
            const std::size_t at = 1 + region * (kStarts / 2 - 1) + d;
            if (d + 1 < kStarts / 2) total[region] += at < input.size() ? static_cast<uint8_t>(input[at]) : 0;
        }
    const std::string bytes = input.size() > kStarts - 1 ? input.substr(kStarts - 1) : std::string();
    std::string body(total[0] + total[1], 'a');
    std::memcpy(body.data(), bytes.data(), std::min(body.size(), bytes.size()));
    std::memcpy(table.data() + kStartsAt, starts.data(), sizeof starts);
    const uint64_t sizes[2] = {total[0], total[1]};
    std::memcpy(table.data() + kSizesAt, sizes, sizeof sizes);
    table += body;
    const CacheStamp stamp = StampOf(book().year);
    std::memcpy(table.data(), "QTEXTOS\1", 8);
    std::memcpy(table.data() + kStampAt, &stamp, sizeof stamp);
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // A table never written over by the search: the file is never settled.
    static const DayIndexPlace cache{fuzz::ScratchFolder() / "cache", [] { return std::chrono::system_clock::time_point(); }};
    if (size < 2) return 0;
    std::string input(reinterpret_cast<const char*>(data), size - 1);
    // The last byte: how long the query is, taken from the end of the input.
    const std::string query = input.substr(input.size() - std::min<std::size_t>(1 + data[size - 1] % 8, input.size()));
    const bool raw = data[0] % 2 == 0;
    if (raw && input.size() < kStartsAt + kStarts * 4) return 0;
    const std::string table = raw ? RawTable(input) : OrderedTable(input);
    fuzz::WriteWholeFile(CachePath(cache, "textos", book().year), reinterpret_cast<const uint8_t*>(table.data()),
                         table.size());

    const DaySearch found = FindMatchingDays(book().folder, RecordMatcher(query), cache);
    FUZZ_CHECK(found.skipped.empty());
    for (const CalendarDate& day : found.days)
        FUZZ_CHECK(day.year == 2026 && day.month >= 1 && day.month <= 12 && day.day >= 1 &&
                   day.day <= DaysInMonth(day.month, day.year));
    return 0;
}
