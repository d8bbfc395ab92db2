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

// Records added and events refused.
std::pair<int, int> Counts(const ImportReport& report) {
    std::pair<int, int> counts;
    for (const auto& [name, year] : report.years) counts.first += year.added;
    for (const auto& [reason, count] : report.mapped.refused) counts.second += count;
    return counts;
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

// libical walks every step between two occurrences inside one call (and
// from the start to the first), up to year 2582 for a rule without an end.
// The counts of the rules from long ago are libical's own, following each
// from its real start (which took it up to a minute: 2,000 years of hours).
TEST_F(IcalBounds, RulesAreRefusedOrFollowedFromNearTheRangeToJustPastIt) {
    const struct {
        const char *start, *rule;
        int added, refused;
    } cases[] = {
        {"20261201T100000", "FREQ=MINUTELY;BYMONTH=2;BYMONTHDAY=30", 0, 1},
        {"20261201T100000", "FREQ=SECONDLY;BYMONTH=2;BYMONTHDAY=30", 0, 1},
        {"20261201T100000", "FREQ=SECONDLY;BYSECOND=60", 0, 1},
        {"20261201T100000", "FREQ=HOURLY;BYMONTH=2;BYMONTHDAY=30", 1, 0},  // DTSTART itself
        {"20261201T100000", "FREQ=DAILY;BYMONTH=2;BYMONTHDAY=30", 1, 0},
        {"20261201T100000", "FREQ=MONTHLY;BYMONTH=2;BYMONTHDAY=30;COUNT=3", 1, 0},
        {"20261201T100000", "FREQ=HOURLY;INTERVAL=5;BYDAY=MO;UNTIL=20261215T000000", 1 + 2 * 5, 0},  // 7, 14 Dec
        // With COUNT it starts at DTSTART, 19 years of hours before the range's end.
        {"20100101T100000", "FREQ=HOURLY;BYMONTH=2;BYMONTHDAY=30;COUNT=2", 0, 1},
        {"19990131T100000", "FREQ=MONTHLY;INTERVAL=5;BYMONTHDAY=31", 6, 0},
        {"20200120T100000", "FREQ=MONTHLY;BYMONTHDAY=6,20", 72, 0},  // 6 December 2025 comes before the 20th
        {"20010102T100000", "FREQ=WEEKLY;INTERVAL=3;BYDAY=TU,TH", 104, 0},
        {"19960229T100000", "FREQ=YEARLY;INTERVAL=4;BYHOUR=10", 1, 0},
        {"00010101T100000", "FREQ=HOURLY;INTERVAL=5;BYHOUR=9;BYDAY=MO;BYMONTH=3", 14, 0},
        {"19000101T100000", "FREQ=SECONDLY;INTERVAL=3601;BYMINUTE=5", 420, 0},
        {"00010101T100000", "FREQ=DAILY;BYMONTH=2;BYMONTHDAY=30", 0, 0},
    };
    for (const auto& c : cases) {
        const ImportReport report = Import(Calendar(Event(std::string("DTSTART:") + c.start + "\nRRULE:" + c.rule)));
        EXPECT_EQ(Counts(report), std::pair(c.added, c.refused)) << c.rule;
        fs::remove_all(book.path());
        fs::create_directory(book.path());
    }
}

// Rules whose walk reaches far back (COUNT keeps them from starting near the
// range) each cost 83,616 days: a file's budget covers eleven of them.
TEST_F(IcalBounds, AFilesRulesShareOneBudget) {
    std::string events;
    for (int i = 0; i < 14; ++i) events += Event("DTSTART:18000101T100000\nRRULE:FREQ=DAILY;COUNT=2;BYHOUR=10", i);
    const ImportReport report = Import(Calendar(events));
    EXPECT_EQ(Counts(report).second, 3) << ImportReportText(report);
}

// A rule from long ago is followed from a start near the range, also when
// that start falls on a month's last day: fifty cost a fraction of the budget.
TEST_F(IcalBounds, RulesFromLongAgoStartNearTheRangeEvenOnAMonthsLastDay) {
    std::string events;
    for (int i = 0; i < 50; ++i) events += Event("DTSTART:00010131T100000\nRRULE:FREQ=MONTHLY;BYMONTHDAY=31;BYHOUR=10", i);
    const ImportReport report = Import(Calendar(events));
    EXPECT_EQ(Counts(report).second, 0) << ImportReportText(report);
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
    EXPECT_EQ(Counts(report).second, 3);
    EXPECT_EQ(report.mapped.unknownZones, 2);
    EXPECT_NE(ImportReportText(report).find("2 eventos con zona horaria (TZID) desconocida"), std::string::npos);
    std::vector<Appointment> records;
    ReadYearRecords(book.path() / "2026.log", records);
    std::string times;
    for (const Appointment& r : records) times += ReadField(r.date) + " " + ReadField(r.time) + ";";
    EXPECT_EQ(times, "01/07/2026 08:00;02/12/2026 10:00;03/12/2026 10:00;");
}

// A rule for every Sunday of a month changes the zone five times a year:
// from year 1 that is 10,200 changes, so nineteen such zones fit in the
// budget and the twentieth does not.
TEST_F(IcalBounds, AZoneRuleForEverySundayCountsFiveChangesAMonth) {
    std::string text;
    for (int i = 1; i <= 20; ++i) {
        const std::string tzid = "Semanal " + std::to_string(i);
        text += "BEGIN:VTIMEZONE\nTZID:" + tzid + "\nBEGIN:STANDARD\nDTSTART:00011025T030000\nTZOFFSETFROM:+0100\n"
                "TZOFFSETTO:+0100\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=SU\nEND:STANDARD\nEND:VTIMEZONE\n" +
                Event("DTSTART;TZID=" + tzid + ":20261201T100000", i);
    }
    EXPECT_EQ(Counts(Import(Calendar(text))), std::pair(19, 1));
}

TEST_F(IcalBounds, DeepNestingIsWalkedWithoutRecursion) {
    std::string begins, ends;
    for (int depth = 0; depth < 200000; ++depth) begins += "BEGIN:X\n", ends += "END:X\n";
    const ImportReport report = Import(Calendar(begins + Event("DTSTART:20261201T100000") + ends));
    EXPECT_EQ(Counts(report).first, 1);
}

// One line of 16 MiB took libical over a minute; folded (here once inside the "ñ"
// of the summary), the file says the same.
TEST_F(IcalBounds, AFileOfOneLongLineIsReadAsItSays) {
    const std::string padding = ";X-RELLENO=" + std::string(kFoldAt - 20, 'p');
    const ImportReport report = Import(Calendar(
        Event("DTSTART:20261201T100000\nDESCRIPTION:" + std::string(16 << 20, 'a')) +
        "BEGIN:VEVENT\r\nDTSTART:20261202T100000\r\nSUMMARY" + padding + ":\xC3\xB1" "and\xC3\xBA\r\nEND:VEVENT\r\n"));
    EXPECT_EQ(Counts(report).first, 2);
    std::vector<Appointment> records;
    ReadYearRecords(book.path() / "2026.log", records);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(ReadField(records[1].subject), testing::W("ñandú"));
}

// 201 daily events of 1,000 records each: nothing is stored rather than a
// part; a file over the size limit is not even parsed.
TEST_F(IcalBounds, FilesGivingTooMuchAreRefusedWholeWithoutWriting) {
    std::string events;
    for (int i = 0; i < 201; ++i) events += Event("DTSTART:20250101T100000\nRRULE:FREQ=DAILY;BYHOUR=10", i);
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
