// borrar, editar and deshacer typed into the real window.
#include "ui/shell_fixture.h"

namespace quimbaro::testing {
namespace {

constexpr QRgb kEditingBlue = 0x000080;

class RowConsole : public ShellTest {
protected:
    // Ana 08:00, Bea 09:00, Carla 10:00 on today's table, stored out of order.
    void OpenWithThree() {
        Store("31/12/2026", "10:00", "Carla");
        Store("31/12/2026", "08:00", "Ana");
        Store("31/12/2026", "09:00", "Bea");
        settings.sortOrder = 2;
        Open();
    }
    QString Names() { return Cell(2, 1) + "," + Cell(2, 2) + "," + Cell(2, 3); }
    QRgb EntryBase() { return At(Grab(window->CommandLine()), 1150, 10); }
    // Replaces the entry's text as the user would: select all, type, Enter.
    void Retype(const QString& line) {
        window->CommandLine().selectAll();
        Type(line);
    }
};

TEST_F(RowConsole, RowsHoldingAppointmentsAreNumberedAtTheirRightEnd) {
    OpenWithThree();
    const QImage area = AreaImage();
    for (int row = 1; row <= 4; ++row) {  // grey digits inside the last cell's right end
        const QRect end(1154 - 14, 24 * row + 3, 13, 19);
        EXPECT_EQ(Count(area, end, [](QRgb pixel) { return qGray(pixel) < 250; }) > 0, row <= 3) << row;
        EXPECT_EQ(Count(area, end, [](QRgb pixel) { return qGray(pixel) < 100; }), 0) << row;
    }
}

TEST_F(RowConsole, BorrarRemovesTheRowsRecordAndDeshacerBringsItBack) {
    OpenWithThree();
    const std::string stored = ReadText(folder / "2026.log");
    Type("borrar 2");
    EXPECT_EQ(Names(), "Ana,Carla,");
    std::string deleted = stored;
    deleted.replace(2 * 155, 11, 11, '\0');  // Bea was the third record stored
    EXPECT_EQ(ReadText(folder / "2026.log"), deleted);
    Type("mañana");
    Type("DESHACER");  // shows the restored appointment's day
    EXPECT_EQ(Names(), "Ana,Bea,Carla");
    EXPECT_EQ(ReadText(folder / "2026.log"), stored);
}

TEST_F(RowConsole, EditarPutsTheLineInTheEntryAndEnterStoresItInPlaceOfTheOld) {
    OpenWithThree();
    EXPECT_EQ(EntryBase(), 0u);
    Type("editar 1");
    EXPECT_EQ(window->CommandLine().text(), "31/12/2026|08:00|600111222|Ana|Asunto");
    EXPECT_EQ(EntryBase(), kEditingBlue);
    Retype("02/01/2027|12:00|600111222|Ana María|Revisión");  // to another year
    EXPECT_EQ(EntryBase(), 0u);
    EXPECT_EQ(window->CommandLine().text(), "");
    EXPECT_EQ(Names(), "Bea,Carla,");
    EXPECT_EQ(ReadText(folder / "2027.log").substr(30, 9), "Ana Mar\xED" "a");
    Type("deshacer");
    EXPECT_EQ(Names(), "Ana,Bea,Carla");
    Type("02/01/2027");
    EXPECT_EQ(Cell(2, 1), "");
}

TEST_F(RowConsole, AnyOtherCommandOrAnEmptiedEntryCancelsTheEdit) {
    OpenWithThree();
    const std::string stored = ReadText(folder / "2026.log");
    Type("editar 3");
    Retype("hoy");
    EXPECT_EQ(EntryBase(), 0u);
    Type("editar 3");
    window->CommandLine().selectAll();
    QTest::keyClick(&window->CommandLine(), Qt::Key_Backspace);
    EXPECT_EQ(EntryBase(), 0u);
    Type("31/12/2026|10:00|1|Carla|nueva");  // now a new appointment, not an edit
    EXPECT_EQ(ReadText(folder / "2026.log").substr(0, stored.size()), stored);
    // A line that cannot be stored keeps the edit and comes back to be mended.
    BoxCatcher boxes;
    Type("editar 1");
    Retype("31/12/2026|08:00|1|Ana|x|y");
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(EntryBase(), kEditingBlue);
    Retype("31/12/2026|08:30|1|Ana|x");
    EXPECT_EQ(Names(), "Ana,Bea,Carla");
    EXPECT_EQ(Cell(0, 1), "08:30");
}

TEST_F(RowConsole, NumbersNamingNoAppointmentAndChangesByAnotherCopyAreRefused) {
    OpenWithThree();
    BoxCatcher boxes;
    for (const char* line : {"borrar 4", "editar 30", "borrar", "deshacer"}) Type(line);
    ASSERT_EQ(boxes.seen.size(), 4u);
    EXPECT_EQ(boxes.seen[0].text, "La fila 4 está vacía");
    EXPECT_EQ(boxes.seen[1].text, "No hay fila 30: las filas van de 1 a 29");
    EXPECT_EQ(boxes.seen[3].text, "No hay ningún cambio que deshacer");
    EXPECT_EQ(boxes.seen[3].frame, kBoxFrame);
    EXPECT_EQ(window->CommandLine().text(), "");

    Type("editar 2");
    Store("31/12/2026", "07:00", "Dora");  // another copy's changes
    std::string file = ReadText(folder / "2026.log");
    file.replace(2 * 155 + 30, 3, "Eva");
    std::ofstream(folder / "2026.log", std::ios::binary | std::ios::trunc) << file;
    Retype("31/12/2026|09:00|1|Bea|x");
    ASSERT_EQ(boxes.seen.size(), 5u);
    EXPECT_TRUE(boxes.seen[4].text.startsWith("No se pudo guardar la cita: la cita ya no es la que se mostraba"));
    EXPECT_EQ(window->CommandLine().text(), "31/12/2026|09:00|1|Bea|x");  // kept, as a new line now
    EXPECT_EQ(EntryBase(), 0u);
    EXPECT_EQ(Names(), "Dora,Ana,Eva");  // the table shows what the file holds
    EXPECT_EQ(ReadText(folder / "2026.log"), file);
}

}  // namespace
}  // namespace quimbaro::testing
