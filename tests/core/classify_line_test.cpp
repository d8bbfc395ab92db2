#include "command/classify_line.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "text/win1252.h"

namespace quimbaro {

using enum LineAction;
using Fields = std::array<std::string, 5>;
using namespace std::literals;

std::string W(const QString& text) { return ToWin1252(text); }

// Each of the line's tests on both sides of its boundary. Only an Append hands
// fields on.
TEST(ClassifyLine, EveryTestsBoundary) {
    std::string longBad(100'000, 'a');
    longBad[50'000] = '|';
    std::vector<std::pair<std::string, LineAction>> lines = {
        {"", Nothing}, {" ", Nothing}, {" hoy", Nothing}, {"hoy ", Nothing}, {"\thoy", Nothing}, {"hoy\n", Nothing},
        {"hoyy", Nothing}, {"ho", Nothing}, {"manana", Nothing}, {W(QStringLiteral("mañanas")), Nothing},
        {"ma\xC3\xB1" "ana", Nothing}, {"salir!", Nothing}, {"colores", Nothing}, {"autor autor", Nothing},
        {"h\0oy"s, Nothing}, {"hoy\0"s, Nothing}, {std::string(100'000, 'a'), Nothing},
        {"05/03/2024", ShowDate}, {"31/02/2026", ShowDate}, {"00/00/0000", ShowDate}, {"5/12/2026", Nothing},
        {"05-12-2026", Nothing}, {"32/01/2024", Nothing}, {"05/13/2024", Nothing}, {" 05/12/2026", Nothing},
        {"hola|", BadEntry}, {"|hoy", BadEntry}, {"col|or", BadEntry}, {longBad, BadEntry},
        // four "|" but no DayKey before the first
        {"05/12/2026 |09:30|600|Ana|x", BadEntry}, {"5/12/2026|09:30|600|Ana|x", BadEntry},
        {"../x|09:30|600|Ana|x", BadEntry}, {"05/12/26|a|b|c|d", BadEntry}, {"hoy|a|b|c|d", BadEntry},
        {"aviso 0", SetReminder}, {"AVISO 1440", SetReminder}, {"aviso 0010", SetReminder},
        {"aviso 1441", BadReminder}, {"aviso 00010", BadReminder}, {"aviso", BadReminder}, {"aviso ", BadReminder},
        {"aviso  5", BadReminder}, {"aviso 5 ", BadReminder}, {"aviso -1", BadReminder}, {"aviso diez", BadReminder},
        {"avisos", Nothing}, {" aviso 5", Nothing}, {"aviso 5|a|b|c|d", BadEntry},
        {"semana  siguiente", Nothing}, {"semanas", Nothing}, {"semana 2", Nothing}};
    const std::pair<QString, LineAction> words[] = {
        {"salir", Exit}, {"autor", Author}, {"ascendente", Ascending}, {"descendente", Descending},
        {"ayer", Yesterday}, {QStringLiteral("mañana"), Tomorrow}, {"hoy", Today}, {"color", ChooseColour}, {"SINCRONIZAR", Sync},
        {"deshacer", Undo}, {"semana", ShowWeek}, {"semana siguiente", NextWeek}, {"siguiente semana", NextWeek},
        {"semana anterior", PreviousWeek},
        {"imprimir", Print}};
    for (const auto& [word, action] : words)
        for (const QString& typed : {word, word.toUpper(), word.left(1).toUpper() + word.mid(1), word.left(2) + word.mid(2).toUpper()})
            lines.emplace_back(W(typed), action);
    const LineAction bySeparators[] = {ShowDate, BadEntry, BadEntry, BadEntry, Append, BadEntry, BadEntry};
    for (int count = 0; count <= 6; ++count) {
        std::string line = "05/12/2026";
        for (int i = 0; i < count; ++i) line += "|f" + std::to_string(i);
        lines.emplace_back(line, bySeparators[count]);
        lines.emplace_back(std::string(count, '|'), count == 0 ? Nothing : BadEntry);
    }
    for (const auto& [line, action] : lines) {
        const ClassifiedLine result = ClassifyLine(line);
        EXPECT_EQ(result.action, action) << line.substr(0, 30);
        if (action != Append) {
            EXPECT_TRUE(SameBytes(result.appointment, Appointment{})) << line.substr(0, 30);
        }
    }
    EXPECT_EQ(ClassifyLine("05/03/2024").date, (CalendarDate{2024, 3, 5}));
    EXPECT_EQ(ClassifyLine("Aviso 45").minutes, 45);
}

// The word alone, or one space and up to nine digits; 0 stands for a missing number.
TEST(ClassifyLine, RowWordsCarryTheirNumber) {
    const std::tuple<std::string, LineAction, int> lines[] = {
        {"borrar 3", Delete, 3}, {"BORRAR 29", Delete, 29}, {"eDITAR 007", Edit, 7}, {"borrar 123456789", Delete, 123456789},
        {"borrar", Delete, 0}, {"editar ", Edit, 0}, {"borrar  3", Delete, 0}, {"borrar 3 ", Delete, 0}, {"borrar -3", Delete, 0},
        {"borrar 1234567890", Delete, 0}, {"editar 3|a|b|c|d", Edit, 0}, {" borrar 3", Nothing, 0}, {"borrar3", Nothing, 0},
        {"editar\t3", Nothing, 0}, {"deshacer 1", Nothing, 0}};
    for (const auto& [line, action, row] : lines) {
        EXPECT_EQ(ClassifyLine(line).action, action) << line;
        EXPECT_EQ(ClassifyLine(line).row, row) << line;
    }
}

TEST(ClassifyLine, AppointmentFieldsAreThePiecesAsTyped) {
    const std::string longSubject(100'000, 'x');
    const std::pair<std::string, Fields> lines[] = {
        {W(QStringLiteral("05/12/2026|09:30|600111222|Ana|Revisión")), {"05/12/2026", "09:30", "600111222", "Ana", "Revisi\xF3n"}},
        {"05/12/2026| 9:30 ||  Ana Ruiz | ", {"05/12/2026", " 9:30 ", "", "  Ana Ruiz ", " "}},
        {"01/01/2027||||", {"01/01/2027", "", "", "", ""}},
        {"05/12/2026|\t|\r\n|\x7F|\x01", {"05/12/2026", "\t", "\r\n", "\x7F", "\x01"}},
        {"05/12/2026|a|b|c|\0"s, {"05/12/2026", "a", "b", "c", "\0"s}},
        {"01/01/2027|a|b|c|" + longSubject, {"01/01/2027", "a", "b", "c", longSubject}}};
    for (const auto& [line, fields] : lines) {
        const ClassifiedLine entry = ClassifyLine(line);
        EXPECT_EQ(entry.action, Append) << line.substr(0, 30);
        const auto& f = fields;
        EXPECT_TRUE(SameBytes(entry.appointment, MakeAppointment(f[0], f[1], f[2], f[3], f[4]))) << line.substr(0, 30);
    }
}

}  // namespace quimbaro
