// What a screen reader reads of the window, asked through Qt's accessibility
// as the desktop bridge asks it, and the events it hears on each change.
#include <QAccessible>

#include "ui/shell_fixture.h"

namespace quimbaro::testing {
namespace {

QAccessibleInterface* Access(QObject* object) { return QAccessible::queryAccessibleInterface(object); }
QString Name(QAccessibleInterface* a) { return a ? a->text(QAccessible::Name) : QStringLiteral("<none>"); }
QString Description(QAccessibleInterface* a) { return a->text(QAccessible::Description); }

class ScreenAccessTest : public ShellTest {
protected:
    ScreenAccessTest() {
        today = {2026, 12, 7};  // a Monday
        Store("07/12/2026", "10:00", "José Peña", "612345678");
        Store("07/12/2026", "09:30", "Ana");
    }
    QAccessibleTableInterface* Table() { return Access(&window->AppointmentsArea())->tableInterface(); }
    QStringList Row(int row) {
        QStringList cells;
        for (int column = 0; column < Table()->columnCount(); ++column) cells << Name(Table()->cellAt(row, column));
        return cells;
    }
    QAccessibleInterface* Strip() { return Access(&window->CalendarPanel()); }
    // The cell of a day of the strip's shown month.
    QAccessibleInterface* StripDay(int day) {
        QAccessibleTableInterface* month = Strip()->child(3)->tableInterface();
        for (int row = 0; row < month->rowCount(); ++row)
            for (int column = 0; column < 7; ++column)
                if (QAccessibleInterface* cell = month->cellAt(row, column);
                    Name(cell).contains(QStringLiteral(" %1 de").arg(day)))
                    return cell;
        return nullptr;
    }
};

// The window, the table's name, headers, rows (empty slots are none) and cells as drawn.
TEST_F(ScreenAccessTest, TheDayIsReadAsATableOfItsAppointments) {
    MainWindow& w = Open();
    QAccessibleInterface* frame = Access(&w);
    EXPECT_EQ(frame->role(), QAccessible::Window);
    EXPECT_EQ(Name(frame), "Quimbaro");
    QAccessibleInterface* table = Access(&w.AppointmentsArea());
    EXPECT_EQ(frame->indexOfChild(table), 1);
    EXPECT_EQ(table->role(), QAccessible::Table);
    EXPECT_EQ(Name(table), "Citas del lunes 7 de diciembre de 2026");
    EXPECT_EQ(Description(table), "2 citas");
    ASSERT_EQ(Table()->rowCount(), 2);
    EXPECT_EQ(table->childCount(), 12);
    EXPECT_EQ(table->child(12), nullptr);
    EXPECT_EQ(Row(0), QStringList({"09:30", "600 11 12 22", "Ana", "Asunto"}));
    EXPECT_EQ(Row(1), QStringList({"10:00", "612 34 56 78", "José Peña", "Asunto"}));
    EXPECT_EQ(Table()->cellAt(2, 0), nullptr);
    QStringList headers;
    for (int column = 0; column < 4; ++column) headers << Name(table->child(column)) << Table()->columnDescription(column);
    EXPECT_EQ(headers, QStringList({"Hora", "Hora", "Teléfono", "Teléfono", "Nombre", "Nombre", "Asunto", "Asunto"}));
    QAccessibleInterface* cell = Table()->cellAt(1, 2);
    EXPECT_EQ(cell, table->child(10));  // the same object when asked again
    EXPECT_EQ(table->indexOfChild(cell), 10);
    EXPECT_EQ(Description(cell), "Fila 2");
    EXPECT_EQ(Name(cell->tableCellInterface()->columnHeaderCells().value(0)), "Nombre");
    EXPECT_EQ(cell->tableCellInterface()->rowIndex(), 1);
    EXPECT_EQ(cell->textInterface(), nullptr);  // a reader would take it for one
    EXPECT_EQ(table->childAt(cell->rect().center().x(), cell->rect().center().y()), cell);
    EXPECT_EQ(cell->rect().topLeft() - table->rect().topLeft(), QPoint(149, 50));
    QAccessibleInterface* header = table->child(2);
    EXPECT_EQ(table->childAt(header->rect().center().x(), header->rect().center().y()), header);
    Type("ayer");  // another day's cells are other objects: the old ones are no longer children
    EXPECT_EQ(table->indexOfChild(cell), -1);
}

// The week is read in the day table's place: a row per heading and appointment.
TEST_F(ScreenAccessTest, TheWeekIsReadDayByDay) {
    Open();
    Type("semana");
    QAccessibleInterface* table = Access(&window->AppointmentsArea());
    EXPECT_EQ(Name(table), "Semana del lunes 7 de diciembre de 2026");
    EXPECT_EQ(Description(table), "7 días, 2 citas");
    ASSERT_EQ(Table()->rowCount(), 15);
    EXPECT_EQ(Row(0), QStringList({"Lunes 7 de diciembre de 2026  ·  hoy  ·  2 citas", "", "", ""}));
    EXPECT_EQ(Row(2), QStringList({"10:00", "612 34 56 78", "José Peña", "Asunto"}));
    EXPECT_EQ(Row(14), QStringList({"sin citas", "", "", ""}));
    EXPECT_EQ(QStringList({Table()->rowDescription(0), Table()->rowDescription(2)}), QStringList({"Día", "Fila 2"}));
    EXPECT_EQ(Table()->cellAt(2, 2)->rect().topLeft() - table->rect().topLeft(), QPoint(149, 49));
    Type("semana siguiente");
    EXPECT_EQ(Name(table), "Semana del lunes 14 de diciembre de 2026");
    EXPECT_TRUE(StripDay(14)->state().selected);
    BoxCatcher boxes;  // the box that says the series was stored
    Type("cada semana 16/12/2026|10:00|1|Serie|x");
    Type("semana");
    EXPECT_EQ(Table()->rowDescription(5), "Fila 1, se repite");
    Type("hoy");
    EXPECT_EQ(Name(table), "Citas del lunes 7 de diciembre de 2026");
    EXPECT_EQ(Table()->rowCount(), 2);
}

// The strip: seven months named in words, days with their full date, the
// shown one selected; Sundays and the days of a search described; the credit.
TEST_F(ScreenAccessTest, TheStripNamesItsMonthsAndDays) {
    Open();
    ASSERT_EQ(Strip()->childCount(), 7);
    EXPECT_EQ(QStringList({Name(Strip()->child(0)), Name(Strip()->child(3)), Name(Strip()->child(6))}),
              QStringList({"septiembre de 2026", "diciembre de 2026", "marzo de 2027"}));
    QAccessibleTableInterface* month = Strip()->child(3)->tableInterface();
    EXPECT_EQ(QStringList({month->columnDescription(0), month->columnDescription(6)}),
              QStringList({"lunes", "domingo"}));
    EXPECT_EQ(QStringList({Name(month->cellAt(0, 0)), Name(month->cellAt(0, 1)), Name(month->cellAt(4, 3))}),
              QStringList({"", "martes 1 de diciembre de 2026", "jueves 31 de diciembre de 2026"}));
    EXPECT_EQ(Name(StripDay(13)), "domingo 13 de diciembre de 2026");
    EXPECT_EQ(Description(StripDay(13)), "Domingo, en rojo");
    EXPECT_TRUE(StripDay(7)->state().selected);
    EXPECT_FALSE(StripDay(8)->state().selected);
    EXPECT_EQ(month->selectedCells(), QList<QAccessibleInterface*>({StripDay(7)}));
    EXPECT_EQ(Strip()->child(2)->tableInterface()->selectedCellCount(), 0);  // 7 November is not shown
    EXPECT_EQ(Description(StripDay(7)), "Día mostrado");

    Store("14/12/2026", "08:00", "Otra Peña");
    Type("buscar pena");
    EXPECT_EQ(Description(StripDay(14)), "Con citas que coinciden con la búsqueda");
    EXPECT_EQ(Description(StripDay(7)), "Día mostrado, Con citas que coinciden con la búsqueda");
    EXPECT_EQ(Description(Access(&window->AppointmentsArea())), "2 citas, 1 coincide con la búsqueda");
    EXPECT_EQ(QStringList({Table()->rowDescription(0), Table()->rowDescription(1)}),
              QStringList({"Fila 1", "Fila 2, coincide con la búsqueda"}));

    Type("autor");
    EXPECT_EQ(Name(Strip()), "Programa realizado por : LUCAS, www.LUCAS.example");
    EXPECT_EQ(Strip()->childCount(), 0);
    Type("hoy");
    EXPECT_EQ(Name(Strip()), "Calendario de septiembre de 2026 a marzo de 2027");
}

// The entry says what it takes, and which row while an edit is pending.
TEST_F(ScreenAccessTest, TheEntrySaysWhatItTakesAndWhichRowIsEdited) {
    Open();
    QAccessibleInterface* entry = Access(&window->CommandLine());
    EXPECT_EQ(Name(entry), "Orden");
    EXPECT_TRUE(Description(entry).startsWith("Escriba una fecha"));
    Type("editar 2");
    EXPECT_TRUE(Description(entry).startsWith("Editando la cita de la fila 2:")) << Description(entry).toStdString();
    QTest::keyClick(&window->CommandLine(), Qt::Key_A, Qt::ControlModifier);
    Type("editar 1");  // over the pending line
    EXPECT_TRUE(Description(entry).startsWith("Editando la cita de la fila 1:")) << Description(entry).toStdString();
    QTest::keyClick(&window->CommandLine(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&window->CommandLine(), Qt::Key_Backspace);
    EXPECT_TRUE(Description(entry).startsWith("Escriba una fecha"));
}

// Every change of the day is told while a tool listens, nothing otherwise;
// cells asked for before the change answer the new day.
TEST_F(ScreenAccessTest, ChangesAreAnnouncedOnlyWhileAToolListens) {
    Open();
    QAccessibleInterface* table = Access(&window->AppointmentsArea());
    const QAccessible::Id before = QAccessible::uniqueId(Table()->cellAt(0, 2));
    bool listening = false;
    std::vector<std::pair<QAccessible::Event, QObject*>> heard;
    context->toolListens = [&] { return listening; };
    context->tellTools = [&](QAccessibleEvent* event) { heard.emplace_back(event->type(), event->object()); };
    Type("08/12/2026");
    EXPECT_TRUE(heard.empty());
    listening = true;
    Store("09/12/2026", "11:00", "Bea");
    for (const char* line : {"09/12/2026", "buscar bea", "borrar 1", "autor"}) {
        heard.clear();
        Type(line);
        std::vector<QAccessible::Event> onTable, onStrip;
        for (const auto& [type, object] : heard) {
            if (object == &window->AppointmentsArea()) onTable.push_back(type);
            if (object == &window->CalendarPanel()) onStrip.push_back(type);
        }
        const bool credit = std::string(line) == "autor";
        EXPECT_EQ(onTable, credit ? std::vector<QAccessible::Event>{}
                                  : std::vector<QAccessible::Event>({QAccessible::TableModelChanged, QAccessible::NameChanged,
                                                                     QAccessible::DescriptionChanged})) << line;
        EXPECT_EQ(onStrip, std::vector<QAccessible::Event>({QAccessible::NameChanged})) << line;
    }
    EXPECT_EQ(Name(table), "Citas del miércoles 9 de diciembre de 2026");
    EXPECT_EQ(Description(table), "Ninguna cita");
    EXPECT_EQ(Table()->rowCount(), 0);
    Type("07/12/2026");
    EXPECT_EQ(Name(Table()->cellAt(0, 2)), "Ana");
    EXPECT_EQ(QAccessible::accessibleInterface(before), nullptr);  // dropped with its day
}

}  // namespace
}  // namespace quimbaro::testing
