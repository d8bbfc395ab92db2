// Export and import of iCalendar files: our own events come back byte for
// byte, other programs' events are mapped to the book's fields, and calendar
// programs no one here wrote read our files as we mean them.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QProcess>
#include <cstdlib>
#include <ctime>
#include <map>

#include "book/append_records.h"
#include "ical/book_export.h"
#include "ical/book_import.h"
#include "ical/event_export.h"
#include "temp_folder.h"

namespace quimbaro::ical {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::W;
using testing::WriteFile;

std::string Bytes(const std::vector<Appointment>& records) {
    return std::string(reinterpret_cast<const char*>(records.data()), records.size() * kRecordSize);
}

std::string ExportText(const fs::path& folder, ExportOutcome* outcome = nullptr) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const ExportOutcome done = ExportBook(folder, {}, buffer);
    EXPECT_TRUE(done.Done());
    if (outcome != nullptr) *outcome = done;
    return buffer.data().toStdString();
}

ImportReport Import(const fs::path& folder, const std::string& text, const DateRange& given = {}) {
    return ImportCalendarText(folder, text, MakeImportOptions({2026, 12, 5}, given));
}

// What the book holds for 2026 and 2027: date|time|phone|name|subject lines.
std::string Lines(const fs::path& folder) {
    std::string text;
    for (const char* file : {"2026.log", "2027.log"}) {
        std::vector<Appointment> records;
        ReadYearRecords(folder / file, records);
        for (const Appointment& r : records)
            text += ReadField(r.date) + "|" + ReadField(r.time) + "|" + ReadField(r.phone) + "|" + ReadField(r.name) +
                    "|" + ReadField(r.subject) + "\n";
    }
    return text;
}

std::string Event(const std::string& properties) { return "BEGIN:VEVENT\n" + properties + "\nEND:VEVENT\n"; }

// Runs the program to its end; its standard output, and a failure when it
// could not run or did not exit with 0.
std::string RunProgram(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString() << " did not finish";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString() << ": " << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput().toStdString();
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
    const std::vector<Appointment> records{
        MakeAppointment("05/12/2026", "09:30", "600 111 222", W("García, Ana; \"la ñ\""), longSummary),
        MakeAppointment("05/12/2026", "tarde", " 6 ", W(" Pérez\\Luis "), "corte\x01\tpelo"),  // edge spaces kept
        MakeAppointment("05/12/2026", "09:30", "600 111 222", W("García, Ana; \"la ñ\""), longSummary),
        MakeAppointment("31/02/2026", "10:00", "", "no day", ""), MakeAppointment("", "10:00", "", "deleted", ""),
        MakeAppointment("06/12/2026", "", "", std::string(49, 'n'), std::string(74, 's')),
        MakeAppointment("01/01/2027", "25:00", "", "wrong file", "")};
    Add(records, "2026.log");
    Add({MakeAppointment("01/01/2027", "00:00", "x", "", W("Año nuevo \x80 \x81"))}, "2027.log");
    std::string dirty = ReadFile(book.path() / "2026.log");
    dirty[5 * kRecordSize + offsetof(Appointment, phone) + 1] = 'x';  // another program's bytes after a field's end
    WriteFile(book.path() / "2026.log", dirty);

    ExportOutcome outcome;
    const std::string text = ExportText(book.path(), &outcome);
    EXPECT_EQ(text, ExportText(book.path()));  // same UIDs, same bytes
    // Skipped: 31/02 and the 2027 record in 2026.log; the deleted one is not counted.
    EXPECT_EQ(std::pair(outcome.exported, outcome.skipped), std::pair(5, 2));

    ImportReport report = Import(other.path(), text);
    EXPECT_FALSE(report.AnythingRefused()) << ImportReportText(report);
    const std::string imported = Bytes({records[0], records[1], records[2], records[5]});
    EXPECT_EQ(ReadFile(other.path() / "2026.log"), imported);
    EXPECT_EQ(ReadFile(book.path() / "2027.log"), ReadFile(other.path() / "2027.log"));

    for (const fs::path& folder : {other.path(), book.path()}) {  // the same records, whatever lies past their ends
        report = Import(folder, text);
        EXPECT_EQ(std::pair(report.years["2026.log"].added, report.years["2026.log"].alreadyThere), std::pair(0, 4));
    }
    EXPECT_EQ(ReadFile(other.path() / "2026.log"), imported);
    EXPECT_EQ(ReadFile(book.path() / "2026.log"), dirty);
}

TEST_F(Ical, OtherProgramsEventsAreMappedToLocalDaysTimesAndFittedText) {
    setenv("TZ", "Europe/Madrid", 1);
    tzset();
    const std::string events = "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//Test//EN\n" +
        Event("UID:utc\nDTSTART:20261205T083000Z\nSUMMARY:En UTC\\, con coma") +
        Event("UID:ny\nDTSTART;TZID=America/New_York:20260705T200000\nSUMMARY:Nueva York\\nsegunda línea") +
        Event("UID:allday\nDTSTART;VALUE=DATE:20261224\nDTEND;VALUE=DATE:20261225\nSUMMARY:Nochebuena € ☃") +
        Event("UID:nosummary\nDTSTART:20261206T070000") + Event("UID:nostart\nSUMMARY:sin inicio") +
        Event("UID:long\nDTSTART:20261207T100000\nSUMMARY:" + std::string(80, 'l')) +
        Event("UID:weekly\nDTSTART:20261201T180000\nRRULE:FREQ=WEEKLY;COUNT=4;BYHOUR=18\nEXDATE:20261208T180000\nSUMMARY:semanal") +
        Event("UID:weekly\nRECURRENCE-ID:20261215T180000\nDTSTART:20261216T190000\nSUMMARY:semanal movida") +
        Event("UID:forever\nDTSTART:20200101T090000\nRRULE:FREQ=DAILY;BYHOUR=9\nSUMMARY:diaria") +
        Event("UID:feb\nDTSTART:20260231T100000\nSUMMARY:31 de febrero") +
        "BEGIN:VTODO\nUID:todo\nDTSTART:20261209T100000\nSUMMARY:tarea\nEND:VTODO\n"
        "BEGIN:VJOURNAL\nUID:journal\nDTSTART:20261210T100000\nSUMMARY:diario\nEND:VJOURNAL\nEND:VCALENDAR\n";
    const ImportReport report = Import(other.path(), events, {CalendarDate{2026, 1, 1}, CalendarDate{2026, 12, 31}});
    EXPECT_TRUE(report.AnythingRefused());  // the events without a real DTSTART (none, 31/02); one of each fix
    const MappedEvents& m = report.mapped;
    EXPECT_EQ(std::tuple(m.refused.size(), m.withoutSummary, m.fixes.replaced, m.fixes.controls, m.fixes.cut),
              std::tuple(1u, 1, 1, 1, 1)) << ImportReportText(report);
    EXPECT_NE(ImportReportText(report).find("Rechazados 2 eventos: no tiene fecha de inicio (DTSTART) válida\n"),
              std::string::npos) << ImportReportText(report);
    EXPECT_EQ(report.years.at("2026.log").added, 8 + 365);
    const std::string lines = Lines(other.path());
    EXPECT_EQ(lines.substr(0, lines.find("01/01/2026")),
              W("05/12/2026|09:30|||En UTC, con coma\n06/07/2026|02:00|||Nueva York segunda línea\n"
                "24/12/2026||||Nochebuena € ☃\n06/12/2026|07:00|||\n07/12/2026|10:00|||") +
                  std::string(74, 'l') + "\n01/12/2026|18:00|||semanal\n22/12/2026|18:00|||semanal\n"
                  "16/12/2026|19:00|||semanal movida\n");
    EXPECT_NE(lines.find("31/12/2026|09:00|||diaria\n"), std::string::npos);
    EXPECT_EQ(lines.find("01/01/2027"), std::string::npos);
}

TEST_F(Ical, RecurrenceIsCappedAndGarbageIsRefusedWithoutWriting) {
    const ImportReport secondly = Import(other.path(), "BEGIN:VCALENDAR\n" +
        Event("UID:h\nDTSTART:20261201T000000\nRRULE:FREQ=SECONDLY\nSUMMARY:x") + "END:VCALENDAR\n");
    EXPECT_EQ(secondly.years.at("2026.log").added, kMaxOccurrences);
    EXPECT_TRUE(secondly.AnythingRefused());
    const ImportReport garbage = Import(book.path(), "no calendar at all\n\x01\xFF");
    EXPECT_TRUE(garbage.notCalendar);
    EXPECT_TRUE(Import(book.path(), "BEGIN:VTODO\nDTSTART:20261201T100000\nEND:VTODO\n").notCalendar);
    // Two calendars in one file come wrapped in one root: both are read.
    const ImportReport two = Import(other.path(), "BEGIN:VCALENDAR\n" + Event("UID:a\nDTSTART:20261201T100000") +
        "END:VCALENDAR\nBEGIN:VCALENDAR\n" + Event("UID:b\nDTSTART:20261202T100000") + "END:VCALENDAR\n");
    EXPECT_EQ(std::pair(two.notCalendar, two.years.at("2026.log").added), std::pair(false, 2));
    EXPECT_TRUE(fs::is_empty(book.path()));
}

TEST_F(Ical, BatchAppendsOnlyWhatTheFileLacksAndLeavesItAsItWasWhenTheDiskIsFull) {
    const Appointment a = MakeAppointment("05/12/2026", "09:30", "", "a", ""), b = MakeAppointment("06/12/2026", "", "", "b", "");
    WriteFile(book.path() / "2026.log", Bytes({a, a}) + "partial");
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

// Texts that need escaping, accents, "ñ" across a line fold, a time that is
// no clock time, and a second year, read by Debian's own Python (its
// python3-icalendar is installed for it).
TEST_F(Ical, PythonIcalendarReadsOurExportAsTheSameEvents) {
    Add({MakeAppointment("05/12/2026", "09:30", "600 111 222", W("García, Ana"), W("Revisión; tipo \\ barra")),
         MakeAppointment("05/12/2026", "17:05", "", W("ñññññññññññññññññññññññññññññ"), W("ñandú ñoño, cañón")),
         MakeAppointment("06/12/2026", "tarde", "", "", W("Café; sin hora"))}, "2026.log");
    Add({MakeAppointment("07/01/2027", "08:00", "", "Luis", "")}, "2027.log");
    const fs::path file = other.path() / "quimbaro.ics";
    ASSERT_TRUE(ExportBookToFile(book.path(), {}, file).Done());
    const char* script = R"(
import sys, icalendar
calendar = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
for event in calendar.walk('VEVENT'):
    print(event.decoded('DTSTART'), event.get('SUMMARY'), str(event.get('DESCRIPTION', '')).replace('\n', '/'), sep='|')
)";
    EXPECT_EQ(RunProgram("/usr/bin/python3", {"-c", script, QString::fromStdString(file.string())}),
              "2026-12-05 09:30:00|García, Ana: Revisión; tipo \\ barra|Teléfono: 600 111 222\n"
              "2026-12-05 17:05:00|ñññññññññññññññññññññññññññññ: ñandú ñoño, cañón|\n"
              "2026-12-06|Café; sin hora|Hora: tarde\n2027-01-07 08:00:00|Luis|\n");
}

TEST_F(Ical, CalcursesExportComesInWithTheSameDaysTimesAndTexts) {
    const fs::path calcurse = book.path();  // its data folder
    WriteFile(calcurse / "apts", "12/05/2026 @ 09:30 -> 12/05/2026 @ 10:00 |Revisión, anual; tipo\\barra ñandú\n"
                                 "12/24/2026 [1] Nochebuena, cena; «familia»\n"
                                 "01/02/2027 @ 23:45 -> 01/03/2027 @ 00:15 |Año nuevo \\ cañón\n");
    const std::string exported = RunProgram("calcurse", {"-D", QString::fromStdString(calcurse.string()), "--export=ical"});
    const ImportReport imported = Import(other.path(), exported);
    EXPECT_FALSE(imported.AnythingRefused()) << ImportReportText(imported);
    EXPECT_EQ(Lines(other.path()), W("24/12/2026||||Nochebuena, cena; «familia»\n"  // calcurse puts all-day events first
                                     "05/12/2026|09:30|||Revisión, anual; tipo\\barra ñandú\n"
                                     "02/01/2027|23:45|||Año nuevo \\ cañón\n"));
}

// Identical records share the digest and are told apart by their rank,
// counted right however many records came before.
TEST(StableUidsTest, IdenticalRecordsAreRankedInOrderAcrossThousands) {
    std::vector<Appointment> records;
    for (int i = 0; i < 5000; ++i)  // one record again and again among thousands of others
        records.push_back(MakeAppointment("01/02/2026", "10:00", "", i % 3 == 0 ? "Ana" : std::to_string(i), ""));
    const std::vector<std::string> uids = StableUids(records);
    std::map<std::string, int> seen;
    for (const std::string& uid : uids) {
        const std::string digest = uid.substr(0, uid.rfind('-'));
        EXPECT_EQ(uid, digest + "-" + std::to_string(++seen[digest]));
        EXPECT_TRUE(IsStableUid(uid)) << uid;
    }
    EXPECT_EQ(seen.size(), 3334u);
}

// Our own fields that a record could not hold whole (too long, a zero byte)
// make the event another program's: it keeps only what it shows.
TEST(OwnFieldsTest, FieldsARecordCannotHoldMakeAForeignEvent) {
    const std::pair<std::string, std::string> cases[] = {{"10:300", "10:300"}, {"1%000", "1 0"}};  // ours, shown
    for (const auto& [time, shown] : cases) {
        testing::TempFolder folder;
        const std::string event = Event("DTSTART;VALUE=DATE:20260201\nSUMMARY:Cita\nDESCRIPTION:Hora: " + shown +
                                        "\nX-QUIMBARO-DATE:01/02/2026\nX-QUIMBARO-TIME:" + time);
        Import(folder.path(), "BEGIN:VCALENDAR\n" + event + "END:VCALENDAR\n");
        EXPECT_EQ(Lines(folder.path()), "01/02/2026||||Cita\n") << time;
    }
}

}  // namespace
}  // namespace quimbaro::ical
