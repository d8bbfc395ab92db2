#include "sync/book_snapshot.h"

#include "book/append_records.h"
#include "book/year_file.h"
#include "ical/book_export.h"
#include "ical/event_export.h"

namespace quimbaro::sync {

uint64_t RecordDigest(const Appointment& record) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a: quick, and the same everywhere
    for (const char c : RecordKey(record)) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

std::string YearFileOf(const Appointment& record) { return YearFilePath("", ReadField(record.date)).string(); }

const Appointment* BookSnapshot::At(const std::string& yearFile, int64_t offset) const {
    const auto year = years.find(yearFile);
    if (year == years.end() || offset < 0 || offset % int64_t(kRecordSize) != 0) return nullptr;
    const auto index = static_cast<std::size_t>(offset / int64_t(kRecordSize));
    return index < year->second.size() ? &year->second[index] : nullptr;
}

bool BookSnapshot::IsLive(const Appointment& record, const std::string& yearFile) {
    const std::string date = ReadField(record.date);
    return !date.empty() && ical::ValidDay(date) && YearFilePath("", date).string() == yearFile;
}

BookSnapshot ReadBook(const std::filesystem::path& folder) {
    BookSnapshot book;
    for (const auto& file : ical::YearFiles(folder, book.error)) {
        const StoreResult read = ReadYearRecords(file, book.years[file.filename().string()]);
        if (!read.Stored()) {
            book.error = read.Reason();
            break;
        }
    }
    return book;
}

}  // namespace quimbaro::sync
