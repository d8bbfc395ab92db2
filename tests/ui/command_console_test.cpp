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
    EXPECT_TRUE(std::filesystem::exists(folder / "2027.log"));
    EXPECT_EQ(ReadText(folder / "2027.log"), "");
    EXPECT_EQ(Cell(2, 1), "");
    EXPECT_TRUE(Marked(2027, 1, 1, kGold));
    const QImage panel = PanelImage();  // marked in the middle block only
    EXPECT_EQ(CountColour(panel, panel.rect(), kGold), CountColour(panel, {500, 0, 166, 233}, kGold));
    EXPECT_EQ(window->CommandLine().text(), "");
    for (const char* word : {"hoy", "HOY", "Hoy"}) {
        Type(" hoy");  // ignored
        EXPECT_EQ(Cell(2, 1), "");
        Type(word);
        EXPECT_EQ(Cell(2, 1), "Ana") << word;
        Type("MAÑANA");
        EXPECT_EQ(Cell(2, 1), "");
    }
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
    const std::string file = ReadText(folder / "2026.log");
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
    EXPECT_EQ(ReadText(settings.file), "[Colores]\nmean=55295\n\n\n[Horas]\nOrden_Alfabetico=1\n");
    EXPECT_EQ(Cell(2, 1), "Pronto");
    Type("hoy");
    EXPECT_EQ(Cell(2, 1), "Tarde");
    Type("descendente");
    EXPECT_NE(ReadText(settings.file).find("Orden_Alfabetico=2"), std::string::npos);
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
    EXPECT_NE(ReadText(settings.file).find("mean=16711680"), std::string::npos);
    EXPECT_EQ(At(AreaImage(), 6, 4), kGold);
    Type("hoy");
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
    EXPECT_EQ(ReadText(folder / "2026.log"), "");
    Type("hola");  // anything else is dropped silently
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_EQ(window->CommandLine().text(), "");

    Type("01/01/2030|10:00|1|Ana|x");  // 2030.log is a folder
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_TRUE(boxes.seen[0].text.startsWith("No se pudo guardar la cita: "));
    EXPECT_GT(boxes.seen[0].text.size(), 30) << boxes.seen[0].text.toStdString();  // and why
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

TEST_F(ShellTest, FillAnimationCoversTheEntryStepByStep) {
    Open();
    std::vector<int> steps;
    QImage half, full;
    onFillStep = [&](int step) {
        steps.push_back(step);
        if (step == 50) half = Grab(window->CommandLine());
        if (step == 100) full = Grab(window->CommandLine());
    };
    Type("");
    EXPECT_TRUE(steps.empty());
    Type("hoy");
    ASSERT_EQ(steps.size(), 100u);
    EXPECT_EQ(steps.front(), 1);
    EXPECT_EQ(At(half, 579, 19), kGold);
    EXPECT_EQ(At(half, 580, 19), 0u);
    EXPECT_EQ(CountOther(full, full.rect(), kGold), CountOther(full, {2, 1, 40, 16}, kGold));
    EXPECT_GT(CountColour(full, {2, 1, 40, 16}, 0), 0);
    EXPECT_EQ(At(Grab(window->CommandLine()), 1159, 20), 0u);
}

// A hand-edited colour that is no colour fills with the default, as the header does.
TEST_F(ShellTest, FillWithNoColourUsesTheDefault) {
    std::ofstream(settings.file) << "[Colores]\nmean=-1\n";
    Open();
    QImage full;
    onFillStep = [&](int step) {
        if (step == 100) full = Grab(window->CommandLine());
    };
    Type("hoy");
    EXPECT_EQ(At(full, 1100, 19), kGold);
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
