// "borrar N" and "editar N": which lines name a row, and what the user is
// told when the row holds no appointment.
#include "command/row_commands.h"

#include <gtest/gtest.h>

#include "command/classify_line.h"
#include "text/win1252.h"

namespace quimbaro {
namespace {

using enum LineAction;

TEST(RowCommands, TheWordAloneOrOneSpaceAndDigitsWithAnyCapitals) {
    struct Case { std::string line; LineAction action; int row = 0; };
    const Case cases[] = {
        {"borrar 3", Delete, 3}, {"BORRAR 29", Delete, 29}, {"Editar 1", Edit, 1}, {"eDITAR 007", Edit, 7},
        {"borrar 123456789", Delete, 123456789},
        // The word with no usable number: the window asks for one.
        {"borrar", Delete, 0}, {"editar ", Edit, 0}, {"borrar  3", Delete, 0}, {"borrar 3 ", Delete, 0},
        {"borrar -3", Delete, 0}, {"editar tres", Edit, 0}, {"borrar 1234567890", Delete, 0},
        {"borrar 3|a|b|c|d", Delete, 0},
        // Not the word.
        {" borrar 3", Nothing}, {"borrar3", Nothing}, {"borrarla 3", Nothing}, {"editar\t3", Nothing},
        {"deshacer 1", Nothing}};
    for (const Case& c : cases) {
        const ClassifiedLine line = ClassifyLine(c.line);
        EXPECT_EQ(line.action, c.action) << c.line;
        EXPECT_EQ(line.row, c.row) << c.line;
    }
}

TEST(RowCommands, OnlyARowShowingAnAppointmentOfALoadedDayPasses) {
    DayList day;
    day.kept = 40;  // more than the table shows
    EXPECT_EQ(RowsShown(day), 29);
    day.kept = 3;
    EXPECT_EQ(RowsShown(day), 3);
    for (int row = 1; row <= 3; ++row) EXPECT_EQ(RowProblem(row, 3, true), "");
    EXPECT_EQ(RowProblem(4, 3, true), "La fila 4 está vacía");
    EXPECT_EQ(RowProblem(30, 3, true), "No hay fila 30: las filas van de 1 a 29");
    EXPECT_NE(RowProblem(0, 3, true).find("número de fila"), std::string::npos);
    EXPECT_NE(RowProblem(1, 3, false).find("ningún día"), std::string::npos);
}

// The line the entry receives is the record's own bytes, so that storing it
// unchanged writes the same record.
TEST(RowCommands, TheEditLineClassifiesBackToTheSameRecord) {
    const Appointment record = MakeAppointment("05/12/2026", "09:30", "600111222", "Pe\xF1" "a", "Revisi\xF3n");
    const std::string line = AppointmentLineOf(record);
    EXPECT_EQ(line, "05/12/2026|09:30|600111222|Pe\xF1" "a|Revisi\xF3n");
    const ClassifiedLine back = ClassifyLine(line);
    ASSERT_EQ(back.action, Append);
    const auto& f = back.fields;
    EXPECT_TRUE(SameBytes(MakeAppointment(f[0], f[1], f[2], f[3], f[4]), record));
}

}  // namespace
}  // namespace quimbaro
