#include "ical/book_export.h"

#include <libical/ical.h>

#include <algorithm>
#include <cstring>
#include <tuple>
#include <memory>
#include <regex>

#include "book/append_records.h"
#include "book/year_file.h"
#include "files/atomic_write.h"
#include "ical/event_export.h"
#include "repeat/occurrences.h"
#include "repeat/rules_file.h"
#include "text/messages.h"

namespace quimbaro::ical {
namespace {

// Keeps the records of one year file that belong there and are in range.
void KeepRecords(const std::vector<Appointment>& records, const std::string& fileName, const DateRange& range,
                 BookRecords& book) {
    book.records.reserve(book.records.size() + records.size());
    for (const Appointment& record : records) {
        const std::string date = ReadField(record.date);
        if (date.empty()) continue;  // a deleted appointment: no longer part of the book
        const auto day = ValidDay(date);
        if (!day || YearFilePath("", date).string() != fileName) {
            ++book.skipped;
        } else if (range.Contains(*day)) {
            book.records.push_back(record);
        }
    }
}

using CalendarText = std::unique_ptr<char, decltype(&free)>;

// The calendar's own lines without the events: the text before
// "END:VCALENDAR" and that line itself.
std::pair<std::string, std::string> CalendarFrame() {
    icalcomponent* calendar = icalcomponent_vanew(ICAL_VCALENDAR_COMPONENT, icalproperty_new_version("2.0"),
                                                  icalproperty_new_prodid(kProductId), static_cast<void*>(nullptr));
    const std::string text = CalendarText(icalcomponent_as_ical_string_r(calendar), free).get();
    icalcomponent_free(calendar);
    const std::size_t end = text.rfind("END:VCALENDAR");
    return {text.substr(0, end), text.substr(end)};
}

bool WriteText(QIODevice& out, const char* text) { return out.write(text) == qint64(std::strlen(text)); }

// Writes the calendar with the events that event(i) builds.
template <typename BuildEvent>
bool WriteEvents(std::size_t count, QIODevice& out, BuildEvent event) {
    const auto [head, tail] = CalendarFrame();
    bool written = WriteText(out, head.c_str());
    for (std::size_t i = 0; i < count && written; ++i)
        written = WriteText(out, CalendarText(icalcomponent_as_ical_string_r(event(i)), free).get());
    return written && WriteText(out, tail.c_str());
}

bool WriteBook(const std::vector<Appointment>& records, const std::vector<Series>& series, QIODevice& out) {
    EventBuilder builder;
    UidMaker uids;
    std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)> held(nullptr, icalcomponent_free);
    return WriteEvents(records.size() + series.size(), out, [&](std::size_t i) {
        if (i < records.size()) return builder.Build(records[i], uids.Next(records[i]));
        held.reset(SeriesEvent(series[i - records.size()]));
        return held.get();
    });
}

}  // namespace

std::vector<Series> SeriesInRange(const std::filesystem::path& folder, const DateRange& range, std::string& error) {
    RulesRead rules = ReadRules(folder);
    error = rules.problem;
    if (!range.from && !range.to) return std::move(rules.series);
    std::vector<Series> kept;
    for (Series& series : rules.series) {
        const CalendarDate first = *FirstDay(series);
        const CalendarDate from = std::max(range.from.value_or(first), first);
        const CalendarDate to = range.to.value_or(CalendarDate{int16_t(std::min(from.year + 10, 9999)), 12, 31});
        if (!OccurrencesIn(series, from, to).days.empty()) kept.push_back(std::move(series));
    }
    return kept;
}

bool IsYearFileName(const std::string& name) {
    static const std::regex kYearFile("[0-9]{4}\\.log");
    return std::regex_match(name, kYearFile);
}

std::vector<std::filesystem::path> YearFiles(const std::filesystem::path& folder, std::string& error) {
    std::vector<std::filesystem::path> files;
    std::error_code code;
    for (const auto& entry : std::filesystem::directory_iterator(folder, code)) {
        if (IsYearFileName(entry.path().filename().string())) files.push_back(entry.path());
    }
    if (code) error = "no se pudo leer la carpeta " + folder.string() + ": " + code.message();
    std::sort(files.begin(), files.end());
    return files;
}

bool DateRange::Contains(const CalendarDate& day) const {
    auto key = [](const CalendarDate& d) { return std::tuple(d.year, d.month, d.day); };
    return (!from || key(*from) <= key(day)) && (!to || key(day) <= key(*to));
}

BookRecords CollectBook(const std::filesystem::path& folder, const DateRange& range) {
    BookRecords book;
    std::vector<Appointment> records;
    for (const auto& file : YearFiles(folder, book.error)) {
        const StoreResult read = ReadYearRecords(file, records);
        if (!read.Stored()) {
            book.error = read.Reason();
            break;
        }
        KeepRecords(records, file.filename().string(), range, book);
    }
    return book;
}

bool WriteCalendar(std::span<const Appointment> records, QIODevice& out) {
    EventBuilder builder;
    UidMaker uids;
    return WriteEvents(records.size(), out, [&](std::size_t i) { return builder.Build(records[i], uids.Next(records[i])); });
}

bool WriteCalendar(std::span<const Appointment> records, std::span<const std::string> uids, QIODevice& out) {
    EventBuilder builder;
    return WriteEvents(records.size(), out, [&](std::size_t i) { return builder.Build(records[i], uids[i]); });
}

namespace {

// The records and series of the range, and the outcome so far: whatever
// could not be read is told before anything is written.
struct BookToWrite {
    BookRecords book;
    std::vector<Series> series;
    ExportOutcome outcome;
};

BookToWrite GatherBook(const std::filesystem::path& folder, const DateRange& range) {
    BookToWrite gathered{CollectBook(folder, range), {}, {}};
    const BookRecords& book = gathered.book;
    gathered.outcome = {static_cast<int>(book.records.size()), 0, book.skipped, book.error};
    std::string rulesError;
    gathered.series = SeriesInRange(folder, range, rulesError);
    gathered.outcome.series = int(gathered.series.size());
    if (gathered.outcome.Done()) gathered.outcome.error = rulesError;
    return gathered;
}

}  // namespace

ExportOutcome ExportBook(const std::filesystem::path& folder, const DateRange& range, QIODevice& out) {
    BookToWrite gathered = GatherBook(folder, range);
    ExportOutcome& outcome = gathered.outcome;
    if (outcome.Done() && !WriteBook(gathered.book.records, gathered.series, out))
        outcome.error = "no se pudo escribir el calendario: " + out.errorString().toStdString();
    return outcome;
}

ExportOutcome ExportBookToFile(const std::filesystem::path& folder, const DateRange& range,
                               const std::filesystem::path& file) {
    BookToWrite gathered = GatherBook(folder, range);
    ExportOutcome& outcome = gathered.outcome;
    if (!outcome.Done()) return outcome;
    const files::FileResult written =
        files::WriteFileSafely(file, [&](QIODevice& out) { return WriteBook(gathered.book.records, gathered.series, out); });
    outcome.error = written.Reason();
    return outcome;
}

std::string ExportMessage(const ExportOutcome& outcome, const std::string& where) {
    if (!outcome.Done()) return "No se pudo exportar: " + outcome.error;
    const std::string series =
        outcome.series > 0 ? " y " + std::to_string(outcome.series) + " citas que se repiten" : "";
    return "Se exportaron " + std::to_string(outcome.exported) + " citas" + series + " a " + where + "." +
           SkippedText(outcome.skipped);
}

std::string SkippedText(int skipped) {
    if (skipped == 0) return "";
    return " Se omitieron " + std::to_string(skipped) + " registros cuya fecha no es un día válido de su archivo.";
}

}  // namespace quimbaro::ical
