// The search's quick skipping of records (a scan of the raw bytes for the
// query's rarest character, the day already found) must find exactly what
// folding and comparing every field finds: checked on random records of
// every byte value, accents, phones with separators, and tricky queries.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "search/book_search.h"
#include "search/caseless_scan.h"
#include "search/folding.h"
#include "search/matched_days.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

using testing::W;

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

struct RandomBook {
    std::mt19937 random{20261207};
    std::string Pick(std::initializer_list<const char*> choices) {
        return W(choices.begin()[random() % choices.size()]);
    }
    // Letters of both cases, accents, digits, separators, and now and then any byte at all.
    std::string Text(std::size_t width, const std::string& planted) {
        std::string text;
        while (text.size() < width) {
            if (random() % 8 == 0) text += static_cast<char>(random() % 256);
            else text += Pick({"a", "P", "l", "Ñ", "ñ", "é", "È", "u", "Ü", "ÿ", "Ÿ", "š", "Š", "ß", "æ", " ", "9", "-"});
        }
        if (!planted.empty() && random() % 3 == 0) text.replace(random() % width, planted.size(), planted);
        text.resize(width);
        if (random() % 4 != 0) text[random() % width] = '\0';  // the field ends early
        return text;
    }
    std::string Record(const std::string& planted) {
        Appointment record;
        StoreField(record.date, Pick({"05/06/2026", "15/06/2026", "07/06/2026", "31/12/2026", "31/02/2026", "00/03/2026",
                                      "5/06/2026", "05/06/2027", ""}));
        const std::string phone = Text(sizeof record.phone, "") + Pick({"612 34 56 78", "(612)345-678", "61234"});
        std::memcpy(record.phone, phone.data() + phone.size() - sizeof record.phone, sizeof record.phone);
        const std::string name = Text(sizeof record.name, planted), subject = Text(sizeof record.subject, planted);
        std::memcpy(record.name, name.data(), sizeof record.name);
        std::memcpy(record.subject, subject.data(), sizeof record.subject);
        return testing::Bytes(record);
    }
};

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
