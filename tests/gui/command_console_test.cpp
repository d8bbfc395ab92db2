#include "gui/shell_fixture.h"

namespace quimbaro::testing {
namespace {

TEST_F(ShellTest, TomorrowOnNewYearsEveShowsTheNextYear) {
    Store("31/12/2026", "10:00", "Ana");
    Open();
    ASSERT_EQ(Cell(2, 1), "Ana");
    ASSERT_FALSE(std::filesystem::exists(folder / "2027.log"));
    Type("mañana");
    EXPECT_TRUE(std::filesystem::exists(folder / "2027.log"));
    EXPECT_EQ(std::filesystem::file_size(folder / "2027.log"), 0u);
    EXPECT_EQ(Cell(2, 1), "");
    const QImage panel = PanelImage();
    EXPECT_TRUE(RegionHas(panel, MiddleBlockDay(2027, 1, 1), kGold));
    EXPECT_FALSE(RegionHas(panel, QRect(0, 0, 500, 233), kGold));
    EXPECT_FALSE(RegionHas(panel, QRect(666, 0, 494, 233), kGold));
    EXPECT_EQ(window->CommandLine().text(), "");
}

TEST_F(ShellTest, TodayWordsInAnyCaseButWithoutSpaces) {
    Store("31/12/2026", "10:00", "Ana");
    Open();
    for (const char* word : {"hoy", "HOY", "Hoy"}) {
        Type("MAÑANA");
        ASSERT_EQ(Cell(2, 1), "");
        Type(" hoy");
        EXPECT_EQ(Cell(2, 1), "");
        EXPECT_EQ(window->CommandLine().text(), "");
        Type(word);
        EXPECT_EQ(Cell(2, 1), "Ana") << word;
    }
}

TEST_F(ShellTest, YesterdayTwiceShowsYesterdayBothTimes) {
    Store("30/12/2026", "10:00", "Bea");
    Open();
    for (int i = 0; i < 2; ++i) {
        Type("ayer");
        EXPECT_EQ(Cell(2, 1), "Bea");
        EXPECT_TRUE(RegionHas(PanelImage(), MiddleBlockDay(2026, 12, 30), kGold));
    }
}

TEST_F(ShellTest, TypedDatesLoadTheirExactKey) {
    Store("05/12/2026", "10:00", "Carla");
    Store("31/02/2026", "10:00", "Dora");
    Open();
    Type("05/12/2026");
    EXPECT_EQ(Cell(2, 1), "Carla");
    Type("31/02/2026");
    EXPECT_EQ(Cell(2, 1), "Dora");
    BoxCatcher boxes;
    Type("5/12/2026");
    Type("05-12-2026");
    EXPECT_EQ(Cell(2, 1), "Dora");
    EXPECT_TRUE(boxes.seen.empty());
}

TEST_F(ShellTest, AppointmentLineIsAppendedByteForByte) {
    Store("31/12/2026", "10:00", "Ana");
    Open();
    Type("05/12/2026|09:30|600111222|Ana|Revisión");
    const std::string file = ReadText(folder / "2026.log");
    ASSERT_EQ(file.size(), 310u);
    std::string expected(155, '\0');
    expected.replace(0, 10, "05/12/2026");
    expected.replace(11, 5, "09:30");
    expected.replace(17, 9, "600111222");
    expected.replace(30, 3, "Ana");
    expected.replace(80, 8, "Revisi\xF3n");
    EXPECT_EQ(file.substr(155), expected);
    EXPECT_EQ(Cell(2, 1), "Ana");  // the table on display is not reloaded
    EXPECT_EQ(Cell(2, 2), "");
    EXPECT_EQ(window->CommandLine().text(), "");
}

TEST_F(ShellTest, SortWordsSaveTheSettingsAndApplyAtTheNextDay) {
    Store("31/12/2026", "10:00", "Tarde");
    Store("31/12/2026", "08:00", "Pronto");
    Open();
    ASSERT_EQ(Cell(2, 1), "Pronto");
    Type("ascendente");
    EXPECT_EQ(settings.sortOrder, 1);
    const std::string ini = ReadText(settings.file);
    EXPECT_NE(ini.find("mean=55295"), std::string::npos);
    EXPECT_LT(ini.find("[Colores]"), ini.find("[Horas]"));
    EXPECT_NE(ini.find("Orden_Alfabetico=1"), std::string::npos);
    EXPECT_EQ(Cell(2, 1), "Pronto");
    Type("hoy");
    EXPECT_EQ(Cell(2, 1), "Tarde");
    Type("descendente");
    EXPECT_NE(ReadText(settings.file).find("Orden_Alfabetico=2"), std::string::npos);
    Type("hoy");
    EXPECT_EQ(Cell(2, 1), "Pronto");
}

TEST_F(ShellTest, RefusedLinesShowTheBoxAndComeBack) {
    Open();
    const auto sizeBefore = std::filesystem::file_size(folder / "2026.log");
    BoxCatcher boxes;
    const QString lines[] = {"a|b", "1|2|3|4|5|6", "5/12/2026|09:30|1|Ana|x", "05/12/2026 |09:30|1|Ana|x"};
    for (const QString& line : lines) {
        Type(line);
        ASSERT_EQ(boxes.seen.size(), 1u) << line.toStdString();
        const SeenBox box = boxes.seen.back();
        EXPECT_EQ(box.title, "Programador");
        EXPECT_EQ(box.text, "No sabe introducir datos ...");
        EXPECT_EQ(box.buttonCount, 1);
        EXPECT_EQ(box.icon, QMessageBox::NoIcon);
        EXPECT_FALSE(box.hasOwner);
        EXPECT_FALSE(box.blocksOtherWindows);
        EXPECT_EQ(window->CommandLine().text(), line);
        window->CommandLine().clear();
        boxes.seen.clear();
    }
    EXPECT_EQ(std::filesystem::file_size(folder / "2026.log"), sizeBefore);
    Type("hola");
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_EQ(window->CommandLine().text(), "");
}

TEST_F(ShellTest, UnsavedAppointmentIsReportedAndComesBack) {
    std::filesystem::create_directory(folder / "2030.log");
    Open();
    BoxCatcher boxes;
    Type("01/01/2030|10:00|1|Ana|x");
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].title, "Programador");
    EXPECT_TRUE(boxes.seen[0].text.startsWith("No se pudo guardar la cita: ")) << boxes.seen[0].text.toStdString();
    EXPECT_GT(boxes.seen[0].text.size(), QString("No se pudo guardar la cita: ").size());
    EXPECT_EQ(boxes.seen[0].buttonCount, 1);
    EXPECT_EQ(window->CommandLine().text(), "01/01/2030|10:00|1|Ana|x");
}

TEST_F(ShellTest, ExitWordEndsWithCodeZero) {
    Open();
    Type("Salir");
    EXPECT_EQ(exitCodes, std::vector<int>{0});
}

TEST_F(ShellTest, AuthorCreditStaysUntilTheNextDay) {
    Open();
    const QRect todayMark = MiddleBlockDay(2026, 12, 31);
    ASSERT_TRUE(RegionHas(PanelImage(), todayMark, kGold));
    Type("autor");
    EXPECT_FALSE(RegionHas(PanelImage(), QRect(0, 0, 1160, 233), kGold));
    EXPECT_TRUE(RegionHas(PanelImage(), QRect(0, 0, 1160, 233), QColor(Qt::white).rgb()));
    Type("hoy");
    EXPECT_TRUE(RegionHas(PanelImage(), todayMark, kGold));
}

TEST_F(ShellTest, FillAnimationCoversTheEntryStepByStep) {
    Open();
    std::vector<int> steps;
    QImage half, full;
    onFillStep = [&](int step) {
        steps.push_back(step);
        if (step == 50) half = window->CommandLine().grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (step == 100) full = window->CommandLine().grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    Type("");
    EXPECT_TRUE(steps.empty());
    Type("hoy");
    ASSERT_EQ(steps.size(), 100u);
    EXPECT_EQ(steps.front(), 1);
    EXPECT_EQ(half.pixel(579, 19), kGold);
    EXPECT_EQ(half.pixel(580, 19), QColor(Qt::black).rgb());
    EXPECT_EQ(full.pixel(0, 0), kGold);
    EXPECT_EQ(full.pixel(1159, 20), kGold);
    EXPECT_TRUE(RegionHas(full, QRect(2, 1, 40, 16), QColor(Qt::black).rgb()));  // the text
    EXPECT_EQ(window->CommandLine().grab().toImage().pixel(1159, 20), QColor(Qt::black).rgb());
}

}  // namespace
}  // namespace quimbaro::testing

namespace quimbaro::testing {
namespace {

bool WaitForBox(const BoxCatcher& boxes) {
    for (int i = 0; i < 100 && boxes.seen.empty(); ++i) QTest::qWait(10);
    return !boxes.seen.empty();
}

TEST_F(ShellTest, UnreadableDayIsReportedNotShownEmpty) {
    std::filesystem::create_directory(folder / "2026.log");
    BoxCatcher boxes;
    Open();
    ASSERT_TRUE(WaitForBox(boxes));
    EXPECT_TRUE(boxes.seen[0].text.startsWith("No se pudieron leer las citas del día: "))
        << boxes.seen[0].text.toStdString();
    EXPECT_EQ(boxes.seen[0].title, "Programador");
    boxes.seen.clear();
    Type("mañana");  // another year's file reads fine
    EXPECT_TRUE(boxes.seen.empty());
    Type("ayer");
    EXPECT_EQ(boxes.seen.size(), 1u);
}

TEST_F(ShellTest, UnwritableSettingsAreReported) {
    settings.file = folder / "no-such-folder" / kSettingsFileName;
    Open();
    BoxCatcher boxes;
    Type("ascendente");
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "No se pudo guardar la configuración en Configuracion.ini");
    EXPECT_EQ(settings.sortOrder, 1);  // still used for this run
    QTimer::singleShot(50, [] { qobject_cast<QDialog*>(QApplication::activeModalWidget())->accept(); });
    Type("color");
    ASSERT_EQ(boxes.seen.size(), 2u);
    EXPECT_EQ(boxes.seen[1].text, boxes.seen[0].text);
}

TEST_F(ShellTest, ColourWordOpensTheChooserAndSavesTheChoice) {
    Open();
    QTimer::singleShot(50, [] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->setCurrentColor(QColor(0, 0, 255));
        dialog->accept();
    });
    Type("color");
    EXPECT_EQ(settings.userColour, 16711680);
    EXPECT_NE(ReadText(settings.file).find("mean=16711680"), std::string::npos);
    EXPECT_EQ(AreaImage().pixel(6, 4), kGold);  // nothing is redrawn
    Type("hoy");
    EXPECT_EQ(AreaImage().pixel(6, 4), QColor(0, 0, 255).rgb());
}

}  // namespace
}  // namespace quimbaro::testing
