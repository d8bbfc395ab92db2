// Hostile iCalendar files: rules and time zones that would keep libical busy
// for hours, zone names that are paths, nesting too deep for a recursive walk
// and files that would give more records than memory holds. A hang shows as
// this program's ctest timeout (tests/CMakeLists.txt), not as a timed check.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>

#include "book/append_records.h"
#include "ical/book_import.h"
#include "ical/parse_calendar.h"
#include "temp_folder.h"

namespace quimbaro::ical {
namespace {

namespace fs = std::filesystem;

std::string Calendar(const std::string& body) { return "BEGIN:VCALENDAR\nVERSION:2.0\n" + body + "END:VCALENDAR\n"; }

std::string Event(const std::string& properties, int uid = 0) {
    return "BEGIN:VEVENT\nUID:" + std::to_string(uid) + "\n" + properties + "\nSUMMARY:x\nEND:VEVENT\n";
}

// A zone of +0100 in winter and +0200 in summer whose winter rule is given.
std::string Zone(const std::string& tzid, const std::string& winterRule) {
    return "BEGIN:VTIMEZONE\nTZID:" + tzid +
           "\nBEGIN:STANDARD\nDTSTART:19701025T030000\nTZOFFSETFROM:+0200\nTZOFFSETTO:+0100\nRRULE:" + winterRule +
           "\nEND:STANDARD\nBEGIN:DAYLIGHT\nDTSTART:19700329T020000\nTZOFFSETFROM:+0100\nTZOFFSETTO:+0200\n"
           "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\nEND:DAYLIGHT\nEND:VTIMEZONE\n";
}

std::string Repeat(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

int Added(const ImportReport& report) {
    int added = 0;
    for (const auto& [name, year] : report.years) added += year.added;
    return added;
}

int Refused(const ImportReport& report) {
    int refused = 0;
    for (const auto& [reason, count] : report.mapped.refused) refused += count;
    return refused;
}

class IcalBounds : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }
    ImportReport Import(const std::string& text) {
        return ImportCalendarText(book.path(), text, MakeImportOptions({2026, 12, 5}, {}));
    }
    testing::TempFolder book;
};

// libical walks every step between two occurrences inside one call, up to
// year 2582 for a rule without an end.
TEST_F(IcalBounds, RulesThatRarelyOrNeverMatchAreRefusedOrEndWithTheRange) {
    const struct {
        std::string properties;
        int added, refused;
        std::string start = "20261201T100000";
    } cases[] = {
        {"RRULE:FREQ=MINUTELY;BYMONTH=2;BYMONTHDAY=30", 0, 1},
        {"RRULE:FREQ=SECONDLY;BYMONTH=2;BYMONTHDAY=30", 0, 1},
        {"RRULE:FREQ=SECONDLY;BYSECOND=60", 0, 1},
        {"RRULE:FREQ=HOURLY;BYMONTH=2;BYMONTHDAY=30", 1, 0},  // DTSTART itself
        {"RRULE:FREQ=DAILY;BYMONTH=2;BYMONTHDAY=30", 1, 0},
        {"RRULE:FREQ=MONTHLY;BYMONTH=2;BYMONTHDAY=30;COUNT=3", 1, 0},
        {"RRULE:FREQ=HOURLY;INTERVAL=5;BYDAY=MO;UNTIL=20261215T000000", 1 + 2 * 5, 0},  // five on 7 and 14 Dec
        // With COUNT it starts at DTSTART, 19 years of hours before the range's end.
        {"RRULE:FREQ=HOURLY;BYMONTH=2;BYMONTHDAY=30;COUNT=2", 0, 1, "20100101T100000"},
    };
    for (const auto& c : cases) {
        const ImportReport report = Import(Calendar(Event("DTSTART:" + c.start + "\n" + c.properties)));
        EXPECT_EQ(std::pair(Added(report), Refused(report)), std::pair(c.added, c.refused)) << c.properties;
        fs::remove_all(book.path() / "2026.log");
    }
}

// Rules that began long ago start near the range, in step with their
// intervals: the counts are libical's own, following each rule from its real
// start (which took it up to a minute: two thousand years of hours).
TEST_F(IcalBounds, RulesFromLongAgoGiveTheSameOccurrencesInTheRange) {
    const struct {
        const char *start, *rule;
        int added;
    } cases[] = {
        {"19990131T100000", "FREQ=MONTHLY;INTERVAL=5;BYMONTHDAY=31", 6},
        {"20200120T100000", "FREQ=MONTHLY;BYMONTHDAY=6,20", 72},  // 6 December 2025 comes before the 20th
        {"20010102T100000", "FREQ=WEEKLY;INTERVAL=3;BYDAY=TU,TH", 104},
        {"19960229T100000", "FREQ=YEARLY;INTERVAL=4", 1},
        {"00010101T100000", "FREQ=HOURLY;INTERVAL=5;BYHOUR=9;BYDAY=MO;BYMONTH=3", 14},
        {"19000101T100000", "FREQ=SECONDLY;INTERVAL=3601;BYMINUTE=5", 420},
        {"00010101T100000", "FREQ=DAILY;BYMONTH=2;BYMONTHDAY=30", 0},
    };
    for (const auto& c : cases) {
        const ImportReport report =
            Import(Calendar(Event(std::string("DTSTART:") + c.start + "\nRRULE:" + c.rule)));
        EXPECT_EQ(std::pair(Added(report), Refused(report)), std::pair(c.added, 0)) << c.rule;
        for (const char* year : {"2025.log", "2026.log", "2027.log", "2028.log"}) fs::remove(book.path() / year);
    }
}

// Rules whose walk reaches far back (COUNT keeps them from starting near the
// range) each cost 83,616 days: a file's budget covers eleven of them.
TEST_F(IcalBounds, AFilesRulesShareOneBudget) {
    std::string events;
    for (int i = 0; i < 14; ++i) events += Event("DTSTART:18000101T100000\nRRULE:FREQ=DAILY;COUNT=2", i);
    const ImportReport report = Import(Calendar(events));
    EXPECT_EQ(Refused(report), 3) << ImportReportText(report);
}

TEST_F(IcalBounds, ZonesChangingMoreThanYearlyAreDroppedWithTheirEventsAndPathLikeNamesReadAsFloating) {
    const std::string fifo = (book.path() / "zona").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const ImportReport report = Import(Calendar(
        Zone("Cada segundo", "FREQ=SECONDLY") + Zone("Cada minuto", "FREQ=MINUTELY") +
        Zone("Europa", "FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU") +
        Event("DTSTART;TZID=Cada segundo:20261201T100000", 1) + Event("DTSTART;TZID=Cada minuto:20261201T100000", 2) +
        Event("DTSTART;TZID=Europa:20260701T100000", 3) + Event("DTSTART;TZID=Nowhere/Land:20261202T100000", 4) +
        Event("DTSTART;TZID=../../../../../../../.." + fifo + ":20261203T100000", 5) +
        // libical looks a TZID up in every component above the event.
        "BEGIN:VTIMEZONE\nTZID:Fuera\nBEGIN:STANDARD\n" + Zone("Dentro", "FREQ=SECONDLY") +
        Event("DTSTART;TZID=Dentro:20261201T100000", 6) + "END:STANDARD\nEND:VTIMEZONE\n"));
    EXPECT_EQ(Refused(report), 3);
    EXPECT_EQ(report.mapped.unknownZones, 2);
    EXPECT_NE(ImportReportText(report).find("2 eventos con zona horaria (TZID) desconocida"), std::string::npos);
    std::vector<Appointment> records;
    ReadYearRecords(book.path() / "2026.log", records);
    std::string times;
    for (const Appointment& r : records) times += ReadField(r.date) + " " + ReadField(r.time) + ";";
    EXPECT_EQ(times, "01/07/2026 08:00;02/12/2026 10:00;03/12/2026 10:00;");
}

TEST_F(IcalBounds, DeepNestingIsWalkedWithoutRecursion) {
    const int depth = 200000;
    const ImportReport report = Import(
        Calendar(Repeat("BEGIN:X\n", depth) + Event("DTSTART:20261201T100000") + Repeat("END:X\n", depth)));
    EXPECT_EQ(Added(report), 1);
}

// One line of 16 MiB took libical over a minute; folded (here once inside the "ñ"
// of the summary), the file says the same.
TEST_F(IcalBounds, AFileOfOneLongLineIsReadAsItSays) {
    const std::string padding = ";X-RELLENO=" + std::string(kFoldAt - 20, 'p');
    const ImportReport report = Import(Calendar(
        Event("DTSTART:20261201T100000\nDESCRIPTION:" + std::string(16 << 20, 'a')) +
        "BEGIN:VEVENT\r\nDTSTART:20261202T100000\r\nSUMMARY" + padding + ":\xC3\xB1" "and\xC3\xBA\r\nEND:VEVENT\r\n"));
    EXPECT_EQ(Added(report), 2);
    std::vector<Appointment> records;
    ReadYearRecords(book.path() / "2026.log", records);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(ReadField(records[1].subject), testing::W("ñandú"));
}

// 201 daily events of 1,000 records each: nothing is stored rather than a
// part; a file over the size limit is not even parsed.
TEST_F(IcalBounds, FilesGivingTooMuchAreRefusedWholeWithoutWriting) {
    std::string events;
    for (int i = 0; i < 201; ++i) events += Event("DTSTART:20250101T100000\nRRULE:FREQ=DAILY", i);
    const ImportReport many = Import(Calendar(events));
    EXPECT_TRUE(many.Refused());
    EXPECT_NE(ImportReportText(many).find("no se importó ninguna"), std::string::npos);
    const ImportReport large = Import(Calendar(Event("DTSTART:20261201T100000") + std::string(kMaxImportBytes, ' ')));
    EXPECT_TRUE(large.tooLarge);
    EXPECT_TRUE(large.AnythingRefused());
    EXPECT_TRUE(fs::is_empty(book.path()));
}

}  // namespace
}  // namespace quimbaro::ical
