// The rules file read without libical: the program's own events are taken
// as libical takes them, and anything else reads exactly as libical reads it.
#include <gtest/gtest.h>

#include "repeat/plain_rule.h"
#include "repeat/rules_file.h"
#include "repeat/rules_scan.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

using testing::W;

void ExpectSameRead(const std::string& text) {
    const RulesRead fast = ParseRules(text), slow = ParseRulesWithLibical(text);
    EXPECT_EQ(fast.problem, slow.problem) << text;
    ASSERT_EQ(fast.series.size(), slow.series.size()) << text;
    for (std::size_t i = 0; i < fast.series.size(); ++i) {
        EXPECT_EQ(fast.series[i].uid, slow.series[i].uid);
        EXPECT_EQ(fast.series[i].rule, slow.series[i].rule);
        EXPECT_TRUE(SameBytes(fast.series[i].first, slow.series[i].first)) << fast.series[i].uid;
        EXPECT_EQ(fast.series[i].excluded, slow.series[i].excluded) << fast.series[i].uid;
    }
}

const std::string kLongName(40, 'n');

// Every kind of series the program writes is read by the scan alone.
TEST(RulesScan, OwnEventsAreReadWithoutLibical) {
    const std::vector<Series> own = {
        {"a", MakeAppointment("31/01/2027", "10:00", "6%0", W("Peña, Ana;"), "x"), "FREQ=MONTHLY;COUNT=5", {}},
        {"b", MakeAppointment("29/02/2028", "tarde", "", "", ""), "FREQ=YEARLY;UNTIL=20400101;INTERVAL=2",
         {{2032, 2, 29}, {2036, 2, 29}}},
        {"c", MakeAppointment("01/12/2026", "09:30", "1", kLongName, W("Fisioterapia del año ") + kLongName),
         "FREQ=WEEKLY;UNTIL=20271231", {{2026, 12, 8}}},
        {"d", MakeAppointment("02/12/2026", " ", "", "", ""), "FREQ=DAILY;INTERVAL=999", {}},
    };
    const std::string text = RulesText(own);
    ASSERT_NE(text.find("\r\n "), std::string::npos);  // a folded line among them
    const auto scanned = ScanRules(text);
    ASSERT_TRUE(scanned.has_value());
    for (const ScannedEvent& event : *scanned) EXPECT_TRUE(event.series.has_value()) << event.text;
    ExpectSameRead(text);
}

// Unusual events go to libical one by one, an unusual outline whole; both
// read as libical reads them, damage counted as before.
TEST(RulesScan, AnythingElseReadsAsLibicalReadsIt) {
    const std::string head = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n", tail = "END:VCALENDAR\r\n";
    const auto event = [](const std::string& lines) {
        return "BEGIN:VEVENT\r\nUID:u\r\nX-QUIMBARO-DATE:07/12/2026\r\n" + lines + "END:VEVENT\r\n";
    };
    const std::string good = event("RRULE:FREQ=WEEKLY\r\n");
    struct Case {
        std::string text;
        bool scanned;  // whether the outline is the scan's
    };
    const std::vector<Case> cases = {
        {head + good + event("RRULE:FREQ=WEEKLY;INTERVAL=1\r\n") + tail, true},
        {head + good + event("RRULE:FREQ=WEEKLY;UNTIL=20270230\r\n") + tail, true},
        {head + good + event("RRULE:FREQ=WEEKLY;BYDAY=MO\r\n") + tail, true},
        {head + good + event("RRULE:FREQ=HOURLY\r\n") + tail, true},
        {head + good + event("RRULE:FREQ=WEEKLY\r\nRRULE:FREQ=DAILY\r\n") + tail, true},
        {head + good + event("RRULE:FREQ=WEEKLY\r\nUID:v\r\n") + tail, true},
        {head + good + event("RRULE:FREQ=WEEKLY\r\nX-QUIMBARO-NAME:A\\, B\\nC\r\n") + tail, true},
        {head + good + event("RRULE:FREQ=WEEKLY\r\nX-QUIMBARO-NAME:%zz\r\n") + tail, true},
        {head + good + event("RRULE:FREQ=WEEKLY\r\nX-QUIMBARO-DATE:31/02/2026\r\n") + tail, true},
        {head + good + event("RRULE:FREQ=WEEKLY\r\nEXDATE:20261214\r\nEXDATE;VALUE=DATE:20261221\r\n") + tail, true},
        {head + good + event("RRULE:FREQ=WEEKLY\r\nEXDATE:20261214T250000\r\n") + tail, true},
        {head + good + event("RRULE:FREQ=WEEKLY\r\nUID;X-A=1:v\r\n") + tail, true},
        {head + good + event("RRULE:FREQ=WEEK\r\n LY\r\n") + tail, true},
        {head + good + event("RRULE:FREQ=WEEKLY\r\nX-QUIMBARO-NAME:Ana \r\n") + tail, true},
        {head + good + event("RRULE:FREQ=WEEKLY\r\nX-QUIMBARO-NAME:Ana\\\r\n") + tail, true},
        {head + good + event("RRULE:FREQ=WEEKLY\r\nSUMMARY:a\x7F" "bcdefgh\r\n") + tail, false},
        {head + good + event("RRULE:FREQ=WEEKLY\r\nSUMMARY:a\tbcdefgh\r\n") + tail, false},
        {head + good + event("RRULE:FREQ=WEEKLY\r\nX-OTHER:1\r\n") + tail, false},
        {head + good + event("RRULE:FREQ=WEEKLY\r\nBEGIN:VALARM\r\nEND:VALARM\r\n") + tail, false},
        {head + good + "BEGIN:VEVENT\r\n UID:x\r\nEND:VEVENT\r\n" + tail, false},
        {head + good + event("rrule:FREQ=WEEKLY\r\n") + tail, false},
        {head + good + event("RRULE:FREQ=WEEKLY\n") + tail, false},
        {head + good + event("RRULE:FREQ=WEEKLY\r\n") + tail + "x\r\n", false},
        {head + good + "BEGIN:VEVENT\r\nUID:x\r\n" + tail, false},
        {head + good, false},
        {head + good + "VERSION:2.0\r\n", false},
        {"", false},
    };
    for (const Case& one : cases) {
        EXPECT_EQ(ScanRules(one.text).has_value(), one.scanned) << one.text;
        ExpectSameRead(one.text);
    }
}

// The plain rules are read as libical reads them, other texts left to it.
TEST(PlainRule, ReadAsLibicalReadsThem) {
    const auto text = [](icalrecurrencetype rule) {
        const char* written = icalrecurrencetype_as_string(&rule);
        return std::string(written ? written : "");
    };
    const auto same = [&](const icalrecurrencetype& a, const icalrecurrencetype& b) {
        return a.freq == b.freq && a.interval == b.interval && a.count == b.count &&
               icaltime_compare(a.until, b.until) == 0 && a.until.is_date == b.until.is_date &&
               a.week_start == b.week_start && text(a) == text(b);
    };
    for (const std::string rule : {"FREQ=DAILY", "FREQ=WEEKLY;INTERVAL=2", "FREQ=MONTHLY;COUNT=9999;INTERVAL=999",
                                   "FREQ=YEARLY;UNTIL=20280229"}) {
        ASSERT_TRUE(ReadPlainRule(rule, RuleEnd::Day)) << rule;
        EXPECT_EQ(RuleText(*ReadPlainRule(rule, RuleEnd::Day)), rule);
        EXPECT_TRUE(same(ParseRule(rule), icalrecurrencetype_from_string(rule.c_str()))) << rule;
    }
    EXPECT_TRUE(ReadPlainRule("FREQ=DAILY;UNTIL=20280229T235959", RuleEnd::DayOrLastSecond));
    for (const std::string rule :
         {"FREQ=DAILY;UNTIL=20280229T235959", "FREQ=DAILY;INTERVAL=1", "FREQ=DAILY;INTERVAL=02", "FREQ=DAILY;COUNT=0",
          "FREQ=DAILY;COUNT=10000", "FREQ=DAILY;UNTIL=20270229", "FREQ=DAILY;UNTIL=30000101", "FREQ=DAILY;COUNT=1;UNTIL=20270101",
          "FREQ=DAILY;INTERVAL=2;COUNT=3", "freq=daily", "FREQ=DAILYX", "FREQ=DAILY;", "FREQ=HOURLY"}) {
        EXPECT_FALSE(ReadPlainRule(rule, RuleEnd::Day)) << rule;
        EXPECT_TRUE(same(ParseRule(rule), icalrecurrencetype_from_string(rule.c_str()))) << rule;
    }
}

}  // namespace
}  // namespace quimbaro
