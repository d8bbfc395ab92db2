// Export and import of iCalendar files: our own events come back byte for
// byte; other programs' events are mapped to the book's fields.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QString>
#include <cstdlib>
#include <ctime>

#include "book/append_records.h"
#include "ical/book_export.h"
#include "ical/book_import.h"
#include "temp_folder.h"
#include "text/win1252.h"

namespace quimbaro::ical {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

const CalendarDate kToday{2026, 12, 5};

std::string W(const char* utf8) { return ToWin1252(QString::fromUtf8(utf8)); }

std::string Bytes(const std::vector<Appointment>& records) {
    return std::string(reinterpret_cast<const char*>(records.data()), records.size() * kRecordSize);
}

std::string ExportText(const fs::path& folder, const DateRange& range = {}) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(ExportBook(folder, range, buffer).Done());
    return buffer.data().toStdString();
}

ImportReport Import(const fs::path& folder, const std::string& text, const DateRange& given = {}) {
    return ImportCalendarText(folder, text, MakeImportOptions(kToday, given));
}

// What the book shows of one year file: date|time|phone|name|subject lines.
std::string Lines(const fs::path& file) {
    std::vector<Appointment> records;
    EXPECT_TRUE(ReadYearRecords(file, records).Stored());
    std::string text;
    for (const Appointment& r : records)
        text += ReadField(r.date) + "|" + ReadField(r.time) + "|" + ReadField(r.phone) + "|" + ReadField(r.name) +
                "|" + ReadField(r.subject) + "\n";
    return text;
}

class Ical : public ::testing::Test {
protected:
    testing::TempFolder book, other;
    void Add(const std::vector<Appointment>& records, const char* file) {
        WriteFile(book.path() / file, ReadFile(book.path() / file) + Bytes(records));
    }
};

TEST_F(Ical, ExportThenImportIntoAnEmptyFolderGivesBackTheSameYearFilesAndAddsNothingTwice) {
    const std::string longSummary = W("Revisión anual, pago; cuota\\ tres: 100% ñandú ") + std::string(40, 'x');
    Add({MakeAppointment("05/12/2026", "09:30", "600 111 222", W("García, Ana; \"la ñ\""), longSummary),
         MakeAppointment("05/12/2026", "tarde", "", W("Pérez\\Luis"), "corte\x01\tpelo"),
         MakeAppointment("05/12/2026", "09:30", "600 111 222", W("García, Ana; \"la ñ\""), longSummary),
         MakeAppointment("31/02/2026", "10:00", "", "no day", ""), MakeAppointment("", "10:00", "", "deleted", ""),
         MakeAppointment("06/12/2026", "", "", std::string(49, 'n'), std::string(74, 's')),
         MakeAppointment("01/01/2027", "25:00", "", "wrong file", "")},
        "2026.log");
    Add({MakeAppointment("01/01/2027", "00:00", "x", "", W("Año nuevo \x80 \x81"))}, "2027.log");

    const std::string text = ExportText(book.path());
    EXPECT_EQ(text, ExportText(book.path()));  // same UIDs, same bytes
    QBuffer unused;
    unused.open(QIODevice::WriteOnly);
    const ExportOutcome outcome = ExportBook(book.path(), {}, unused);
    EXPECT_EQ(outcome.exported, 5);
    EXPECT_EQ(outcome.skipped, 2);  // 31/02 and the 2027 record in 2026.log; the deleted one is not counted

    ImportReport report = Import(other.path(), text);
    EXPECT_FALSE(report.AnythingRefused()) << ImportReportText(report);
    std::string expected2026 = ReadFile(book.path() / "2026.log");
    std::vector<Appointment> kept;
    ReadYearRecords(book.path() / "2026.log", kept);
    EXPECT_EQ(Bytes({kept[0], kept[1], kept[2], kept[5]}), ReadFile(other.path() / "2026.log"));
    EXPECT_EQ(ReadFile(book.path() / "2027.log"), ReadFile(other.path() / "2027.log"));

    report = Import(other.path(), text);
    EXPECT_EQ(report.years["2026.log"].added, 0);
    EXPECT_EQ(report.years["2026.log"].alreadyThere, 4);
    EXPECT_EQ(Bytes({kept[0], kept[1], kept[2], kept[5]}), ReadFile(other.path() / "2026.log"));
}

TEST_F(Ical, ExportIsCrlfWithShortLinesFoldedBetweenCharactersAndEscapedText) {
    for (int shift = 0; shift < 4; ++shift)  // puts the two bytes of "ñ" on every side of a fold
        Add({MakeAppointment("05/12/2026", "09:30", "", std::string(20 + shift, 'a'), W("ñññññññññññññññññññññññññ, ;\\"))},
            "2026.log");
    const std::string text = ExportText(book.path());
    std::size_t start = 0, lines = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2, ++lines) {
        const std::string line = text.substr(start, end - start);
        EXPECT_LE(line.size(), 75u) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos);
        EXPECT_FALSE(QString::fromUtf8(line).contains(QChar::ReplacementCharacter)) << line;  // no split character
    }
    EXPECT_EQ(start, text.size());
    EXPECT_GT(lines, 40u);
    EXPECT_NE(text.find("\\, \\;\\\\"), std::string::npos);  // escaped in SUMMARY
    EXPECT_EQ(text.find("\r\r"), std::string::npos);
}

TEST_F(Ical, OtherProgramsEventsAreMappedToLocalDaysTimesAndFittedText) {
    setenv("TZ", "Europe/Madrid", 1);
    tzset();
    const std::string events = R"(BEGIN:VCALENDAR
VERSION:2.0
PRODID:-//Test//EN
BEGIN:VEVENT
UID:utc
DTSTART:20261205T083000Z
SUMMARY:En UTC\, con coma
END:VEVENT
BEGIN:VEVENT
UID:ny
DTSTART;TZID=America/New_York:20260705T200000
SUMMARY:Nueva York\nsegunda línea
END:VEVENT
BEGIN:VEVENT
UID:allday
DTSTART;VALUE=DATE:20261224
DTEND;VALUE=DATE:20261225
SUMMARY:Nochebuena € ☃
END:VEVENT
BEGIN:VEVENT
UID:nosummary
DTSTART:20261206T070000
END:VEVENT
BEGIN:VEVENT
UID:nostart
SUMMARY:sin inicio
END:VEVENT
BEGIN:VEVENT
UID:long
DTSTART:20261207T100000
SUMMARY:)" + std::string(80, 'l') + R"(
END:VEVENT
BEGIN:VEVENT
UID:weekly
DTSTART:20261201T180000
RRULE:FREQ=WEEKLY;COUNT=4
EXDATE:20261208T180000
SUMMARY:semanal
END:VEVENT
BEGIN:VEVENT
UID:weekly
RECURRENCE-ID:20261215T180000
DTSTART:20261216T190000
SUMMARY:semanal movida
END:VEVENT
BEGIN:VEVENT
UID:forever
DTSTART:20200101T090000
RRULE:FREQ=DAILY
SUMMARY:diaria
END:VEVENT
END:VCALENDAR
)";
    const ImportReport report = Import(other.path(), events, {CalendarDate{2026, 1, 1}, CalendarDate{2026, 12, 31}});
    EXPECT_TRUE(report.AnythingRefused());
    EXPECT_EQ(report.mapped.refused.size(), 1u) << ImportReportText(report);  // the event without DTSTART
    EXPECT_EQ(report.mapped.withoutSummary, 1);
    EXPECT_EQ(report.mapped.fixes.replaced, 1);
    EXPECT_EQ(report.mapped.fixes.controls, 1);
    EXPECT_EQ(report.mapped.fixes.cut, 1);
    EXPECT_EQ(report.years.at("2026.log").added, 8 + 365);
    const std::string lines = Lines(other.path() / "2026.log");
    const std::string head = lines.substr(0, lines.find("01/01/2026"));
    EXPECT_EQ(head, W("05/12/2026|09:30|||En UTC, con coma\n"
                      "06/07/2026|02:00|||Nueva York segunda línea\n"
                      "24/12/2026||||Nochebuena € ☃\n"
                      "06/12/2026|07:00|||\n"
                      "07/12/2026|10:00|||") + std::string(74, 'l') + "\n" +
                        "01/12/2026|18:00|||semanal\n22/12/2026|18:00|||semanal\n16/12/2026|19:00|||semanal movida\n");
    EXPECT_NE(lines.find("31/12/2026|09:00|||diaria\n"), std::string::npos);
    EXPECT_EQ(lines.find("01/01/2027"), std::string::npos);
}

TEST_F(Ical, RecurrenceIsCappedAndGarbageIsRefusedWithoutWriting) {
    const ImportReport hourly = Import(other.path(),
        "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:h\r\nDTSTART:20261201T000000\r\nRRULE:FREQ=SECONDLY\r\n"
        "SUMMARY:x\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    EXPECT_EQ(hourly.years.at("2026.log").added, kMaxOccurrences);
    EXPECT_TRUE(hourly.AnythingRefused());
    testing::TempFolder empty;
    const ImportReport garbage = Import(empty.path(), "no calendar at all\n\x01\xFF");
    EXPECT_TRUE(garbage.notCalendar);
    EXPECT_TRUE(fs::is_empty(empty.path()));
}

TEST_F(Ical, BatchAppendsOnlyWhatTheFileLacksAndLeavesItAsItWasWhenTheDiskIsFull) {
    const Appointment a = MakeAppointment("05/12/2026", "09:30", "", "a", ""), b = MakeAppointment("06/12/2026", "", "", "b", "");
    Add({a, a}, "2026.log");
    WriteFile(book.path() / "2026.log", ReadFile(book.path() / "2026.log") + "partial");
    const BatchResult result = AppendNewRecords(book.path(), std::vector{a, b, a, a});
    EXPECT_TRUE(result.store.Stored());
    EXPECT_EQ(result.added, 2);
    EXPECT_EQ(result.alreadyThere, 2);
    EXPECT_EQ(ReadFile(book.path() / "2026.log"), Bytes({a, a, b, a}));
    EXPECT_EQ(AppendNewRecords(book.path(), std::vector{a, MakeAppointment("05/12/2027", "", "", "", "")}).store.error,
              StoreError::BadDate);
    const std::string before = ReadFile(book.path() / "2026.log");
    EXPECT_TRUE(testing::WithFileSizeLimit(before.size() + 200, [&] {
        return AppendNewRecords(book.path(), std::vector(3, b)).store.error == StoreError::WriteFailed;
    }));
    EXPECT_EQ(ReadFile(book.path() / "2026.log"), before);
}

}  // namespace
}  // namespace quimbaro::ical
