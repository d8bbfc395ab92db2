#include "app/classify_line.h"

#include <gtest/gtest.h>

#include "book/win1252.h"

namespace quimbaro {
namespace {

using Fields = std::array<std::string, 5>;

LineAction ActionOf(std::string_view line) { return ClassifyLine(line).action; }

TEST(ClassifyLine, CommandWordsInAnyCase) {
    const std::pair<std::string, LineAction> words[] = {
        {"salir", LineAction::Exit},           {"autor", LineAction::Author},
        {"ascendente", LineAction::Ascending}, {"descendente", LineAction::Descending},
        {"ayer", LineAction::Yesterday},       {ToWin1252(QStringLiteral("mañana")), LineAction::Tomorrow},
        {"hoy", LineAction::Today},            {"color", LineAction::ChooseColour},
    };
    for (const auto& [word, action] : words) {
        EXPECT_EQ(ActionOf(word), action) << word;
        const std::string upper = ToWin1252(FromWin1252(word).toUpper());
        EXPECT_EQ(ActionOf(upper), action) << upper;
        const std::string capitalised = ToWin1252(FromWin1252(word).left(1).toUpper() + FromWin1252(word).mid(1));
        EXPECT_EQ(ActionOf(capitalised), action) << capitalised;
    }
    EXPECT_EQ(ActionOf(ToWin1252(QStringLiteral("MAÑANA"))), LineAction::Tomorrow);
    EXPECT_EQ(ActionOf(ToWin1252(QStringLiteral("Mañana"))), LineAction::Tomorrow);
    EXPECT_EQ(ActionOf("HoY"), LineAction::Today);
}

TEST(ClassifyLine, WordsMustBeTheWholeLine) {
    for (const std::string_view line :
         {" hoy", "hoy ", " hoy ", "\thoy", "hoy\n", "hoyy", "ho", "manana", "ma\xD1" "anas", "salir!",
          "sali", "colores", "color ", "autor autor", "hola", "", " ", "h\0oy"}) {
        EXPECT_EQ(ActionOf(line), LineAction::Nothing) << line;
    }
    // UTF-8 bytes of "mañana" are not the Windows-1252 word.
    EXPECT_EQ(ActionOf("ma\xC3\xB1" "ana"), LineAction::Nothing);
    EXPECT_EQ(ActionOf(std::string_view("hoy\0", 4)), LineAction::Nothing);
}

TEST(ClassifyLine, TypedDates) {
    const ClassifiedLine date = ClassifyLine("05/03/2024");
    EXPECT_EQ(date.action, LineAction::ShowDate);
    EXPECT_EQ(date.date, (CalendarDate{2024, 3, 5}));
    EXPECT_EQ(ClassifyLine("31/02/2026").date, (CalendarDate{2026, 2, 31}));
    EXPECT_EQ(ActionOf("00/00/0000"), LineAction::ShowDate);
    for (const std::string_view line : {"5/12/2026", "05-12-2026", "32/01/2024", "05/13/2024", " 05/12/2026"}) {
        EXPECT_EQ(ActionOf(line), LineAction::Nothing) << line;
    }
}

TEST(ClassifyLine, AppointmentFieldsAsTyped) {
    const std::string line = ToWin1252(QStringLiteral("05/12/2026|09:30|600111222|Ana|Revisión"));
    const ClassifiedLine entry = ClassifyLine(line);
    EXPECT_EQ(entry.action, LineAction::Append);
    EXPECT_EQ(entry.fields, (Fields{"05/12/2026", "09:30", "600111222", "Ana", "Revisi\xF3n"}));

    const ClassifiedLine spaced = ClassifyLine("05/12/2026| 9:30 ||  Ana Ruiz | ");
    EXPECT_EQ(spaced.action, LineAction::Append);
    EXPECT_EQ(spaced.fields, (Fields{"05/12/2026", " 9:30 ", "", "  Ana Ruiz ", " "}));

    EXPECT_EQ(ClassifyLine("01/01/2027||||").fields, (Fields{"01/01/2027", "", "", "", ""}));
    const std::string longSubject(100'000, 'x');
    EXPECT_EQ(ClassifyLine("01/01/2027|a|b|c|" + longSubject).fields[4], longSubject);
}

TEST(ClassifyLine, AppointmentWithoutADayKeyIsRefused) {
    for (const std::string_view line :
         {"05/12/2026 |09:30|600111222|Ana|Revision", "5/12/2026|09:30|600111222|Ana|Revision",
          "../x|09:30|600111222|Ana|Revision", "|||x|", "||||", "05/12/26|a|b|c|d", "hoy|a|b|c|d"}) {
        const ClassifiedLine refused = ClassifyLine(line);
        EXPECT_EQ(refused.action, LineAction::BadEntry) << line;
        EXPECT_EQ(refused.fields, Fields{}) << line;
    }
}

TEST(ClassifyLine, SeparatorCounts) {
    const LineAction byCount[] = {LineAction::ShowDate, LineAction::BadEntry, LineAction::BadEntry,
                                  LineAction::BadEntry, LineAction::Append,   LineAction::BadEntry,
                                  LineAction::BadEntry};
    for (int count = 0; count <= 6; ++count) {
        std::string line = "05/12/2026";
        for (int i = 0; i < count; ++i) line += "|f" + std::to_string(i);
        EXPECT_EQ(ActionOf(line), byCount[count]) << line;
        EXPECT_EQ(ActionOf(std::string(static_cast<std::size_t>(count), '|')),
                  count == 0 ? LineAction::Nothing : LineAction::BadEntry) << count;
    }
    EXPECT_EQ(ActionOf("hola|"), LineAction::BadEntry);
    EXPECT_EQ(ActionOf("hola"), LineAction::Nothing);
}

TEST(ClassifyLine, LoneSeparatorAnywhereIsABadEntry) {
    for (const std::string_view base : {"hoy", "05/12/2026", "color", "x"}) {
        for (std::size_t at = 0; at <= base.size(); ++at) {
            std::string line(base);
            line.insert(at, "|");
            EXPECT_EQ(ActionOf(line), LineAction::BadEntry) << line;
        }
    }
}

TEST(ClassifyLine, LongLinesAndControlCharacters) {
    EXPECT_EQ(ActionOf(std::string(100'000, 'a')), LineAction::Nothing);
    std::string longBad(100'000, 'a');
    longBad[50'000] = '|';
    EXPECT_EQ(ActionOf(longBad), LineAction::BadEntry);
    std::string controls;
    for (int byte = 1; byte < 32; ++byte) controls += static_cast<char>(byte);
    EXPECT_EQ(ActionOf(controls), LineAction::Nothing);
    EXPECT_EQ(ActionOf(controls + "||||"), LineAction::BadEntry);
    const ClassifiedLine tabbed = ClassifyLine("05/12/2026|\t|\r\n|\x7F|\x01");
    EXPECT_EQ(tabbed.action, LineAction::Append);
    EXPECT_EQ(tabbed.fields, (Fields{"05/12/2026", "\t", "\r\n", "\x7F", "\x01"}));
    EXPECT_EQ(ActionOf(std::string_view("05/12/2026|a|b|c|\0", 18)), LineAction::Append);
}

}  // namespace
}  // namespace quimbaro
