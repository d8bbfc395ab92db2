// The window at start-up, around its activation and under the scroll keys,
// and the console in it: what a typed line makes the window draw and do.
// What each line means is the session's, tested without a window.
#include <QColorDialog>
#include <QPainter>

#include "ui/shell_fixture.h"
#include "window/after_first_frame.h"

namespace quimbaro::testing {
namespace {

// Panel above, table below, the entry black; today's appointments sorted, in the INI's colour.
TEST_F(ShellTest, StartUpShowsTodaysAppointmentsSortedInTheColourOfTheIni) {
    today = {2026, 3, 15};
    Store({"15/03/2026 10:00 Carlos", "16/03/2026 07:00 Otro", "15/03/2026 08:15 Ana", "15/03/2026 09:30 Bea"});
    std::ofstream(settings.file) << "[Colores]\nmean=16711680\n";  // blue
    MainWindow& w = Open();
    EXPECT_EQ(w.frameGeometry().topLeft(), QPoint(96, 13));
    EXPECT_EQ(w.size(), QSize(1160, 955));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.windowIcon().isNull(); }));  // set after the first frame
    EXPECT_EQ(w.focusWidget(), &w.CommandLine());
    EXPECT_EQ(QStringList({Cell(0, 1), Cell(1, 1), Cell(2, 1), Cell(2, 2), Cell(2, 3), Cell(2, 4)}),
              QStringList({"08:15", "600 11 12 22", "Ana", "Bea", "Carlos", ""}));
    const QImage area = AreaImage(), shown = Grab(w);
    EXPECT_EQ(QList<QRgb>({At(area, 6, 4), At(area, 4, 26), At(area, 5, 46)}),
              QList<QRgb>({0x0000FF, 0xC0C0C0, 0xFFFFFF}));  // header, row 1's outline and inside
    EXPECT_TRUE(Marked(2026, 3, 15, 0x0000FF));
    EXPECT_TRUE(SameImage(shown.copy(0, 0, 1160, 232), PanelImage().copy(0, 0, 1160, 232)));
    EXPECT_TRUE(SameImage(shown.copy(0, 232, 1160, 704), area));
    EXPECT_EQ(CountOther(shown, {10, 936, 1150, 19}, 0), 0);  // right of the cursor
}

// What the first frame need not wait for runs once, after that frame.
TEST(AfterFirstFrameTest, RunsOnceAfterTheFirstPaint) {
    struct Counted : QWidget {
        int paints = 0;
        void paintEvent(QPaintEvent*) override { ++paints; }
    } widget;
    int runs = 0, paintsBefore = -1;
    new AfterFirstFrame(widget, [&] { paintsBefore = widget.paints, ++runs; });
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 0);
    widget.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return runs == 1; }));
    EXPECT_EQ(paintsBefore, 1);
    widget.repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(QList<int>({widget.paints, runs}), QList<int>({2, 1}));

    QWidget neverShown;  // started minimised: the work is done all the same
    bool done = false;
    new AfterFirstFrame(neverShown, [&] { done = true; }, std::chrono::milliseconds(50));
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }));
}

// Tab and Enter belong to the area while it has the focus; an activation
// gives back the control focused when the window was left, once.
TEST_F(ShellTest, FocusStaysOnTheAreaAndComesBackAfterActivation) {
    MainWindow& w = Open();
    QTest::keyClicks(&w.CommandLine(), "hoy");
    w.AppointmentsArea().setFocus();
    QTest::keyClick(&w.AppointmentsArea(), Qt::Key_Return);
    QTest::keyClick(&w.AppointmentsArea(), Qt::Key_Tab);
    EXPECT_EQ(w.focusWidget(), &w.AppointmentsArea());
    EXPECT_EQ(w.CommandLine().text(), "hoy");  // not run

    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_FALSE(w.isActiveWindow());
    w.CommandLine().setFocus();  // moved while away
    QApplication::setActiveWindow(&w);
    EXPECT_EQ(w.focusWidget(), &w.AppointmentsArea());
    w.CommandLine().setFocus();
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(&w, &activation);
    EXPECT_EQ(w.focusWidget(), &w.CommandLine());
}

class ScrollTest : public ShellTest {
protected:
    void Press(Qt::Key key, int times = 1) {
        for (int i = 0; i < times; ++i) QTest::keyClick(&window->AppointmentsArea(), key);
    }
    // What the area shows of the canvas at the offset.
    ::testing::AssertionResult ShowsCanvasAt(int offset) {
        if (!window->State().canvasImage) return ::testing::AssertionFailure() << "no scroll has drawn";
        QImage shown(1160, 704, QImage::Format_RGB32);
        shown.fill(Qt::black);
        QPainter(&shown).drawImage(0, offset, window->State().canvasImage->image);
        return SameImage(AreaImage(), shown);
    }
};

// A full day, then an empty one shown after scrolling: it must look exactly as
// it does unscrolled, and its first scroll must show it, not the full day.
TEST_F(ScrollTest, KeysScrollTheWholeDayAndADayChangeLeavesNothingOfIt) {
    for (int r = 1; r <= 29; ++r) Store("31/12/2026", qPrintable(QString::asprintf("%02d:00", r)), "Nombre");
    Open();
    Type("ayer");
    const QImage emptyDay = AreaImage();
    Type("hoy");
    QTest::mouseClick(&window->AppointmentsArea(), Qt::LeftButton);
    int32_t& offset = window->State().scrollOffset;
    window->AppointmentsArea().RetainedPicture().image.setPixel(700, 700, 0xFFFF0000);
    Press(Qt::Key_Up);  // at the top: nothing is drawn
    EXPECT_EQ(At(AreaImage(), 700, 700), 0xFF0000u);
    Press(Qt::Key_Home);  // always redraws
    EXPECT_TRUE(ShowsCanvasAt(0));
    Press(Qt::Key_Down);
    Press(Qt::Key_PageUp);  // above the day: black
    EXPECT_TRUE(ShowsCanvasAt(90));
    Press(Qt::Key_Home);
    Press(Qt::Key_PageDown);
    EXPECT_TRUE(ShowsCanvasAt(-100));
    EXPECT_EQ(At(AreaImage(), 4, 24 * 29 + 2 - 100), 0xC0C0C0u);  // row 29's outline
    Press(Qt::Key_Down);
    Press(Qt::Key_PageDown, 8);
    EXPECT_EQ(offset, -910);
    EXPECT_TRUE(ShowsCanvasAt(-910));
    Press(Qt::Key_End);
    Press(Qt::Key_PageDown);  // the lowest offset, -900 or -910, is where a step down stops
    Press(Qt::Key_Up, 50);

    QTest::mouseClick(&window->CommandLine(), Qt::LeftButton);
    Type("ayer");  // painted at the top; the offset stays
    EXPECT_EQ(offset, -400);
    EXPECT_TRUE(SameImage(AreaImage(), emptyDay));
    QTest::mouseClick(&window->AppointmentsArea(), Qt::LeftButton);
    Press(Qt::Key_Home);
    Press(Qt::Key_PageDown);
    QImage expected = emptyDay.copy(0, 100, 1160, 704);  // and row 29, empty like row 28
    QPainter(&expected).drawImage(0, 24 * 29 + 2 - 100, emptyDay.copy(0, 24 * 28 + 2, 1160, 22));
    EXPECT_TRUE(SameImage(AreaImage(), expected));
}

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
            EXPECT_EQ(dialog->font(), QApplication::font());  // not the entry's, which the window holds
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
    struct PaintsBeforeBox : QObject {
        int paints = 0, paintsWhenBoxShown = -1;
        bool eventFilter(QObject* object, QEvent* event) override {
            if (event->type() == QEvent::Paint && qobject_cast<MainWindow*>(object)) ++paints;
            if (event->type() == QEvent::Show && qobject_cast<QMessageBox*>(object)) paintsWhenBoxShown = paints;
            return false;
        }
    } order;
    qApp->installEventFilter(&order);
    BoxCatcher boxes;
    Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.seen.size() == 1; }, 60000));
    qApp->removeEventFilter(&order);
    EXPECT_GE(order.paintsWhenBoxShown, 1);
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
