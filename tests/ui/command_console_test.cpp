// The console in the real window: what a typed line makes the window draw and
// do. What each line means is the session's, tested without a window.
#include <QColorDialog>

#include "ui/shell_fixture.h"

namespace quimbaro::testing {
namespace {

// A typed day is drawn; the author credit stays until the next day is drawn.
TEST_F(ShellTest, TypedLinesReachTheSessionAndWhatItAnswersIsDrawnOrDone) {
    Store({"30/12/2026 10:00 Bea"});
    Open();
    Type("ayer");
    EXPECT_EQ(Cell(2, 1), "Bea");
    EXPECT_TRUE(Marked(2026, 12, 30, kGold));
    Type("autor");
    EXPECT_EQ(CountColour(PanelImage(), PanelImage().rect(), kGold), 0);
    Type("hoy");
    EXPECT_EQ(Cell(2, 1), "");
    EXPECT_TRUE(Marked(2026, 12, 31, kGold));
    ASSERT_TRUE(exitCodes.empty());
    Type("Salir");
    EXPECT_EQ(exitCodes, std::vector<int>{0});
}

// The dialog's colour is saved and shows from the next day change and the
// next animation; a colour that could not be saved is told.
TEST_F(ShellTest, ColorOpensTheDialogWhoseColourShowsFromTheNextDay) {
    Open();
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
    EXPECT_EQ(At(AreaImage(), 6, 4), 0x0000FFu);
    settings.file = folder / "no-such-folder" / kSettingsFileName;
    BoxCatcher boxes;
    chooseBlue();
    EXPECT_EQ(boxes.seen, QStringList("No se pudo guardar la configuración en Configuracion.ini"));
}

// A refused line comes back into the entry, unless something new was typed
// while its box was open.
TEST_F(ShellTest, BoxesAreModelessAndARefusedLineComesBack) {
    Open();
    BoxCatcher boxes;
    boxes.whileOpen = [](QMessageBox& box) {  // modeless, so the window stays usable
        EXPECT_EQ(QString("%1 %2 %3 %4").arg(box.windowTitle()).arg(box.buttons().size()).arg(box.icon()).arg(
                      box.isModal() || box.parentWidget() || QApplication::activeModalWidget()), "Programador 1 0 0");
    };
    Type("a|b€");
    EXPECT_EQ(boxes.seen, QStringList("No sabe introducir datos ..."));
    EXPECT_EQ(window->CommandLine().text(), "a|b€");
    window->CommandLine().clear();
    boxes.whileOpen = [this](QMessageBox&) { window->CommandLine().setText("ayer"); };  // typed while it is open
    Type("a|b");
    EXPECT_EQ(window->CommandLine().text(), "ayer");
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

TEST_F(ShellTest, UnreadableDayAtStartIsToldOnceTheWindowIsUp) {
    std::filesystem::create_directory(folder / "2026.log");
    BoxCatcher boxes;
    Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.seen.size() == 1; }, 1000));
    EXPECT_TRUE(boxes.seen[0].startsWith("No se pudieron leer las citas del día: ")) << boxes.seen[0].toStdString();
}

// Rows are numbered in grey; "editar" turns the entry blue with the row's
// line, until the line is stored or the entry is emptied by hand.
TEST_F(ShellTest, RowsAreNumberedAndEditarTurnsTheEntryBlue) {
    Store({"31/12/2026 10:00 Carla", "31/12/2026 08:00 Ana", "31/12/2026 09:00 Bea"});
    Open();
    const QImage area = AreaImage();
    for (int row = 1; row <= 4; ++row) {  // grey digits inside the last cell's right end
        const QRect end(1140, 24 * row + 3, 13, 19);
        EXPECT_EQ(Count(area, end, [](QRgb pixel) { return qGray(pixel) < 250; }) > 0, row <= 3) << row;
        EXPECT_EQ(Count(area, end, [](QRgb pixel) { return qGray(pixel) < 100; }), 0) << row;
    }
    auto entryBase = [this] { return At(Grab(window->CommandLine()), 1150, 10); };
    Type("editar 1");
    EXPECT_EQ(window->CommandLine().text(), "31/12/2026|08:00|600111222|Ana|Asunto");
    EXPECT_EQ(entryBase(), 0x000080u);
    window->CommandLine().selectAll();
    QTest::keyClick(&window->CommandLine(), Qt::Key_Backspace);
    EXPECT_EQ(entryBase(), 0u);
    Type("editar 2");
    window->CommandLine().selectAll();
    Type("31/12/2026|07:00|1|Bea|x");
    EXPECT_EQ(entryBase(), 0u);
    EXPECT_EQ(QStringList({Cell(2, 1), Cell(2, 2), Cell(2, 3)}), QStringList({"Bea", "Ana", "Carla"}));
}

constexpr QRgb kMatchFill = 0x0050A0;  // Rgb(0, 80, 160)
constexpr QRgb kRowFill = 0xFFFF96;    // Rgb(255, 255, 150)

// The matching days are boxed in the strip, the matching rows filled.
TEST_F(ShellTest, BuscarBoxesTheMatchingDaysAndFillsTheMatchingRows) {
    Store({"10/12/2026 09:00 Otro", "10/12/2026 12:00 Peña López", "05/01/2027 08:00 Jose Peña"});
    Open();
    // The day's box is exactly x - 2 .. x + 16 by y .. y + 14 of its cell: all match fill or text, black around.
    auto boxedExactly = [this](int k, int year, int month, int day) {
        const QImage panel = PanelImage();
        const QRect box = DayCell(year, month, day, k).adjusted(-2, 0, -1, -1);
        return CountColour(panel, box, 0) == 0 && CountOther(panel, box.adjusted(-1, -1, 1, 1), 0) == 19 * 15;
    };
    auto rowFill = [this](int row) { return At(AreaImage(), 540, 30 + 24 * (row - 1)); };  // right of any text
    Type("buscar pena");
    EXPECT_TRUE(boxedExactly(0, 2027, 1, 5));
    EXPECT_TRUE(boxedExactly(-1, 2026, 12, 10));
    EXPECT_EQ(CountColour(PanelImage(), DayCell(2027, 1, 6), kMatchFill), 0);
    EXPECT_TRUE(Marked(2027, 1, 5, kGold));  // the shown day keeps its own mark on the box
    EXPECT_EQ(rowFill(1), kRowFill);
    Type("anterior");
    EXPECT_EQ(QList<QRgb>({rowFill(1), rowFill(2)}), QList<QRgb>({0xFFFFFF, kRowFill}));
    Type("buscar");
    EXPECT_EQ(CountColour(PanelImage(), PanelImage().rect(), kMatchFill), 0);
}

}  // namespace
}  // namespace quimbaro::testing
