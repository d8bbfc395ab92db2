// Search: folding, the record matcher and the walk over the year files (the
// moves between matching days are typed into the window's console).
#include <fcntl.h>

#include <gtest/gtest.h>

#include "book/locked_file.h"
#include "search/book_search.h"
#include "search/folding.h"
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

}  // namespace
}  // namespace quimbaro
