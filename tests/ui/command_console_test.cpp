// The console driven by typing into the real window: day words, appointment
// lines, settings words, then the row commands and the search.
#include <QColorDialog>
#include <QTextStream>

#include "cli_main.h"
#include "ui/shell_fixture.h"

namespace quimbaro::testing {
namespace {

TEST_F(ShellTest, DayWordsAndDatesChooseTheDayShown) {
    Store({"31/12/2026 10:00 Ana", "30/12/2026 10:00 Bea", "05/12/2026 10:00 Carla", "31/02/2026 10:00 Dora"});
    Open();
    ASSERT_EQ(Cell(2, 1), "Ana");
    Type("mañana");  // into the next year, whose file is made empty
    EXPECT_TRUE(std::filesystem::is_empty(folder / "2027.log"));
    EXPECT_EQ(Cell(2, 1), "");
    EXPECT_TRUE(Marked(2027, 1, 1, kGold));
    Type("HOY");
    EXPECT_EQ(Cell(2, 1), "Ana");
    Type("ayer");
    Type("ayer");  // yesterday counts from today, not from the day shown
    EXPECT_EQ(Cell(2, 1), "Bea");
    EXPECT_TRUE(Marked(2026, 12, 30, kGold));
    BoxCatcher boxes;
    Type("05/12/2026");
    Type("31/02/2026");
    EXPECT_EQ(Cell(2, 1), "Dora");  // the exact key
    EXPECT_TRUE(boxes.seen.empty());
    Type("05/12/2026");
    EXPECT_EQ(Cell(2, 1), "Carla");
}

// Each is saved at once and shows from the next day change; the command line
// lists in the saved order too.
TEST_F(ShellTest, SortAndColourWordsSaveTheIniOrReportThatItWasNotSaved) {
    Store({"31/12/2026 10:00 Tarde", "31/12/2026 08:00 Pronto"});
    Open();
    ASSERT_EQ(Cell(2, 1), "Pronto");
    Type("ascendente");
    EXPECT_EQ(ReadFile(settings.file), "[Colores]\nmean=55295\n\n\n[Horas]\nOrden_Alfabetico=1\n");
    EXPECT_EQ(Cell(2, 1), "Pronto");
    Type("hoy");
    EXPECT_EQ(Cell(2, 1), "Tarde");
    QByteArray out, err;
    QTextStream outStream(&out), errStream(&err);
    DataFolderFacts facts;
    facts.option = folder;
    EXPECT_EQ(cli::RunCli({"quimbaro", "list"}, facts, [this] { return today; }, outStream, errStream), 0);
    outStream.flush();
    EXPECT_LT(out.indexOf("Tarde"), out.indexOf("Pronto")) << out.toStdString();
    Type("descendente");
    EXPECT_NE(ReadFile(settings.file).find("Orden_Alfabetico=2"), std::string::npos);
    auto chooseBlue = [this] {
        QTimer::singleShot(50, [] {
            auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->setCurrentColor(QColor(0, 0, 255));
            dialog->accept();
        });
        Type("color");
    };
    chooseBlue();
    EXPECT_NE(ReadFile(settings.file).find("mean=16711680"), std::string::npos);
    EXPECT_EQ(At(AreaImage(), 6, 4), kGold);
    QRgb fill = 0;
    context->afterFillStep = [&](int step) { fill = step == 100 ? At(Grab(window->CommandLine()), 1159, 20) : fill; };
    Type("hoy");
    EXPECT_EQ(fill, 0x0000FFu);  // the animation takes the new colour at once
    EXPECT_EQ(Cell(2, 1), "Pronto");
    EXPECT_EQ(At(AreaImage(), 6, 4), 0x0000FFu);

    settings.file = folder / "no-such-folder" / kSettingsFileName;
    BoxCatcher boxes;
    Type("ascendente");
    EXPECT_EQ(settings.sortOrder, 1);  // still used for this run
    chooseBlue();
    EXPECT_EQ(boxes.seen, QStringList(2, "No se pudo guardar la configuración en Configuracion.ini"));
}

TEST_F(ShellTest, RefusedAndUnsavedLinesShowABoxAndComeBack) {
    std::filesystem::create_directory(folder / "2030.log");
    Open();
    BoxCatcher boxes;
    boxes.whileOpen = [](QMessageBox& box) {  // modeless, so the window stays usable
        EXPECT_EQ(QString("%1 %2 %3 %4").arg(box.windowTitle()).arg(box.buttons().size()).arg(box.icon()).arg(
                      box.isModal() || box.parentWidget() || QApplication::activeModalWidget()), "Programador 1 0 0");
    };
    // One and five separators, a day no date can show, a space before the first "|"; 2030.log is a folder.
    for (const QString line : {"a|b", "1|2|3|4|5|6", "5/12/2026|09:30|1|Ana|x", "05/12/2026 |09:30|1|Ana|x",
                               "01/01/2030|10:00|1|Ana|x"}) {
        Type(line);
        EXPECT_EQ(boxes.seen, QStringList(line.startsWith("01/01/2030") ? "No se pudo guardar la cita: no se pudo "
                                          "abrir el archivo 2030.log: es una carpeta, no un archivo"
                                                                       : "No sabe introducir datos ..."));
        EXPECT_EQ(window->CommandLine().text(), line);
        window->CommandLine().clear();
        boxes.seen.clear();
    }
    EXPECT_EQ(ReadFile(folder / "2026.log"), "");
    Type("hola");  // anything else is dropped silently
    EXPECT_TRUE(boxes.seen.empty());
    Type("31/12/2026|09:30|600111222|Ana María|Revisión");  // stored as typed, shown from the next day change
    const std::string file = ReadFile(folder / "2026.log");
    EXPECT_EQ(file.substr(0, 17) + file.substr(30, 9) + file.substr(80, 8),
              std::string("31/12/2026\0" "09:30\0" "Ana Mar\xED" "aRevisi\xF3n", 34));
    EXPECT_EQ(QStringList({Cell(2, 1), window->CommandLine().text()}), QStringList({"", ""}));
    boxes.whileOpen = [this](QMessageBox&) { window->CommandLine().setText("ayer"); };  // typed while it is open
    Type("a|b");
    EXPECT_EQ(window->CommandLine().text(), "ayer");
}

TEST_F(ShellTest, AuthorCreditStaysUntilTheNextDaySalirExitsAndExportarSaysWhere) {
    Store({"05/12/2026 09:30 Ana", "31/02/2026 10:00 no day"});
    Open();
    ASSERT_TRUE(Marked(2026, 12, 31, kGold));
    Type("autor");
    EXPECT_EQ(CountColour(PanelImage(), PanelImage().rect(), kGold), 0);
    EXPECT_GT(CountColour(PanelImage(), PanelImage().rect(), 0xFFFFFF), 0);
    Type("hoy");
    EXPECT_TRUE(Marked(2026, 12, 31, kGold));

    BoxCatcher boxes;  // the calendar file's own tests read it back
    Type("EXPORTAR");
    EXPECT_EQ(boxes.seen, QStringList(QString::fromStdString("Se exportaron 1 citas a " + (folder / "quimbaro.ics").string() +
                                                             ". Se omitieron 1 registros cuya fecha no es un día "
                                                             "válido de su archivo.")));
    ASSERT_TRUE(exitCodes.empty());
    Type("Salir");
    EXPECT_EQ(exitCodes, std::vector<int>{0});
}

// Every step fills the entry from its left edge to its share of the width, for
// a short line and one far longer than the entry shows; a colour that is no
// colour fills with the default. Rows 19 and 20 lie below the text.
TEST_F(ShellTest, FillAnimationCoversTheEntryStepByStepWhateverTheLineLength) {
    std::ofstream(settings.file) << "[Colores]\nmean=-1\n";
    Open();
    std::vector<int> filled;
    int blackText = 0;
    context->afterFillStep = [&](int step) {
        const QImage entry = Grab(window->CommandLine()), band = entry.copy(0, 19, 1160, 2);
        blackText = step == 100 ? CountColour(entry, {2, 1, 40, 16}, 0) : blackText;
        const int gold = CountColour(band, band.rect(), kGold);
        const bool fromTheLeft = CountColour(band, {0, 0, gold / 2, 2}, kGold) == gold;
        filled.push_back(fromTheLeft && CountOther(band, band.rect(), 0) == gold ? gold / 2 : -1);
    };
    Type("");
    EXPECT_TRUE(filled.empty());
    for (const QString& line : {QString("hoy"), QString(5000, 'a')}) {
        filled.clear();
        window->CommandLine().setText(line);
        QTest::keyClick(&window->CommandLine(), Qt::Key_Return);
        ASSERT_EQ(filled.size(), 100u);
        for (int step = 1; step <= 100; ++step) EXPECT_EQ(filled[step - 1], std::lround(step * 11.6)) << step;
        EXPECT_GT(blackText, 0);  // the text stays readable over the fill
        EXPECT_EQ(window->CommandLine().text(), "");
        EXPECT_EQ(CountColour(Grab(window->CommandLine()), {0, 0, 1160, 21}, kGold), 0);  // the fill ends
    }
}

TEST_F(ShellTest, UnreadableDayIsReportedNotShownEmpty) {
    std::filesystem::create_directory(folder / "2026.log");
    BoxCatcher boxes;
    Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.seen.size() == 1; }, 60000));
    EXPECT_TRUE(boxes.seen[0].startsWith("No se pudieron leer las citas del día: ")) << boxes.seen[0].toStdString();
    Type("mañana");  // another year's file reads fine
    EXPECT_EQ(boxes.seen.size(), 1u);
    Type("ayer");
    EXPECT_EQ(boxes.seen.size(), 2u);
}

// borrar, editar and deshacer.

constexpr QRgb kEditingBlue = 0x000080;

class RowConsole : public ShellTest {
protected:
    // Ana 08:00, Bea 09:00, Carla 10:00 on today's table, stored out of order.
    void SetUp() override {
        ShellTest::SetUp();
        Store({"31/12/2026 10:00 Carla", "31/12/2026 08:00 Ana", "31/12/2026 09:00 Bea"});
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
    BoxCatcher boxes;  // an unexpected box fails the test instead of waiting
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

TEST_F(RowConsole, EditarPutsTheLineInABlueEntryThatEnterStoresInPlaceOfTheOld) {
    Type("editar 3");
    Retype("hoy");  // another command cancels
    Type("editar 3");
    window->CommandLine().selectAll();
    QTest::keyClick(&window->CommandLine(), Qt::Key_Backspace);  // so does an emptied entry
    EXPECT_EQ(EntryBase(), 0u);
    Type("31/12/2026|10:00|1|Carla|nueva");  // now a new appointment
    EXPECT_EQ(ReadFile(folder / "2026.log").substr(0, stored.size()), stored);
    Type("editar 1");
    EXPECT_EQ(window->CommandLine().text(), "31/12/2026|08:00|600111222|Ana|Asunto");
    EXPECT_EQ(EntryBase(), kEditingBlue);
    Retype("31/12/2026|08:00|1|Ana|x|y");  // a bad line keeps the edit
    ASSERT_EQ(boxes.seen.size(), 1);
    EXPECT_EQ(EntryBase(), kEditingBlue);
    Retype("02/01/2027|12:00|600111222|Ana María|Revisión");  // to another year
    EXPECT_EQ(EntryBase(), 0u);
    EXPECT_EQ(Names(), "Bea,Carla,Carla");
    EXPECT_EQ(ReadFile(folder / "2027.log").substr(30, 9), "Ana Mar\xED" "a");
    Type("deshacer");
    EXPECT_EQ(Names(), "Ana,Bea,Carla");
}

TEST_F(RowConsole, NumbersNamingNoAppointmentAndChangesByAnotherCopyAreRefused) {
    for (const char* line : {"borrar 4", "editar 30", "deshacer"}) Type(line);
    const QStringList texts = {"La fila 4 está vacía", "No hay fila 30: las filas van de 1 a 29",
                               "No hay ningún cambio que deshacer"};
    EXPECT_EQ(boxes.seen, texts);

    Type("editar 2");
    Store("31/12/2026", "07:00", "Dora");  // another copy's changes
    std::string file = ReadFile(folder / "2026.log").replace(2 * 155 + 30, 3, "Eva");
    std::ofstream(folder / "2026.log", std::ios::binary | std::ios::trunc) << file;
    Retype("31/12/2026|09:00|1|Bea|x");
    ASSERT_EQ(boxes.seen.size(), 4u);
    EXPECT_TRUE(boxes.seen[3].startsWith("No se pudo guardar la cita: la cita ya no es la que se mostraba"));
    EXPECT_EQ(window->CommandLine().text(), "31/12/2026|09:00|1|Bea|x");  // kept, as a new line now
    EXPECT_EQ(EntryBase(), 0u);
    EXPECT_EQ(Names(), "Dora,Ana,Eva");  // the table shows what the file holds
    EXPECT_EQ(ReadFile(folder / "2026.log"), file);
}

// buscar, siguiente and anterior.

constexpr QRgb kMatchFill = 0x0050A0;  // Rgb(0, 80, 160)
constexpr QRgb kRowFill = 0xFFFF96;    // Rgb(255, 255, 150)

class SearchTest : public ShellTest {
protected:
    // The day's box is exactly x - 2 .. x + 16 by y .. y + 14 of its cell: all match fill or text, black around.
    bool BoxedExactly(int k, int year, int month, int day) {
        const QImage panel = PanelImage();
        const QRect box = DayCell(year, month, day, k).adjusted(-2, 0, -1, -1);
        return CountColour(panel, box, 0) == 0 && CountOther(panel, box.adjusted(-1, -1, 1, 1), 0) == 19 * 15;
    }
    int MatchPixels() { return CountColour(PanelImage(), PanelImage().rect(), kMatchFill); }
    QRgb RowFill(int row) { return At(AreaImage(), 540, 30 + 24 * (row - 1)); }  // the name cell, right of any text
};

TEST_F(SearchTest, BuscarShowsMarksAndSteppingStopsAtBothEnds) {
    Store({"20/06/2025 10:00 PEÑA", "10/12/2026 09:00 Otro", "10/12/2026 12:00 Peña López",
           "05/01/2027 08:00 Jose Peña", "06/01/2027 08:00 Ana", "03/12/2026 10:00 JOSÉ"});
    Store("02/12/2026", "10:00", "Bea", "612345678");
    Open();
    BoxCatcher boxes;
    Type("buscar pena");  // today is 31/12/2026: the first match from today on
    EXPECT_EQ(Cell(2, 1), "Jose Peña");
    EXPECT_EQ(RowFill(1), kRowFill);
    EXPECT_TRUE(BoxedExactly(0, 2027, 1, 5));
    EXPECT_TRUE(BoxedExactly(-1, 2026, 12, 10));
    EXPECT_EQ(CountColour(PanelImage(), DayCell(2027, 1, 6), kMatchFill), 0);
    EXPECT_TRUE(Marked(2027, 1, 5, kGold));  // the shown day keeps its own mark on the box
    Type("siguiente");
    EXPECT_EQ(Cell(2, 1), "Jose Peña");
    Type("anterior");
    EXPECT_EQ(QStringList({Cell(2, 1), Cell(2, 2)}), QStringList({"Otro", "Peña López"}));
    EXPECT_EQ(QList<QRgb>({RowFill(1), RowFill(2)}), QList<QRgb>({0xFFFFFF, kRowFill}));
    Type("anterior");  // into the other year's file
    Type("anterior");
    EXPECT_EQ(Cell(2, 1), "PEÑA");
    EXPECT_EQ(boxes.seen, QStringList({"No hay más citas encontradas después de este día.",
                                       "No hay citas encontradas antes de este día."}));
    Type("hoy");  // a day change keeps the marks
    EXPECT_TRUE(BoxedExactly(1, 2027, 1, 5));
    Type("buscar");
    EXPECT_EQ(MatchPixels(), 0);
    Type("siguiente");
    EXPECT_EQ(boxes.seen.last(), "No hay ninguna búsqueda: escriba buscar y el texto.");

    Type("BUSCAR 612 34");  // phone digits; only earlier matches: the last of them
    EXPECT_EQ(Cell(2, 1), "Bea");
    Type("buscar jose");
    Type("04/12/2026|11:00|1|Josefa|");  // stored while the search is in force
    Type("anterior");
    EXPECT_EQ(Cell(2, 1), "Josefa");
    Type("anterior");
    EXPECT_EQ(Cell(2, 1), "JOSÉ");
    EXPECT_EQ(RowFill(1), kRowFill);
    Type("buscar zzz");
    EXPECT_EQ(Cell(2, 1), "JOSÉ");  // the day on display stays, its marks go
    EXPECT_EQ(MatchPixels(), 0);
    EXPECT_EQ(boxes.seen.mid(3), QStringList{"Ninguna cita contiene: zzz"});
}

}  // namespace
}  // namespace quimbaro::testing
