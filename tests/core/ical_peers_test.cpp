// Our iCalendar files against calendar programs that no one here wrote:
// Python's icalendar package reads our export, calcurse imports and lists it,
// and calcurse's own export comes into the book with the same days and texts.
#include <gtest/gtest.h>

#include <QProcess>
#include <QString>

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

std::string W(const char* utf8) { return ToWin1252(QString::fromUtf8(utf8)); }

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

class Peers : public ::testing::Test {
protected:
    testing::TempFolder temp, book;
    const fs::path file = temp.path() / "quimbaro.ics";
    // Texts that need escaping, accents, and "ñ" across a line fold.
    const std::vector<Appointment> records{
        MakeAppointment("05/12/2026", "09:30", "600 111 222", W("García, Ana"), W("Revisión; tipo \\ barra")),
        MakeAppointment("05/12/2026", "17:05", "", W("ñññññññññññññññññññññññññññññ"), W("ñandú ñoño, cañón")),
        MakeAppointment("06/12/2026", "tarde", "", "", W("Café; sin hora")),
        MakeAppointment("07/01/2027", "08:00", "", "Luis", "")};

    void SetUp() override {
        std::string bytes;
        for (const Appointment& r : records) bytes.append(reinterpret_cast<const char*>(&r), kRecordSize);
        WriteFile(book.path() / "2026.log", bytes.substr(0, 3 * kRecordSize));
        WriteFile(book.path() / "2027.log", bytes.substr(3 * kRecordSize));
        ASSERT_TRUE(ExportBookToFile(book.path(), {}, file).Done());
    }
};

TEST_F(Peers, PythonIcalendarReadsTheSameEvents) {
    const char* script = R"(
import sys, icalendar
calendar = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
for event in calendar.walk('VEVENT'):
    print(event.decoded('DTSTART'), event.get('SUMMARY'), str(event.get('DESCRIPTION', '')).replace('\n', '/'), sep='|')
)";
    // Debian's own Python: python3-icalendar is installed for it.
    EXPECT_EQ(RunProgram("/usr/bin/python3", {"-c", script, QString::fromStdString(file.string())}),
              std::string("2026-12-05 09:30:00|García, Ana: Revisión; tipo \\ barra|Teléfono: 600 111 222\n"
                                "2026-12-05 17:05:00|ñññññññññññññññññññññññññññññ: ñandú ñoño, cañón|\n"
                                "2026-12-06|Café; sin hora|Hora: tarde\n"
                                "2027-01-07 08:00:00|Luis|\n"));
}

TEST_F(Peers, CalcurseImportsAndListsTheSameDaysTimesAndTexts) {
    const QString folder = QString::fromStdString((temp.path() / "calcurse").string());
    fs::create_directory(folder.toStdString());
    RunProgram("calcurse", {"-D", folder, "-i", QString::fromStdString(file.string())});
    EXPECT_EQ(RunProgram("calcurse", {"-D", folder, "-Q", "--from", "12/05/2026", "--days", "40"}),
              std::string("12/05/26:\n - 09:30 -> 09:30\n\tGarcía, Ana: Revisión; tipo \\ barra\n"
                                " - 17:05 -> 17:05\n\tñññññññññññññññññññññññññññññ: ñandú ñoño, cañón\n\n"
                                "12/06/26:\n * Café; sin hora\n\n"
                                "01/07/27:\n - 08:00 -> 08:00\n\tLuis\n"));
}

TEST_F(Peers, CalcursesExportComesInWithTheSameDaysTimesAndTexts) {
    const fs::path folder = temp.path() / "calcurse";
    fs::create_directory(folder);
    WriteFile(folder / "apts", "12/05/2026 @ 09:30 -> 12/05/2026 @ 10:00 |Revisión, anual; tipo\\barra ñandú\n"
                               "12/24/2026 [1] Nochebuena, cena; «familia»\n"
                               "01/02/2027 @ 23:45 -> 01/03/2027 @ 00:15 |Año nuevo \\ cañón\n");
    const std::string exported = RunProgram("calcurse", {"-D", QString::fromStdString(folder.string()), "--export=ical"});
    testing::TempFolder target;
    const ImportReport imported = ImportCalendarText(target.path(), exported, MakeImportOptions({2026, 12, 5}, {}));
    EXPECT_FALSE(imported.AnythingRefused()) << ImportReportText(imported);
    std::vector<Appointment> stored, stored2027;
    ReadYearRecords(target.path() / "2026.log", stored);
    ReadYearRecords(target.path() / "2027.log", stored2027);
    stored.insert(stored.end(), stored2027.begin(), stored2027.end());
    std::string lines;
    for (const Appointment& r : stored)
        lines += ReadField(r.date) + "|" + ReadField(r.time) + "|" + ReadField(r.subject) + "\n";
    EXPECT_EQ(lines, W("24/12/2026||Nochebuena, cena; «familia»\n"  // calcurse puts all-day events first
                       "05/12/2026|09:30|Revisión, anual; tipo\\barra ñandú\n"
                       "02/01/2027|23:45|Año nuevo \\ cañón\n"));
}

}  // namespace
}  // namespace quimbaro::ical
