#include "app/classify_line.h"

#include <gtest/gtest.h>

#include "book/win1252.h"

namespace quimbaro {
namespace {

using enum LineAction;
using Fields = std::array<std::string, 5>;

std::string W(const QString& text) { return ToWin1252(text); }

TEST(ClassifyLine, CommandWordsInAnyCaseAndAsTheWholeLineOnly) {
    const std::pair<QString, LineAction> words[] = {
        {"salir", Exit}, {"autor", Author}, {"ascendente", Ascending}, {"descendente", Descending},
        {"ayer", Yesterday}, {QStringLiteral("mañana"), Tomorrow}, {"hoy", Today}, {"color", ChooseColour}};
    for (const auto& [word, action] : words)
        for (const QString& typed : {word, word.toUpper(), word.left(1).toUpper() + word.mid(1), word.left(2) + word.mid(2).toUpper()})
            EXPECT_EQ(ClassifyLine(W(typed)).action, action) << W(typed);
    const std::string nothing[] = {" hoy", "hoy ", "\thoy", "hoy\n", "hoyy", "ho", "manana", W(QStringLiteral("mañanas")),
                                   "ma\xC3\xB1" "ana", "salir!", "colores", "autor autor", "", " ",
                                   std::string("h\0oy", 4), std::string("hoy\0", 4), std::string(100'000, 'a')};
    for (const std::string& line : nothing)
        EXPECT_EQ(ClassifyLine(line).action, Nothing) << line.substr(0, 20);
}

TEST(ClassifyLine, TypedDatesPassParseDayKey) {
    EXPECT_EQ(ClassifyLine("05/03/2024").date, (CalendarDate{2024, 3, 5}));
    for (const char* line : {"05/03/2024", "31/02/2026", "00/00/0000"}) EXPECT_EQ(ClassifyLine(line).action, ShowDate) << line;
    for (const char* line : {"5/12/2026", "05-12-2026", "32/01/2024", "05/13/2024", " 05/12/2026"})
        EXPECT_EQ(ClassifyLine(line).action, Nothing) << line;
}

TEST(ClassifyLine, SeparatorCountsAndAppointmentDates) {
    const LineAction byCount[] = {ShowDate, BadEntry, BadEntry, BadEntry, Append, BadEntry, BadEntry};
    for (int count = 0; count <= 6; ++count) {
        std::string line = "05/12/2026";
        for (int i = 0; i < count; ++i) line += "|f" + std::to_string(i);
        EXPECT_EQ(ClassifyLine(line).action, byCount[count]) << line;
        EXPECT_EQ(ClassifyLine(std::string(count, '|')).action, count == 0 ? Nothing : BadEntry) << count;
    }
    std::string longBad(100'000, 'a');
    longBad[50'000] = '|';
    // Four "|" but no DayKey before the first: refused, nothing handed on.
    const std::string refused[] = {"hola|", "|hoy", "col|or", longBad, "05/12/2026 |09:30|600|Ana|x", "5/12/2026|09:30|600|Ana|x",
                                   "../x|09:30|600|Ana|x", "05/12/26|a|b|c|d", "hoy|a|b|c|d"};
    for (const std::string& line : refused) {
        EXPECT_EQ(ClassifyLine(line).action, BadEntry) << line.substr(0, 30);
        EXPECT_EQ(ClassifyLine(line).fields, Fields{}) << line.substr(0, 30);
    }
}

TEST(ClassifyLine, AppointmentFieldsAreKeptExactlyAsTyped) {
    const std::string longSubject(100'000, 'x');
    const std::pair<std::string, Fields> lines[] = {
        {W(QStringLiteral("05/12/2026|09:30|600111222|Ana|Revisión")), {"05/12/2026", "09:30", "600111222", "Ana", "Revisi\xF3n"}},
        {"05/12/2026| 9:30 ||  Ana Ruiz | ", {"05/12/2026", " 9:30 ", "", "  Ana Ruiz ", " "}},
        {"01/01/2027||||", {"01/01/2027", "", "", "", ""}},
        {"05/12/2026|\t|\r\n|\x7F|\x01", {"05/12/2026", "\t", "\r\n", "\x7F", "\x01"}},
        {std::string("05/12/2026|a|b|c|\0", 18), {"05/12/2026", "a", "b", "c", std::string(1, '\0')}},
        {"01/01/2027|a|b|c|" + longSubject, {"01/01/2027", "a", "b", "c", longSubject}}};
    for (const auto& [line, fields] : lines) {
        const ClassifiedLine entry = ClassifyLine(line);
        EXPECT_EQ(entry.action, Append) << line.substr(0, 30);
        EXPECT_EQ(entry.fields, fields) << line.substr(0, 30);
    }
}

}  // namespace
}  // namespace quimbaro
