// The console driven by typing into the real window.
#include <QColorDialog>

#include "ui/shell_fixture.h"

namespace quimbaro::testing {
namespace {

TEST_F(ShellTest, DayWordsAndDatesChooseTheDayShown) {
    Store("31/12/2026", "10:00", "Ana");
    Store("30/12/2026", "10:00", "Bea");
    Store("05/12/2026", "10:00", "Carla");
    Store("31/02/2026", "10:00", "Dora");
    Open();
    ASSERT_EQ(Cell(2, 1), "Ana");
    Type("mañana");  // into the next year, whose file is made empty
    EXPECT_TRUE(std::filesystem::is_empty(folder / "2027.log"));
    EXPECT_EQ(Cell(2, 1), "");
    EXPECT_TRUE(Marked(2027, 1, 1, kGold));
    const QImage panel = PanelImage();  // marked in the middle block only
    EXPECT_EQ(CountColour(panel, panel.rect(), kGold), CountColour(panel, {500, 0, 166, 233}, kGold));
    EXPECT_EQ(window->CommandLine().text(), "");
    Type(" hoy");  // ignored
    EXPECT_EQ(Cell(2, 1), "");
    Type("HOY");
    EXPECT_EQ(Cell(2, 1), "Ana");
    for (int i = 0; i < 2; ++i) {  // yesterday counts from today, not from the day shown
        Type("ayer");
        EXPECT_EQ(Cell(2, 1), "Bea");
        EXPECT_TRUE(Marked(2026, 12, 30, kGold));
    }
    BoxCatcher boxes;
    for (const char* line : {"05/12/2026", "31/02/2026", "5/12/2026", "05-12-2026"}) Type(line);
    EXPECT_EQ(Cell(2, 1), "Dora");  // the exact key; the last two lines are no dates
    EXPECT_TRUE(boxes.seen.empty());
    Type("05/12/2026");
    EXPECT_EQ(Cell(2, 1), "Carla");
}

TEST_F(ShellTest, AppointmentLineIsAppendedByteForByteAndNotRedrawn) {
    Store("31/12/2026", "10:00", "Ana");
    Open();
    Type("05/12/2026|09:30|600111222|Ana|Revisión");
    std::string expected(155, '\0');
    expected.replace(0, 10, "05/12/2026").replace(11, 5, "09:30").replace(17, 9, "600111222");
    expected.replace(30, 3, "Ana").replace(80, 8, "Revisi\xF3n");
    const std::string file = ReadFile(folder / "2026.log");
    ASSERT_EQ(file.size(), 310u);
    EXPECT_EQ(file.substr(155), expected);
    EXPECT_EQ(QStringList({Cell(2, 1), Cell(2, 2), window->CommandLine().text()}),
              QStringList({"Ana", "", ""}));  // not redrawn, entry emptied
}

// Each is saved at once and shows from the next day change.
TEST_F(ShellTest, SortAndColourWordsSaveTheIniOrReportThatItWasNotSaved) {
    Store("31/12/2026", "10:00", "Tarde");
    Store("31/12/2026", "08:00", "Pronto");
    Open();
    ASSERT_EQ(Cell(2, 1), "Pronto");
    Type("ascendente");
    EXPECT_EQ(ReadFile(settings.file), "[Colores]\nmean=55295\n\n\n[Horas]\nOrden_Alfabetico=1\n");
    EXPECT_EQ(Cell(2, 1), "Pronto");
    Type("hoy");
    EXPECT_EQ(Cell(2, 1), "Tarde");
    Type("descendente");
    EXPECT_NE(ReadFile(settings.file).find("Orden_Alfabetico=2"), std::string::npos);
    auto chooseBlue = [] {
        QTimer::singleShot(50, [] {
            auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->setCurrentColor(QColor(0, 0, 255));
            dialog->accept();
        });
    };
    chooseBlue();
    Type("color");
    EXPECT_NE(ReadFile(settings.file).find("mean=16711680"), std::string::npos);
    EXPECT_EQ(At(AreaImage(), 6, 4), kGold);
    QRgb fill = 0;
    onFillStep = [&](int step) { fill = step == 100 ? At(Grab(window->CommandLine()), 1159, 20) : fill; };
    Type("hoy");
    EXPECT_EQ(fill, 0x0000FFu);  // the animation takes the new colour at once
    EXPECT_EQ(Cell(2, 1), "Pronto");
    EXPECT_EQ(At(AreaImage(), 6, 4), 0x0000FFu);

    settings.file = folder / "no-such-folder" / kSettingsFileName;
    BoxCatcher boxes;
    Type("ascendente");
    EXPECT_EQ(settings.sortOrder, 1);  // still used for this run
    chooseBlue();
    Type("color");
    ASSERT_EQ(boxes.seen.size(), 2u);
    for (const SeenBox& box : boxes.seen)
        EXPECT_EQ(box.text, "No se pudo guardar la configuración en Configuracion.ini");
}

TEST_F(ShellTest, RefusedAndUnsavedLinesShowABoxAndComeBack) {
    std::filesystem::create_directory(folder / "2030.log");
    Open();
    BoxCatcher boxes;
    // One and five separators, a day no date can show, and a space before the first "|".
    for (const QString line :
         {"a|b", "1|2|3|4|5|6", "5/12/2026|09:30|1|Ana|x", "05/12/2026 |09:30|1|Ana|x"}) {
        Type(line);
        ASSERT_EQ(boxes.seen.size(), 1u) << line.toStdString();
        EXPECT_EQ(boxes.seen[0].text, "No sabe introducir datos ...");
        EXPECT_EQ(boxes.seen[0].frame, kBoxFrame);
        EXPECT_EQ(window->CommandLine().text(), line);
        window->CommandLine().clear();
        boxes.seen.clear();
    }
    EXPECT_EQ(ReadFile(folder / "2026.log"), "");
    Type("hola");  // anything else is dropped silently
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_EQ(window->CommandLine().text(), "");

    boxes.whileOpen = [this] { window->CommandLine().setText("ayer"); };  // typed while the box is open
    Type("a|b");
    EXPECT_EQ(window->CommandLine().text(), "ayer");
    window->CommandLine().clear();
    boxes.whileOpen = nullptr;
    boxes.seen.clear();

    Type("01/01/2030|10:00|1|Ana|x");  // 2030.log is a folder
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "No se pudo guardar la cita: no se pudo abrir el archivo 2030.log: es una carpeta, no un archivo");
    EXPECT_EQ(boxes.seen[0].frame, kBoxFrame);
    EXPECT_EQ(window->CommandLine().text(), "01/01/2030|10:00|1|Ana|x");
}

TEST_F(ShellTest, AuthorCreditStaysUntilTheNextDayAndSalirExits) {
    Open();
    ASSERT_TRUE(Marked(2026, 12, 31, kGold));
    Type("autor");
    EXPECT_EQ(CountColour(PanelImage(), PanelImage().rect(), kGold), 0);
    EXPECT_GT(CountColour(PanelImage(), PanelImage().rect(), 0xFFFFFF), 0);
    Type("hoy");
    EXPECT_TRUE(Marked(2026, 12, 31, kGold));
    EXPECT_TRUE(exitCodes.empty());
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
    onFillStep = [&](int step) {
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
    for (int i = 0; i < 100 && boxes.seen.empty(); ++i) QTest::qWait(10);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_TRUE(boxes.seen[0].text.startsWith("No se pudieron leer las citas del día: "))
        << boxes.seen[0].text.toStdString();
    EXPECT_EQ(boxes.seen[0].frame, kBoxFrame);
    Type("mañana");  // another year's file reads fine
    EXPECT_EQ(boxes.seen.size(), 1u);
    Type("ayer");
    EXPECT_EQ(boxes.seen.size(), 2u);
}

}  // namespace
}  // namespace quimbaro::testing
