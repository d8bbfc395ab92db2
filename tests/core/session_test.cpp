// The console's session without a window: every command word, the boxes it
// asks for, the line it hands back, edit and undo chains and the search.
#include <gtest/gtest.h>

#include "ical/book_export.h"
#include "search/search_texts.h"
#include "session_fixture.h"
#include "text/messages.h"

namespace quimbaro {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::W;
using enum WindowRequest;

// "ayer" and "mañana" count from today; a typed date shows its exact key.
TEST_F(SessionTest, DayWordsAndDatesChooseTheDayShown) {
    Store({"31/12/2026 10:00 Ana", "30/12/2026 10:00 Bea", "05/12/2026 10:00 Carla", "31/02/2026 10:00 Dora"});
    Open();
    EXPECT_EQ(Shown(), "Ana,31/12/2026");
    const std::pair<const char*, const char*> steps[] = {
        {"mañana", "01/01/2027"}, {"HOY", "Ana,31/12/2026"}, {"ayer", "Bea,30/12/2026"}, {"ayer", "Bea,30/12/2026"},
        {"05/12/2026", "Carla,05/12/2026"}, {"31/02/2026", "Dora,31/02/2026"}};
    for (const auto& [line, shown] : steps) {
        Enter(line);
        EXPECT_EQ(Shown(), shown) << line;
        EXPECT_TRUE(last.messages.empty()) << line;
    }
    EXPECT_FALSE(fs::exists(folder / "2027.log"));  // showing a year makes no file for it
    today = {30827, 12, 31};  // the calendar's end: tomorrow stays today
    Enter("mañana");
    EXPECT_EQ(Shown(), "31/12/30827");
}

// Saved at once; the order shows from the next day change, the lead at once.
TEST_F(SessionTest, SettingsWordsSaveTheIniOrSayItWasNotSaved) {
    Store({"31/12/2026 10:00 Tarde", "31/12/2026 08:00 Pronto"});
    Open();
    EXPECT_EQ(Shown(), "Pronto,Tarde,31/12/2026");
    Enter("ascendente");
    EXPECT_EQ(ReadFile(settings.file), "[Colores]\nmean=55295\n\n\n[Horas]\nOrden_Alfabetico=1\n");
    EXPECT_FALSE(last.show);
    Enter("hoy");
    EXPECT_EQ(Shown(), "Tarde,Pronto,31/12/2026");
    Enter("descendente");
    EXPECT_NE(ReadFile(settings.file).find("Orden_Alfabetico=2"), std::string::npos);
    EXPECT_EQ(Enter("aviso 60").requests, std::vector{RecheckReminders});
    EXPECT_NE(ReadFile(settings.file).find("[Avisos]\nminutos=60"), std::string::npos);
    EXPECT_EQ(Enter("aviso diez").messages, Strings{kBadReminderText});
    EXPECT_TRUE(last.handBackTyped);
    EXPECT_EQ(settings.reminderMinutes, 60);
    EXPECT_TRUE(session->ColourChosen(true).messages.empty());

    settings.file = folder / "no-such-folder" / kSettingsFileName;
    const Strings notSaved{"No se pudo guardar la configuración en Configuracion.ini"};
    EXPECT_EQ(Enter("ascendente").messages, notSaved);
    EXPECT_EQ(settings.sortOrder, SortOrder::LatestFirst);  // still used for this run
    EXPECT_EQ(Enter("aviso 5").messages, notSaved);
    EXPECT_EQ(session->ColourChosen(false).messages, notSaved);
}

// What only the window can do; anything unknown is dropped silently.
TEST_F(SessionTest, WordsTheWindowCarriesOutAndExportarSaysWhere) {
    Store({"05/12/2026 09:30 Ana", "31/02/2026 10:00 no day"});
    Open();
    const std::pair<const char*, std::vector<WindowRequest>> words[] = {
        {"Salir", {Quit}}, {"autor", {ShowAuthorCredit}}, {"COLOR", {ChooseColour}}, {"hola", {}}};
    for (const auto& [line, requests] : words) {
        EXPECT_EQ(Enter(line).requests, requests) << line;
        EXPECT_TRUE(last.messages.empty() && !last.show && !last.handBackTyped) << line;
    }
    EXPECT_EQ(Enter("Salir").exitCode, 0);
    EXPECT_EQ(Enter("sincronizar").messages,  // no folder set up: nothing to run
              Strings{kNoSyncFolderText + settings.file.string()});
    settings.syncFolder = "vdir";
    EXPECT_EQ(Enter("Sincronizar").requests, std::vector<WindowRequest>{WindowRequest::Sync});
    EXPECT_EQ(Enter("EXPORTAR").messages, Strings{"Se exportaron 1 citas a " + (folder / ical::kExportFileName).string() +
                                                  ". Se omitieron 1 registros cuya fecha no es un día válido de su archivo."});
}

TEST_F(SessionTest, RefusedLinesSayWhyAndComeBackStoredOnesAreToldToTheReminders) {
    fs::create_directory(folder / "2030.log");
    Open();
    // One and five separators, a day no date can show, a space before the first "|"; 2030.log is a folder.
    for (const char* line : {"a|b", "1|2|3|4|5|6", "5/12/2026|09:30|1|Ana|x", "05/12/2026 |09:30|1|Ana|x",
                             "01/01/2030|10:00|1|Ana|x"}) {
        Enter(line);
        EXPECT_EQ(last.messages, Strings{line[1] == '1' ? "No se pudo guardar la cita: no se pudo abrir el archivo "
                                                          "2030.log: es una carpeta, no un archivo"
                                                        : kBadEntryText}) << line;
        EXPECT_TRUE(last.handBackTyped && last.requests.empty()) << line;
    }
    EXPECT_EQ(ReadFile(folder / "2026.log"), "");
    Enter("31/12/2026|09:30|600111222|Ana María|Revisión");  // stored as typed, shown from the next day change
    EXPECT_EQ(last.requests, std::vector{RecheckReminders});
    EXPECT_TRUE(last.messages.empty() && !last.show && !last.handBackTyped);
    EXPECT_EQ(ReadFile(folder / "2026.log"),
              testing::Bytes(MakeAppointment("31/12/2026", "09:30", "600111222", W("Ana María"), W("Revisión"))));
}

TEST_F(SessionTest, UnreadableDayIsToldEachTimeItIsShown) {
    fs::create_directory(folder / "2026.log");
    Open();
    ASSERT_EQ(last.messages.size(), 1u);
    EXPECT_TRUE(last.messages[0].starts_with("No se pudieron leer las citas del día: ")) << last.messages[0];
    EXPECT_TRUE(Enter("mañana").messages.empty());  // another year's file reads fine
    EXPECT_EQ(Enter("ayer").messages.size(), 1u);
    EXPECT_EQ(Shown(), "30/12/2026");
    EXPECT_EQ(Enter("borrar 1").messages, Strings{"No hay ningún día a la vista: muestre un día antes de borrar o editar una cita"});
}

// borrar, editar and deshacer.
class SessionRows : public SessionTest {
protected:
    // Ana 08:00, Bea 09:00, Carla 10:00 on today's table, stored out of order.
    void SetUp() override {
        Store({"31/12/2026 10:00 Carla", "31/12/2026 08:00 Ana", "31/12/2026 09:00 Bea"});
        Open();
        stored = ReadFile(folder / "2026.log");
    }
    std::string stored;
};

// The last change is undone first, and shows its day.
TEST_F(SessionRows, BorrarDeletesByRowAndDeshacerUndoesTheLastChangeFirst) {
    EXPECT_EQ(Enter("borrar 2").messages, Strings{});
    EXPECT_EQ(Shown(), "Ana,Carla,31/12/2026");
    EXPECT_EQ(ReadFile(folder / "2026.log"), std::string(stored).replace(2 * 155, 11, 11, '\0'));  // Bea's date
    Enter("borrar 1");
    Enter("mañana");
    Enter("DESHACER");
    EXPECT_EQ(Shown(), "Ana,Carla,31/12/2026");
    Enter("deshacer");
    EXPECT_EQ(Shown(), "Ana,Bea,Carla,31/12/2026");
    EXPECT_EQ(ReadFile(folder / "2026.log"), stored);
    EXPECT_EQ(Enter("deshacer").messages, Strings{kNothingToUndoText});
}

// The entry holds the row's line while it is edited; another command or an
// emptied entry ends the edit, a line that needs correcting keeps it.
TEST_F(SessionRows, EditarHandsTheLineToTheEntryAndItsLineReplacesTheRow) {
    EXPECT_EQ(Enter("editar 3").entryLine, "31/12/2026|10:00|600111222|Carla|Asunto");
    EXPECT_TRUE(last.entry.editing && last.entry.row == 3);
    EXPECT_FALSE(Enter("hoy").entry.editing);
    Enter("editar 3");
    EXPECT_FALSE(session->CancelEdit().entry.editing);
    Enter("31/12/2026|10:00|1|Carla|nueva");  // now a new appointment
    EXPECT_EQ(ReadFile(folder / "2026.log").substr(0, stored.size()), stored);
    Enter("editar 1");
    EXPECT_EQ(Enter("31/12/2026|08:00|1|Ana|x|y").messages, Strings{kBadEntryText});
    EXPECT_TRUE(last.entry.editing && last.handBackTyped);
    const std::string beforeEdit = ReadFile(folder / "2026.log");
    Enter("02/01/2027|12:00|600111222|Ana María|Revisión");  // to another year: appended there, then deleted here
    EXPECT_FALSE(last.entry.editing || last.handBackTyped);
    EXPECT_EQ(ReadFile(folder / "2027.log"),
              testing::Bytes(MakeAppointment("02/01/2027", "12:00", "600111222", W("Ana María"), W("Revisión"))));
    EXPECT_EQ(ReadFile(folder / "2026.log"), std::string(beforeEdit).replace(155, 11, 11, '\0'));
    EXPECT_EQ(Shown(), "Bea,Carla,Carla,31/12/2026");
    Enter("02/01/2027");
    EXPECT_EQ(Shown(), W("Ana María,02/01/2027"));
    Enter("deshacer");  // the old row back, the new copy gone
    EXPECT_EQ(Shown(), "Ana,Bea,Carla,Carla,31/12/2026");
    EXPECT_EQ(ReadFile(folder / "2026.log"), beforeEdit);
    Enter("02/01/2027");
    EXPECT_EQ(Shown(), "02/01/2027");
    Enter("hoy");
    Enter("editar 1");
    Enter("31/12/2026|08:00|600111222|Ana|Asunto");  // unchanged: nothing to undo
    EXPECT_EQ(Enter("deshacer").messages, Strings{kNothingToUndoText});
}

TEST_F(SessionRows, NumbersNamingNoAppointmentAndChangesByAnotherCopyAreRefused) {
    const std::pair<const char*, const char*> refused[] = {
        {"borrar 4", "La fila 4 está vacía"}, {"editar 30", "No hay fila 30: las filas van de 1 a 29"},
        {"borrar", "Escriba el número de fila tras la orden, por ejemplo: borrar 3"},
        {"deshacer", kNothingToUndoText}};
    for (const auto& [line, text] : refused) {
        EXPECT_EQ(Enter(line).messages, Strings{text}) << line;
        EXPECT_FALSE(last.show || last.entry.editing || last.handBackTyped) << line;
    }
    Enter("editar 2");
    Store({"31/12/2026 07:00 Dora"});  // another copy's changes
    std::string file = ReadFile(folder / "2026.log").replace(2 * 155 + 30, 3, "Eva");
    testing::WriteFile(folder / "2026.log", file);
    Enter("31/12/2026|09:00|1|Bea|x");
    ASSERT_EQ(last.messages.size(), 1u);
    EXPECT_TRUE(last.messages[0].starts_with("No se pudo guardar la cita: la cita ya no es la que se mostraba"));
    EXPECT_TRUE(last.handBackTyped);  // kept, as a new line now
    EXPECT_FALSE(last.entry.editing);
    EXPECT_EQ(Shown(), "Dora,Ana,Eva,Carla,31/12/2026");  // the table shows what the file holds
    EXPECT_EQ(ReadFile(folder / "2026.log"), file);
    const std::string changed = "la cita ya no es la que se mostraba";
    testing::WriteFile(folder / "2026.log", file.replace(2 * 155 + 30, 3, "Fea"));
    EXPECT_EQ(Enter("borrar 3").messages.at(0).find(kNotDeletedText + changed), 0u);
    EXPECT_EQ(Shown(), "Dora,Ana,Fea,Carla,31/12/2026");
    Enter("borrar 1");  // then another copy writes Dora back
    testing::WriteFile(folder / "2026.log", file);
    EXPECT_EQ(Enter("deshacer").messages.at(0).find(kNotUndoneText + changed), 0u);
    EXPECT_EQ(Enter("deshacer").messages, Strings{kNothingToUndoText});  // a step that can never succeed is dropped
}

// buscar, siguiente and anterior: a match on today comes first, the steps
// cross the years' files and stop at both ends with a box.
TEST_F(SessionTest, BuscarStartsFromTodayAndSteppingStopsAtBothEnds) {
    Store({"20/06/2025 10:00 PEÑA", "10/12/2026 09:00 Otro", "10/12/2026 12:00 Peña López", "31/12/2026 09:00 Peñalver",
           "05/01/2027 08:00 Jose Peña", "06/01/2027 08:00 Ana", "03/12/2026 10:00 JOSÉ"});
    ASSERT_TRUE(AppendAppointment(folder, "02/12/2026", "10:00", "612345678", "Bea", "").Stored());
    Open();
    Enter("buscar pena");
    EXPECT_EQ(Shown(), W("Peñalver,31/12/2026"));
    EXPECT_EQ(last.show->matchDays, (std::vector<CalendarDate>{{2025, 6, 20}, {2026, 12, 10}, {2026, 12, 31}, {2027, 1, 5}}));
    const std::tuple<const char*, const char*, std::string> steps[] = {
        {"siguiente", "Jose Peña,05/01/2027", ""}, {"siguiente", "", kNoLaterMatchText},
        {"anterior", "Peñalver,31/12/2026", ""}, {"anterior", "Otro,Peña López,10/12/2026", ""},
        {"anterior", "PEÑA,20/06/2025", ""}, {"anterior", "", kNoEarlierMatchText}};
    for (const auto& [line, shown, box] : steps) {
        Enter(line);
        EXPECT_EQ(last.show ? Shown() : "", W(shown)) << line;
        EXPECT_EQ(last.messages, box.empty() ? Strings{} : Strings{box}) << line;
    }
    Enter("10/12/2026");  // a day change keeps the marks
    EXPECT_EQ(last.show->matched.to_string().substr(kDaySlots - 2), "10");
    EXPECT_EQ(last.show->matchDays.size(), 4u);
    Enter("buscar");
    EXPECT_EQ(Shown(), W("Otro,Peña López,10/12/2026"));
    EXPECT_TRUE(last.show->matchDays.empty() && last.show->matched.none());
    EXPECT_EQ(Enter("siguiente").messages, Strings{kNoSearchText});

    Enter("BUSCAR 612 34");  // phone digits; only earlier matches: the last of them
    EXPECT_EQ(Shown(), "Bea,02/12/2026");
    Enter("buscar jose");
    Enter("04/12/2026|11:00|1|Josefa|");  // stored while the search is in force
    Enter("anterior");
    EXPECT_EQ(Shown(), "Josefa,04/12/2026");
    Enter("anterior");
    EXPECT_EQ(Shown(), W("JOSÉ,03/12/2026"));
    Enter("buscar   zzz  ");  // the spaces around the text are not looked for
    EXPECT_EQ(Shown(), W("JOSÉ,03/12/2026"));  // the day on display stays, its marks go
    EXPECT_TRUE(last.show->matchDays.empty() && last.show->matched.none());
    EXPECT_EQ(last.messages, Strings{"Ninguna cita contiene: zzz"});
}

// The live view: the shown day read again when its file changed on disk,
// with the search's marks and a pending edit kept; storing the edit is
// refused once another copy changed its record.
TEST_F(SessionRows, BookChangedOnDiskRedrawsTheDayKeepingMarksAndThePendingEdit) {
    Enter("buscar bea");
    Enter("editar 2");
    EXPECT_FALSE(session->BookChanged(true).show);  // nothing new: nothing drawn
    Store({"31/12/2026 07:00 Dora"});  // another copy; Bea now on row 3
    last = session->BookChanged(true);
    EXPECT_EQ(Shown(), "Dora,Ana,Bea,Carla,31/12/2026");
    EXPECT_EQ(last.show->matched.to_string().substr(kDaySlots - 4), "0100");
    EXPECT_TRUE(last.entry.editing && last.entry.row == 3 && !last.entryLine && last.messages.empty());
    const std::string file = ReadFile(folder / "2026.log").replace(2 * 155 + 30, 3, "Eva");
    testing::WriteFile(folder / "2026.log", file);  // Bea becomes Eva: no match left on the day
    EXPECT_TRUE(session->BookChanged(true).show->matchDays.empty());
    EXPECT_EQ(Enter("31/12/2026|09:00|1|Bea|x").messages.at(0).find(std::string(kNotStoredText) + "la cita ya no es"), 0u);
    EXPECT_TRUE(last.handBackTyped && !last.entry.editing);
    EXPECT_EQ(ReadFile(folder / "2026.log"), file);
    Store({"31/12/2026 11:00 Bea"});  // a match again
    EXPECT_EQ(session->BookChanged(false).show->matchDays, std::vector<CalendarDate>{today});
    fs::remove(folder / "2026.log");
    fs::create_directory(folder / "2026.log");  // a day that cannot be read keeps its mark
    last = session->BookChanged(false);
    EXPECT_FALSE(last.messages.empty());
    EXPECT_EQ(last.show->matchDays, std::vector<CalendarDate>{today});
    fs::remove(folder / "2026.log");
    EXPECT_EQ((last = session->BookChanged(false), Shown()), "31/12/2026");
}

// A row number in a line begun before the rows changed must still name the
// row it was typed for: if not, refused once with the line handed back.
TEST_F(SessionRows, RowNumbersTypedWhileTheRowsChangedAreRefusedWhenTheyNowNameAnother) {
    // Added by another copy, whether a line was begun, the line, its refusal,
    // the table or entry once the line is entered (twice when refused).
    const std::tuple<const char*, bool, const char*, const char*, const char*> cases[] = {
        {"07:00 Dora", true, "borrar 2", kNotDeletedText, "Dora,Bea,Carla,31/12/2026"},
        {"07:00 Dora", true, "editar 2", kNotEditedText, "31/12/2026|08:00|600111222|Ana|Asunto"},
        {"23:00 Zoe", true, "borrar 2", nullptr, "Ana,Carla,Zoe,31/12/2026"},
        {"07:00 Dora", false, "borrar 2", nullptr, "Dora,Bea,Carla,31/12/2026"}};
    for (const auto& [added, lineBegun, line, refusal, after] : cases) {
        testing::WriteFile(folder / "2026.log", stored);
        Enter("hoy");
        Store({(std::string("31/12/2026 ") + added).c_str()});
        session->BookChanged(lineBegun);
        if (refusal) {
            EXPECT_EQ(Enter(line).messages, Strings{std::string(refusal) + "la cita ya no es la que se mostraba: otra copia "
                                                    "del programa cambió el archivo 2026.log\n" + kRowsRedrawnText});
            EXPECT_TRUE(last.handBackTyped && !last.entryLine && !last.entry.editing) << line;
        }
        Enter(line);
        EXPECT_EQ(last.entryLine.value_or(Shown()), after) << line;
        session->CancelEdit();
    }
}

}  // namespace
}  // namespace quimbaro

namespace quimbaro {
namespace {

// semana, semana siguiente, semana anterior, imprimir and the double-booking box.
class SessionWeek : public SessionTest {
protected:
    // "DD/MM:names" per day of the week shown, then the shown day.
    std::string Week() {
        if (!last.showWeek || last.show) return "(no week drawn)";
        std::string text;
        for (const DayRows& day : last.showWeek->days) {
            text += day.key.substr(0, 5) + ":";
            for (std::size_t row = 0; row < day.rows.size(); ++row) {
                const std::string series = RepetitionOf(day, row);
                text += ReadField(day.rows[row].name) + (series.empty() ? "" : "(" + series + ")") + ",";
            }
            text += " ";
        }
        return text + "shown " + DayKey(last.showWeek->shown);
    }
};

// 31/12/2026 is a Thursday; its week runs from Monday 28/12 into 2027.
TEST_F(SessionWeek, SemanaShowsMondayToSundayMovesByWeeksAndAnyDayEndsIt) {
    Store({"27/12/2026 09:00 Antes", "28/12/2026 11:00 Lunes", "28/12/2026 09:00 Pronto", "03/01/2027 10:00 Domingo",
           "04/01/2027 10:00 Luego"});
    Open();
    const std::pair<const char*, const char*> steps[] = {
        {"semana", "28/12:Pronto,Lunes, 29/12: 30/12: 31/12: 01/01: 02/01: 03/01:Domingo, shown 31/12/2026"},
        {"Semana Siguiente", "04/01:Luego, 05/01: 06/01: 07/01: 08/01: 09/01: 10/01: shown 07/01/2027"},
        {"SEMANA anterior", "28/12:Pronto,Lunes, 29/12: 30/12: 31/12: 01/01: 02/01: 03/01:Domingo, shown 31/12/2026"},
        {"semana anterior", "21/12: 22/12: 23/12: 24/12: 25/12: 26/12: 27/12:Antes, shown 24/12/2026"},
    };
    for (const auto& [line, week] : steps) {
        EXPECT_EQ((Enter(line), Week()), week) << line;
        EXPECT_TRUE(last.messages.empty()) << line;
    }
    EXPECT_EQ(last.showWeek->today, today);
    EXPECT_EQ(session->ShownYearFiles(), std::vector{folder / "2026.log"});
    Enter("semana siguiente");  // 28/12/2026 to 03/01/2027: both years' files are watched
    EXPECT_EQ(session->ShownYearFiles(), (std::vector{folder / "2026.log", folder / "2027.log"}));
    Enter("semana anterior");
    Store({"22/12/2026 08:00 Fuera"});  // another copy writes into a day of the week shown
    EXPECT_EQ((last = session->BookChanged(false), Week()),
              "21/12: 22/12:Fuera, 23/12: 24/12: 25/12: 26/12: 27/12:Antes, shown 24/12/2026");
    Enter("27/12/2026|12:00|1|Nueva|x");  // a week on display shows what is stored in it
    EXPECT_EQ(Week(), "21/12: 22/12:Fuera, 23/12: 24/12: 25/12: 26/12: 27/12:Antes,Nueva, shown 24/12/2026");
    EXPECT_EQ(Enter("imprimir").requests, std::vector{Print});
    ASSERT_EQ(last.print.size(), 7u);
    EXPECT_EQ(last.print[6].rows.size(), 2u);
    EXPECT_FALSE(last.showWeek);
    Enter("semana");
    EXPECT_EQ(Enter("ayer").showWeek, std::nullopt);  // a day word ends the week
    EXPECT_EQ(Shown(), "30/12/2026");
    Enter("imprimir");
    ASSERT_EQ(last.print.size(), 1u);
    EXPECT_EQ(last.print[0].key, "30/12/2026");
    Enter("semana");
    EXPECT_EQ((Enter("28/12/2026"), Shown()), "Pronto,Lunes,28/12/2026");
    Enter("31/02/2026");  // a typed day the calendar does not have: its week cannot be counted
    EXPECT_EQ(Enter("semana").messages, Strings{kNoWeekText});
    EXPECT_FALSE(last.showWeek);
    fs::create_directory(folder / "2025.log");  // a year that cannot be read: told once, never printed empty
    Enter("05/01/2026");
    EXPECT_EQ(Enter("semana anterior").messages.size(), 1u);
    EXPECT_EQ(Week().substr(0, 12), "29/12: 30/12");
    for (const char* shown : {"semana", "29/12/2025"}) {
        Enter(shown);
        EXPECT_EQ(Enter("imprimir").messages.back(), kNotPrintedText) << shown;
        EXPECT_TRUE(last.requests.empty() && last.print.empty()) << shown;
    }
    Enter("cada año 01/01/2030|10:00|1|Serie|x");  // an occurrence names its series in the week and on paper
    EXPECT_EQ((Enter("01/01/2030"), Enter("semana"), Week()), "31/12: 01/01:Serie(anual), 02/01: 03/01: 04/01: 05/01: 06/01: shown 01/01/2030");
    for (const auto& [shown, day] : {std::pair{"semana", 1}, std::pair{"01/01/2030", 0}}) {
        Enter(shown);
        ASSERT_GT(Enter("imprimir").print.size(), std::size_t(day)) << shown;
        EXPECT_EQ(last.print[day].repetition, Strings{"anual"}) << shown;
    }
}

// Stored all the same, the other one named (which one: double_booking_test); the setting silences it.
TEST_F(SessionWeek, AppointmentAtATakenTimeIsStoredThenTheOtherOneIsNamed) {
    Store({"31/12/2026 10:00 Ana Peña", "30/12/2026 11:00 Bea"});
    Open();
    const std::pair<const char*, Strings> lines[] = {
        {"31/12/2026|10:00|1|Carla|Revisión", {"A las 10:00 ya está Ana Peña: Asunto"}},
        {"31/12/2026|11:00|1|Eva|x", {}},
        {"31/12/2026|11:00|1||", {"A las 11:00 ya está Eva: x"}},  // stored in this session
    };
    for (const auto& [line, messages] : lines) {
        EXPECT_EQ(Enter(line).messages, messages) << line;
        EXPECT_EQ(last.requests, std::vector{RecheckReminders}) << line;
    }
    Enter("30/12/2026");
    Enter("editar 1");  // Bea moves to 10:00 of the 31st, where Ana is
    EXPECT_EQ(Enter("31/12/2026|10:00|600111222|Bea|Asunto").messages, Strings{"A las 10:00 ya está Ana Peña: Asunto"});
    std::ofstream(settings.file) << "[Citas]\navisar_solapes=0\n";
    Open();
    EXPECT_EQ(Enter("31/12/2026|10:00|1|Carla|x").messages, Strings{});
    EXPECT_EQ(ReadFile(folder / "2026.log").size(), 7 * sizeof(Appointment));  // every one stored
}

}  // namespace
}  // namespace quimbaro
