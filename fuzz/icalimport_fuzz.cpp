// Any bytes as an iCalendar file to import: no crash, no hang and no blow-up
// of memory (run.sh gives it a time and memory budget: rules and time zones
// are checked before libical expands them), every record written names a real
// day, the file it is in is a year file inside the data folder, a kept rule
// lands in a rules file that reads back whole, the lock taken for it is empty, and nothing appears anywhere else.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <regex>
#include <set>
#include <string_view>

#include "book/append_records.h"
#include "fuzz_folder.h"
#include "ical/book_import.h"
#include "ical/event_export.h"
#include "files/folder_lock.h"
#include "repeat/rules_file.h"

namespace {

using namespace quimbaro;
namespace fs = std::filesystem;

// Every year file holds whole records of real days of its own year.
void CheckYearFile(const fs::path& file) {
    static const std::regex kYearFile("[0-9]{4}\\.log");
    FUZZ_CHECK(std::regex_match(file.filename().string(), kYearFile));
    std::vector<Appointment> records;
    FUZZ_CHECK(ReadYearRecords(file, records).Stored());
    FUZZ_CHECK(fs::file_size(file) == records.size() * kRecordSize);
    std::set<std::string> dates;  // a rule gives up to 1,000 records on far fewer days
    for (const Appointment& record : records) dates.insert(ReadField(record.date));
    for (const std::string& date : dates) {
        FUZZ_CHECK(ical::ValidDay(date).has_value());
        FUZZ_CHECK(YearFilePath("", date) == file.filename());
    }
}

// A recurring event kept as a rule: the rules file reads back whole.
void CheckRulesFile(const fs::path& file) {
    const RulesRead rules = ReadRules(file.parent_path());
    FUZZ_CHECK(rules.Whole() && !rules.series.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const fs::path& scratch = fuzz::ScratchFolder();
    const fs::path folder = scratch / "data";
    fs::create_directories(folder);
    // Three months: a daily rule gives 92 records, not 1,000, so that writing
    // and checking them keeps well inside the time budget on a busy machine.
    const ical::ImportOptions options =
        ical::MakeImportOptions({2026, 12, 5}, {CalendarDate{2026, 11, 1}, CalendarDate{2027, 1, 31}});
    ical::ImportCalendarText(folder, std::string_view(reinterpret_cast<const char*>(data), size), options);
    for (const auto& entry : fs::recursive_directory_iterator(scratch)) {
        if (entry.path() == folder) continue;
        FUZZ_CHECK(entry.path().parent_path() == folder);
        const fs::path name = entry.path().filename();
        if (name == files::kFolderLockName) FUZZ_CHECK(fs::file_size(entry.path()) == 0);
        else if (name == kRulesFileName) CheckRulesFile(entry.path());
        else CheckYearFile(entry.path());
    }
    for (const auto& entry : fs::directory_iterator(folder)) fs::remove(entry.path());
    return 0;
}
