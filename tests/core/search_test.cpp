// Search: folding, the record matcher and the walk over the year files (the
// moves between matching days are typed into the window's console). The
// quick skipping of records (a scan of the raw bytes for the query's rarest
// character, the day already found) must find exactly what folding and
// comparing every field finds: checked on random records of every byte
// value, accents, phones with separators, and tricky queries.
#include <fcntl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>

#include "book/locked_file.h"
#include "search/book_search.h"
#include "search/caseless_scan.h"
#include "search/folding.h"
#include "search/matched_days.h"
#include "random_book.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

namespace fs = std::filesystem;

using testing::W;

std::string Record(std::string_view date, std::string_view phone, std::string_view name,
                   std::string_view subject, std::string_view time = "10:00") {
    return testing::Bytes(MakeAppointment(date, time, phone, name, subject));
}

// Unicode's own view: the small letter, then the base letter of its
// canonical decomposition when that is a plain letter. ø has none there,
// but a reader of names takes it for an o.
TEST(Folding, AgreesWithUnicodeDecompositionForEveryByte) {
    for (int byte = 1; byte < 256; ++byte) {
        const QChar lower = FromWin1252(std::string(1, static_cast<char>(byte)))[0].toLower();
        QChar expected = lower;
        if (lower.decompositionTag() == QChar::Canonical && lower.decomposition()[0].isLetter())
            expected = lower.decomposition()[0];
        if (lower == QChar(0xF8)) expected = u'o';
        EXPECT_EQ(FromWin1252(std::string(1, FoldChar(static_cast<char>(byte)))), QString(expected))
            << "byte " << byte;
    }
}

// Fields left out: an empty subject and phone, and a real day.
struct MatchCase {
    bool matches;
    const char *query, *name, *subject = "", *phone = "", *date = "05/12/2026";
};

TEST(RecordMatcher, FoldsTextMatchesPhoneDigitsAndNeedsARealDay) {
    const std::string subject74 = std::string(71, 'x') + "fin";
    const MatchCase cases[] = {
        {true, "pena", "Peña López"}, {true, "jose", "Ana", "Llamar a JOSÉ"}, {true, "JOSÉ", "jose"}, {true, "n", "Ñ"},
        {true, "y", "Ÿ"}, {true, "lopez ana", "López Ana"}, {true, "612 34", "Bea", "", "612345678"},
        {true, "(612) 345-678", "Bea", "", "612 34 56 78"}, {false, "612 35", "Bea", "", "612345678"},
        {true, "600 10", "Bea", "", "900-600-105"},  // zeros are digits on both sides
        {false, "ana 612", "Bea", "", "612345678"},  // no phone number: text only
        {true, "ana", "Ana", "", "", "29/02/2028"}, {false, "ana", "Ana", "", "", "29/02/2026"},
        {false, "ana", "Ana", "", "", "05/13/2026"}, {false, "ana", "Ana", "", "", "00/12/2026"},
        {false, "ana", "Ana", "", "", ""},  // deleted
        {true, "ana", "Ana", "", "", "31/12/2026"}, {false, "ana", "Ana", "", "", "05/12/0000"},
        {true, "fin", "", subject74.c_str()},  // the subject's last bytes
    };
    for (const MatchCase& c : cases) {
        const RecordMatcher matcher(W(c.query));
        const std::string record = Record(c.date, c.phone, W(c.name), W(c.subject));
        EXPECT_EQ(matcher.Matches(record.data()), c.matches) << c.query << " / " << c.name << " / " << c.date;
    }
}

// A foreign file may hold bytes after a field's zero, or a name with no zero.
TEST(RecordMatcher, FieldsEndAtTheirZeroOrTheirWidthNeverCrossing) {
    std::string record = Record("05/12/2026", "", "Ana", "bc");
    record.replace(30 + 4, 6, "oculto");
    EXPECT_FALSE(RecordMatcher("oculto").Matches(record.data()));
    EXPECT_TRUE(RecordMatcher("ana").Matches(record.data()));
    record.replace(30, 50, std::string(48, 'x') + "xa");
    EXPECT_TRUE(RecordMatcher("xxa").Matches(record.data()));
    EXPECT_FALSE(RecordMatcher("xab").Matches(record.data()));
    record.replace(80, 75, std::string(72, 'y') + "fin");  // the subject ends the record, with no zero
    EXPECT_TRUE(RecordMatcher("yfin").Matches(record.data()));
    // A phone of 13 digits with no zero after it, and a name starting with one.
    record.replace(17, 13, "6001112223334");
    record.replace(30, 5, "5 Ana");
    EXPECT_TRUE(RecordMatcher("33 34").Matches(record.data()));
    EXPECT_FALSE(RecordMatcher("334 5").Matches(record.data()));
}

class BookSearch : public ::testing::Test {
protected:
    testing::TempFolder temp;
    const fs::path folder = temp.path();
    void Write(const char* name, const std::string& bytes) { testing::WriteFile(folder / name, bytes); }
};

TEST_F(BookSearch, ReadsOnlyYearFilesAndOnlyRecordsOfTheirOwnYear) {
    Write("2026.log", Record("10/12/2026", "", W("Peña"), "", "12:00") + Record("05/01/2027", "", W("Peña"), "") +
                          Record("10/12/2026", "", W("Peña"), "", "09:00") + Record("11/12/2026", "", "Otra", "") +
                          Record("31/02/2026", "", W("Peña"), "") + Record("00/03/2026", "", W("Peña"), ""));
    Write("2025.log", Record("20/06/2025", "", W("PEÑA"), "") + "partial");
    Write("notes.txt", Record("01/01/2026", "", W("Peña"), ""));
    Write("12026.log", Record("01/01/2026", "", W("Peña"), ""));
    fs::create_directory(folder / "2024.log");
    const RecordMatcher matcher("pena");
    const DaySearch days = FindMatchingDays(folder, matcher);
    EXPECT_TRUE(days.skipped.empty());
    EXPECT_EQ(days.days, (std::vector<CalendarDate>{{2025, 6, 20}, {2026, 12, 10}}));  // no 31/02, no day 0
    const RecordSearch records = FindMatchingRecords(folder, matcher);
    ASSERT_EQ(records.records.size(), 3u);
    EXPECT_EQ(ReadField(records.records[1].time) + " " + ReadField(records.records[2].time), "09:00 12:00");  // date, then time order
}

// A second copy holding a file past the wait: that file is named, the others are still searched.
TEST_F(BookSearch, FileThatCannotBeReadIsSkippedAndNamed) {
    Write("2025.log", Record("20/06/2025", "", W("Peña"), ""));
    Write("2026.log", Record("10/12/2026", "", W("Peña"), ""));
    LockedFile held;
    ASSERT_TRUE(held.Open(folder / "2025.log", O_RDONLY, 0).Stored());
    const DaySearch days = FindMatchingDays(folder, RecordMatcher("pena"));
    held.Close();
    EXPECT_EQ(days.days, (std::vector<CalendarDate>{{2026, 12, 10}}));
    ASSERT_EQ(days.skipped.size(), 1u);
    EXPECT_EQ(days.skipped[0].error, StoreError::LockTimeout);
    EXPECT_NE(days.skipped[0].Reason().find("2025.log"), std::string::npos);
    EXPECT_FALSE(FindMatchingDays(folder / "missing", RecordMatcher("pena")).skipped.empty());
}

// The plain reading: every field folded whole and searched.
bool PlainTextMatch(const std::string& query, const Appointment& record) {
    const std::string folded = FoldText(query), digits = PhoneQueryDigits(query);
    std::string phoneDigits;
    for (const char ch : ReadField(record.phone))
        if (ch >= '0' && ch <= '9') phoneDigits += ch;
    return FoldText(ReadField(record.name)).find(folded) != std::string::npos ||
           FoldText(ReadField(record.subject)).find(folded) != std::string::npos ||
           (!digits.empty() && phoneDigits.find(digits) != std::string::npos);
}

using testing::RandomBook;

TEST(SearchPrefilter, FindsExactlyWhatFoldingEveryFieldFinds) {
    const std::vector<std::string> queries = {"pilar", "lupe", "n", W("Ñü"), W("ÿ"), "s", "z", W("æ"), W("ß"), "612 34",
                                              "(612) 345-678", "6", "-", "a a", " ", "", "p\xFF", "l\x01", "plp"};
    RandomBook book;
    for (const std::string& query : queries) {
        std::string block;
        for (int i = 0; i < 600; ++i) block += book.Record(query);
        const RecordMatcher matcher(query);
        // Blocks of several lengths, so that every tail of the scan is run.
        for (const std::size_t count : {1, 2, 7, 600}) {
            std::set<std::size_t> plain, fast;
            for (std::size_t i = 0; i < count; ++i) {
                Appointment record;
                std::memcpy(&record, block.data() + i * kRecordSize, kRecordSize);
                if (PlainTextMatch(query, record)) plain.insert(i);
            }
            matcher.ForEachCandidate(block.data(), count, [&](const char* record) {
                if (matcher.TextMatches(record)) fast.insert(static_cast<std::size_t>(record - block.data()) / kRecordSize);
            });
            EXPECT_EQ(fast, plain) << "query \"" << query << "\", " << count << " records";
            if (count == 600) {
                EXPECT_GT(plain.size(), 0u) << query;
            }
        }
        // The days of the whole book, of records dated in the file's own year.
        testing::TempFolder temp;
        testing::WriteFile(temp.path() / "2026.log", block);
        std::set<CalendarDate> days;
        for (std::size_t i = 0; i < 600; ++i)
            if (const auto day = RecordDay(block.data() + i * kRecordSize);
                day && day->year == 2026 && matcher.Matches(block.data() + i * kRecordSize))
                days.insert(*day);
        const DaySearch found = FindMatchingDays(temp.path(), matcher);
        EXPECT_EQ(std::set<CalendarDate>(found.days.begin(), found.days.end()), days) << query;
    }
}

// Runs where the query is in half the records (the date looked at first)
// and where it is rare (the scan), each run on days of its own, fed in
// blocks of many sizes: the same days as checking every record.
TEST(SearchPrefilter, BothWaysThroughTheBlocksFindTheSameDays) {
    std::mt19937 random(5);
    constexpr std::size_t kRecords = 3000, kRun = 600;
    std::string records;
    std::set<CalendarDate> plain;
    for (std::size_t i = 0; i < kRecords; ++i) {
        const int run = int(i / kRun);
        const CalendarDate day{int16_t(random() % 8 ? 2026 : 2027), int16_t(2 * run + 1 + random() % 2),
                               int16_t(1 + random() % 28)};
        const bool named = random() % (run % 2 ? 40 : 2) == 0, dated = i % 97 != 0;
        records += testing::Bytes(
            MakeAppointment(dated ? DayKey(day) : "", "10:00", "600", named ? "GUADALUPE" : "MARIA", ""));
        if (named && dated && day.year == 2026) plain.insert(day);
    }
    const RecordMatcher matcher("lupe");
    MatchedDays days(matcher, "2026.log");
    for (std::size_t at = 0, size = 1; at < kRecords; at += size, size = size * 7 % 601)
        days.Add(records.data() + at * kRecordSize, std::min(size, kRecords - at));
    const std::vector<CalendarDate> found = days.Days();
    EXPECT_EQ(std::set<CalendarDate>(found.begin(), found.end()), plain);
    EXPECT_TRUE(std::is_sorted(found.begin(), found.end()));
}

// Phones of few digits, so that the query turns up often: digits only (the
// exact quick test), with separators, ending anywhere, digits after the end.
TEST(SearchPrefilter, PhoneNumbersAreFoundWhereverTheFieldHoldsThem) {
    std::mt19937 random(11);
    for (const std::string query : {"612 34", "6", "1-2", "4444", "6123461234612", "61234612346123"}) {
        const RecordMatcher matcher(query);
        int found = 0;
        for (int round = 0; round < 4000; ++round) {
            Appointment record;
            const std::size_t length = random() % (sizeof record.phone + 1);
            const std::string alphabet = round % 3 ? "61234" : "61234-";
            for (std::size_t i = 0; i < sizeof record.phone; ++i)
                record.phone[i] = i == length ? '\0' : alphabet[random() % (i < length ? alphabet.size() : 5)];
            if (round == 0) std::memcpy(record.phone, "6123461234612", sizeof record.phone);  // the whole width
            const bool plain = PlainTextMatch(query, record);
            found += plain;
            EXPECT_EQ(matcher.TextMatches(reinterpret_cast<const char*>(&record)), plain)
                << query << " in " << std::string(record.phone, sizeof record.phone);
        }
        EXPECT_EQ(found > 0, query.size() <= sizeof(Appointment::phone)) << query;
    }
}

TEST(SearchPrefilter, EveryScanWidthStopsAtTheFirstWantedPairOfEitherCase) {
    std::mt19937 random(7);
    const auto pick = [&random] {
        CaselessBytes wanted;
        wanted.count = random() % 3 == 0 ? 0 : 1 + random() % CaselessBytes::kMax;
        for (std::size_t i = 0; i < wanted.count; ++i) wanted.bytes[i] = static_cast<unsigned char>(random() | 0x20);
        return wanted;
    };
    const auto in = [](const CaselessBytes& set, char ch) {
        return std::count(set.bytes.begin(), set.bytes.begin() + set.count, static_cast<unsigned char>(ch | 0x20)) > 0;
    };
    for (int round = 0; round < 600; ++round) {
        std::string data(1 + random() % 300, '\0');
        for (char& ch : data) ch = static_cast<char>(random() % (round % 2 ? 256 : 4));  // sparse or dense hits
        CaselessPair wanted{pick(), pick(), random() % 80};
        wanted.first.count = std::max<std::size_t>(wanted.first.count, 1);
        const std::size_t from = random() % data.size();
        std::size_t expected = from;
        while (expected < data.size() &&
               !(in(wanted.first, data[expected]) &&
                 (wanted.second.count == 0 ||
                  (expected + wanted.gap < data.size() && in(wanted.second, data[expected + wanted.gap])))))
            ++expected;
        for (const ScanWidth width : {ScanWidth::Widest, ScanWidth::Narrow, ScanWidth::Plain})
            EXPECT_EQ(FindCaseless(data.data(), data.size(), from, wanted, width), expected) << round;
    }
}

}  // namespace
}  // namespace quimbaro
