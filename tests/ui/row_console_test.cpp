// borrar, editar and deshacer typed into the real window.
#include "ui/shell_fixture.h"

namespace quimbaro::testing {
namespace {

constexpr QRgb kEditingBlue = 0x000080;

class RowConsole : public ShellTest {
protected:
    // Ana 08:00, Bea 09:00, Carla 10:00 on today's table, stored out of order.
    void SetUp() override {
        ShellTest::SetUp();
        for (const char* line : {"10:00 Carla", "08:00 Ana", "09:00 Bea"}) {
            const std::string time(line, 5);
            Store("31/12/2026", time.c_str(), line + 6);
        }
        Open();
        stored = ReadFile(folder / "2026.log");
    }
    QString Names() { return Cell(2, 1) + "," + Cell(2, 2) + "," + Cell(2, 3); }
    QRgb EntryBase() { return At(Grab(window->CommandLine()), 1150, 10); }
    void Retype(const QString& line) {  // over the whole entry, as the user would
        window->CommandLine().selectAll();
        Type(line);
    }
    std::string stored;
};

TEST_F(RowConsole, NumberedRowsAreDeletedByNumberAndDeshacerBringsThemBack) {
    const QImage area = AreaImage();
    for (int row = 1; row <= 4; ++row) {  // grey digits inside the last cell's right end
        const QRect end(1140, 24 * row + 3, 13, 19);
        EXPECT_EQ(Count(area, end, [](QRgb pixel) { return qGray(pixel) < 250; }) > 0, row <= 3) << row;
        EXPECT_EQ(Count(area, end, [](QRgb pixel) { return qGray(pixel) < 100; }), 0) << row;
    }
    Type("borrar 2");
    EXPECT_EQ(Names(), "Ana,Carla,");
    EXPECT_EQ(ReadFile(folder / "2026.log"), std::string(stored).replace(2 * 155, 11, 11, '\0'));  // Bea's date
    Type("mañana");
    Type("DESHACER");  // shows the restored appointment's day
    EXPECT_EQ(Names(), "Ana,Bea,Carla");
    EXPECT_EQ(ReadFile(folder / "2026.log"), stored);
}

TEST_F(RowConsole, EditarPutsTheLineInABlueEntryAndEnterStoresItInPlaceOfTheOld) {
    EXPECT_EQ(EntryBase(), 0u);
    Type("editar 1");
    EXPECT_EQ(window->CommandLine().text(), "31/12/2026|08:00|600111222|Ana|Asunto");
    EXPECT_EQ(EntryBase(), kEditingBlue);
    Retype("02/01/2027|12:00|600111222|Ana María|Revisión");  // to another year
    EXPECT_EQ(EntryBase(), 0u);
    EXPECT_EQ(Names(), "Bea,Carla,");
    EXPECT_EQ(ReadFile(folder / "2027.log").substr(30, 9), "Ana Mar\xED" "a");
    Type("deshacer");
    EXPECT_EQ(Names(), "Ana,Bea,Carla");
}

TEST_F(RowConsole, AnotherCommandOrAnEmptiedEntryCancelsAndABadLineKeepsTheEdit) {
    Type("editar 3");
    Retype("hoy");
    Type("editar 3");
    window->CommandLine().selectAll();
    QTest::keyClick(&window->CommandLine(), Qt::Key_Backspace);
    EXPECT_EQ(EntryBase(), 0u);
    Type("31/12/2026|10:00|1|Carla|nueva");  // now a new appointment
    EXPECT_EQ(ReadFile(folder / "2026.log").substr(0, stored.size()), stored);
    BoxCatcher boxes;
    Type("editar 1");
    Retype("31/12/2026|08:00|1|Ana|x|y");
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(EntryBase(), kEditingBlue);
    Retype("31/12/2026|08:30|1|Ana|x");
    EXPECT_EQ(QStringList({Cell(0, 1), Cell(2, 1)}), QStringList({"08:30", "Ana"}));
}

TEST_F(RowConsole, NumbersNamingNoAppointmentAndChangesByAnotherCopyAreRefused) {
    BoxCatcher boxes;
    for (const char* line : {"borrar 4", "editar 30", "deshacer"}) Type(line);
    const QStringList texts = {"La fila 4 está vacía", "No hay fila 30: las filas van de 1 a 29",
                               "No hay ningún cambio que deshacer"};
    ASSERT_EQ(boxes.seen.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(boxes.seen[i].text + " / " + boxes.seen[i].frame, texts[i] + " / " + kBoxFrame);

    Type("editar 2");
    Store("31/12/2026", "07:00", "Dora");  // another copy's changes
    std::string file = ReadFile(folder / "2026.log").replace(2 * 155 + 30, 3, "Eva");
    std::ofstream(folder / "2026.log", std::ios::binary | std::ios::trunc) << file;
    Retype("31/12/2026|09:00|1|Bea|x");
    ASSERT_EQ(boxes.seen.size(), 4u);
    EXPECT_TRUE(boxes.seen[3].text.startsWith("No se pudo guardar la cita: la cita ya no es la que se mostraba"));
    EXPECT_EQ(window->CommandLine().text(), "31/12/2026|09:00|1|Bea|x");  // kept, as a new line now
    EXPECT_EQ(EntryBase(), 0u);
    EXPECT_EQ(Names(), "Dora,Ana,Eva");  // the table shows what the file holds
    EXPECT_EQ(ReadFile(folder / "2026.log"), file);
}

}  // namespace
}  // namespace quimbaro::testing
