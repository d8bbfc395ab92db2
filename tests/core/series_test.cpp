// Repeating appointments: the "cada" line, the occurrences among a day's
// rows, borrar/editar (serie) and deshacer on them, and the rules file.
#include <gtest/gtest.h>

#include "command/classify_line.h"
#include "command/row_commands.h"
#include "ical/book_import.h"
#include "reminders/today_records.h"
#include "repeat/rules_file.h"
#include "session_fixture.h"
#include "text/messages.h"

namespace quimbaro {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::W;
using enum LineAction;

TEST(SeriesLine, FormsAndTheirRepetition) {
    struct Case {
        const char* line;
        LineAction action;
        Repetition repetition;
    };
    const char* const kLine = "08/12/2026|10:00|600|Ana|Fisio";
    const Case cases[] = {
        {"cada semana ", AppendSeries, {Frequency::Weekly, 1, {}, 0}},
        {"CADA 2 Semanas ", AppendSeries, {Frequency::Weekly, 2, {}, 0}},
        {"cada día ", AppendSeries, {Frequency::Daily, 1, {}, 0}},
        {"cada 3 dias ", AppendSeries, {Frequency::Daily, 3, {}, 0}},
        {"cada mes hasta 31/12/2027 ", AppendSeries, {Frequency::Monthly, 1, CalendarDate{2027, 12, 31}, 0}},
        {"cada 12 meses 5 veces ", AppendSeries, {Frequency::Monthly, 12, {}, 5}},
        {"Cada Año 10 VECES ", AppendSeries, {Frequency::Yearly, 1, {}, 10}},
        {"cada 999 anos hasta 08/12/2026 ", AppendSeries, {Frequency::Yearly, 999, CalendarDate{2026, 12, 8}, 0}},
        {"cada ", BadSeries, {}},                      // no unit
        {"cada 0 semanas ", BadSeries, {}},            // interval out of 1..999
        {"cada 1000 semanas ", BadSeries, {}},
        {"cada quincena ", BadSeries, {}},
        {"cada semana hasta 07/12/2026 ", BadSeries, {}},  // ends before it starts
        {"cada semana hasta 31/02/2027 ", BadSeries, {}},  // no such day
        {"cada semana 0 veces ", BadSeries, {}},
        {"cada semana 10000 veces ", BadSeries, {}},
        {"cada semana hasta ", BadSeries, {}},
        {"cada  semana ", BadSeries, {}},              // two spaces
        {"cadasemana ", BadEntry, {}},
    };
    for (const Case& c : cases) {
        const std::string line = W(c.line) + kLine;
        const ClassifiedLine got = ClassifyLine(line);
        EXPECT_EQ(got.action, c.action) << line;
        if (c.action == AppendSeries) {
            EXPECT_EQ(got.repetition, c.repetition) << line;
            EXPECT_EQ(ReadField(got.appointment.name), "Ana") << line;
        }
    }
    EXPECT_EQ(ClassifyLine("cada semana 31/02/2026|10:00|1|A|B").action, BadSeries);
    EXPECT_EQ(ClassifyLine("cada semana 08/12/2026|10:00|1|A").action, BadSeries);
    const std::pair<const char*, std::pair<LineAction, int>> rows[] = {
        {"borrar serie 3", {DeleteSeries, 3}}, {"EDITAR SERIE 12", {EditSeries, 12}},
        {"borrar serie", {DeleteSeries, 0}},   {"editar serie x", {EditSeries, 0}},
        {"borrar series 3", {Delete, 0}}};
    for (const auto& [line, expected] : rows) {
        EXPECT_EQ(ClassifyLine(line).action, expected.first) << line;
        EXPECT_EQ(ClassifyLine(line).row, expected.second) << line;
    }
}

class SeriesSession : public SessionTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(AppendAppointment(folder, "08/12/2026", "11:00", "1", "Bea", "Visita").Stored());
        today = {2026, 12, 7};
        Open();
    }
    // "time name subject" of each row of the day shown, an * for an occurrence.
    std::string Show(const char* day) { return Enter(day), Rows(); }
    std::string Rows() {
        if (!last.show) return "(nothing drawn)";
        std::string rows;
        for (int row = 0; row < std::min(last.show->rows.kept, kDaySlots); ++row) {
            const Appointment& a = last.show->rows.slots[row];
            rows += ReadField(a.time) + " " + ReadField(a.name) + " " + ReadField(a.subject) +
                    (last.show->repeating.test(row) ? "*" : "") + ",";
        }
        return rows;
    }
};

// Each change says what it did, and deshacer puts back what was there.
TEST_F(SeriesSession, CadaBorrarEditarAndDeshacerOnOccurrences) {
    EXPECT_EQ(Enter("cada semana 08/12/2026|10:00|600|Ana|Fisio").messages,
              Strings{"Se guardó la serie semanal que empieza el 08/12/2026."});
    EXPECT_EQ(Show("08/12/2026"), "10:00 Ana Fisio*,11:00 Bea Visita,");  // sorted with the record
    EXPECT_EQ(Show("09/12/2026"), "");
    EXPECT_EQ(Show("15/12/2026"), "10:00 Ana Fisio*,");
    EXPECT_EQ(Enter("borrar 1").messages, Strings{"Se borró la cita del 15/12/2026 de la serie semanal."});
    EXPECT_EQ(Show("15/12/2026"), "");
    EXPECT_EQ(Show("22/12/2026"), "10:00 Ana Fisio*,");
    Show("15/12/2026");
    EXPECT_EQ(Enter("deshacer").messages, Strings{"Se deshizo el cambio de la serie semanal."});
    EXPECT_EQ(Rows(), "10:00 Ana Fisio*,");  // the day on display drawn again
    Session other(folder, [] { return CalendarDate{2026, 12, 7}; }, settings);  // another copy, same book
    other.Enter(W("cada semana 2 veces 16/12/2026|08:00|1|Eva|x"));
    EXPECT_FALSE(session->BookChanged(false).show);  // not on the day shown
    Enter("semana");  // the week shows the series, and what another copy added
    const auto rowsPerDay = [this] {
        std::string counts;
        for (const DayRows& day : last.showWeek.value().days) counts += std::to_string(day.rows.size());
        return counts;
    };
    EXPECT_EQ(rowsPerDay(), "0110000");
    other.Enter(W("16/12/2026"));
    other.Enter(W("borrar serie 1"));
    last = session->BookChanged(false);
    EXPECT_EQ(rowsPerDay(), "0100000");

    Show("22/12/2026");
    EXPECT_EQ(Enter("editar 1").entryLine, "22/12/2026|10:00|600|Ana|Fisio");
    EXPECT_TRUE(last.entry.editing);
    EXPECT_EQ(Enter("22/12/2026|11:00|600|Ana|Otra").messages,
              Strings{"La cita del 22/12/2026 ya no es de la serie semanal: se guardó aparte."});
    EXPECT_FALSE(last.entry.editing);
    EXPECT_EQ(Show("22/12/2026"), "11:00 Ana Otra,");
    EXPECT_EQ(Show("29/12/2026"), "10:00 Ana Fisio*,");
    Enter("deshacer");
    EXPECT_EQ(Show("22/12/2026"), "10:00 Ana Fisio*,");

    Show("29/12/2026");
    Enter("editar serie 1");
    EXPECT_EQ(Enter("29/12/2026|12:00|600|Ana|Nueva").messages,
              Strings{"Se cambió la serie semanal desde el 29/12/2026."});
    EXPECT_EQ(Show("22/12/2026"), "10:00 Ana Fisio*,");
    EXPECT_EQ(Show("29/12/2026"), "12:00 Ana Nueva*,");
    EXPECT_EQ(Show("05/01/2027"), "12:00 Ana Nueva*,");
    Enter("deshacer");
    EXPECT_EQ(Show("05/01/2027"), "10:00 Ana Fisio*,");

    EXPECT_EQ(Enter("borrar serie 1").messages,
              Strings{"Se terminó la serie semanal: ya no tiene citas desde el 05/01/2027."});
    EXPECT_EQ(Show("12/01/2027"), "");
    EXPECT_EQ(Show("29/12/2026"), "10:00 Ana Fisio*,");
    Enter("deshacer");
    EXPECT_EQ(Show("12/01/2027"), "10:00 Ana Fisio*,");
    Show("08/12/2026");
    EXPECT_EQ(Enter("borrar serie 2").messages, Strings{std::string(kNotSeriesRowText) + "2"});
    EXPECT_EQ(Enter("borrar serie 1").messages,
              Strings{"Se terminó la serie semanal: ya no tiene citas desde el 08/12/2026."});
    EXPECT_EQ(Show("12/01/2027"), "");
    EXPECT_EQ(ParseRules(ReadFile(folder / kRulesFileName)).series.size(), 0u);
    Enter("cada día 2 veces 09/12/2026|09:00|1|Eva|x");  // deshacer takes back a new series too
    EXPECT_EQ(Show("10/12/2026"), "09:00 Eva x*,");
    EXPECT_EQ(Enter("deshacer").messages, Strings{"Se deshizo el cambio de la serie diaria."});
    EXPECT_EQ(Show("10/12/2026"), "");
    Enter("cada semana 08/12/2026|10:00|600");
    EXPECT_EQ(last.messages, Strings{kBadSeriesText});
    EXPECT_TRUE(last.handBackTyped);
}

// An occurrence edited or deleted after another copy ended its series is left
// alone: the change is refused and the day drawn again as it now is.
TEST_F(SeriesSession, AChangeToAnOccurrenceAnotherCopyEndedIsRefusedAndTheDayRedrawn) {
    const std::string gone = "la serie ya no tiene esa cita (otra copia del programa la cambió)";
    Session other(folder, [] { return CalendarDate{2026, 12, 7}; }, settings);
    const auto otherEndsRowOne = [&] { other.Enter(W("15/12/2026")), other.Enter(W("borrar serie 1")); };
    Enter("cada semana 08/12/2026|10:00|600|Ana|Fisio");
    Show("15/12/2026");
    Enter("editar 1");
    otherEndsRowOne();
    Enter("15/12/2026|11:00|600|Ana|Otra");
    EXPECT_EQ(last.messages, Strings{"No se pudo guardar la cita: " + gone});
    EXPECT_TRUE(last.handBackTyped);
    EXPECT_EQ(Rows(), "");

    Enter("cada semana 15/12/2026|09:00|600|Eva|Fisio");
    Show("15/12/2026");
    otherEndsRowOne();
    Enter("borrar 1");
    EXPECT_EQ(last.messages, Strings{std::string(kNotDeletedText) + gone});
    EXPECT_EQ(Rows(), "");
}

// A count goes on in the split series less the days before the split; a
// monthly rule on the 31st skips the shorter months.
TEST_F(SeriesSession, CountsAndMonthEnds) {
    Enter("cada mes 3 veces 31/01/2027|08:00|1|Eva|Mes");
    EXPECT_EQ(Show("28/02/2027") + Show("31/03/2027") + Show("31/05/2027") + Show("31/07/2027"),
              "08:00 Eva Mes*,08:00 Eva Mes*,");
    Show("31/03/2027");
    Enter("editar serie 1");
    Enter("31/03/2027|09:00|1|Eva|Mes");
    EXPECT_EQ(Show("31/01/2027") + Show("31/03/2027") + Show("31/05/2027") + Show("31/07/2027"),
              "08:00 Eva Mes*,09:00 Eva Mes*,09:00 Eva Mes*,");
}

// buscar finds a series' next day from today and siguiente steps through
// its days; the reminders see today's occurrences.
TEST_F(SeriesSession, BuscarSiguienteAndRemindersFindOccurrences) {
    Enter("cada 2 semanas 01/12/2026|10:00|600|Lola|Fisio");
    Enter("buscar lola");
    EXPECT_EQ(DayKey(last.show->date), "15/12/2026");
    Enter("siguiente");
    EXPECT_EQ(DayKey(last.show->date), "29/12/2026");
    Enter("anterior");
    Enter("anterior");
    EXPECT_EQ(DayKey(last.show->date), "01/12/2026");
    TodayRecords today;
    ASSERT_TRUE(today.Refresh(folder, {2026, 12, 29}).Stored());
    ASSERT_EQ(today.Records().size(), 1u);
    EXPECT_EQ(ReadField(today.Records()[0].date), "29/12/2026");
    ASSERT_TRUE(today.Refresh(folder, {2026, 12, 8}).Stored());
    EXPECT_EQ(today.Records().size(), 1u);  // Bea only
}

// A damaged rules file is named once; the year's records still show and no
// change of the rules writes over it.
TEST_F(SeriesSession, DamagedRulesFileHidesOnlyItsSeries) {
    const std::string damaged = "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:x\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    testing::WriteFile(folder / kRulesFileName, damaged);
    Enter("08/12/2026");
    ASSERT_EQ(last.messages.size(), 1u);
    EXPECT_NE(last.messages[0].find(kRulesFileName), std::string::npos);
    EXPECT_EQ(Show("08/12/2026"), "11:00 Bea Visita,");
    EXPECT_EQ(last.messages, Strings{});
    Enter("cada semana 08/12/2026|10:00|600|Ana|Fisio");
    ASSERT_EQ(last.messages.size(), 1u);
    EXPECT_EQ(last.messages[0].find(kNotStoredText), 0u);
    EXPECT_EQ(ReadFile(folder / kRulesFileName), damaged);
    fs::remove(folder / kRulesFileName);
    fs::create_symlink("/etc/passwd", folder / kRulesFileName);
    EXPECT_FALSE(ReadRules(folder).Whole());
}

// What the file keeps comes back the same; an RRULE the book cannot keep is refused.
TEST(RulesFile, TextRoundTripAndRefusedRules) {
    const std::vector<Series> kept = {
        {"a", MakeAppointment("31/01/2027", "10:00", "6%0", W("Peña"), "x;y,z"), "FREQ=MONTHLY;COUNT=5",
         {{2027, 3, 31}}},
        {"b", MakeAppointment("29/02/2028", "tarde", "", "", ""), "FREQ=YEARLY;UNTIL=20400101;INTERVAL=2",
         {{6028, 2, 29}}}};  // a removed day after 3000, past what libical's own setter writes
    const RulesRead back = ParseRules(RulesText(kept));
    ASSERT_TRUE(back.Whole()) << back.problem;
    ASSERT_EQ(back.series.size(), 2u);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        EXPECT_EQ(back.series[i].uid, kept[i].uid);
        EXPECT_TRUE(SameBytes(back.series[i].first, kept[i].first));
        EXPECT_EQ(back.series[i].excluded, kept[i].excluded);
    }
    EXPECT_EQ(back.series[0].rule, "FREQ=MONTHLY;COUNT=5");
    EXPECT_EQ(back.series[1].rule, "FREQ=YEARLY;UNTIL=20400101;INTERVAL=2");
    for (const char* rule : {"FREQ=HOURLY", "FREQ=DAILY;BYHOUR=10", "FREQ=SOMETIMES", "FREQ=WEEKLY;INTERVAL=1000"}) {
        Series bad = kept[0];
        bad.rule = rule;
        EXPECT_FALSE(ParseRules(RulesText({bad})).Whole()) << rule;
    }
    Series noUid = kept[0], noDate = kept[0];  // nor one without its UID or its first day
    noUid.uid = "";
    noDate.first = MakeAppointment("", "10:00", "", "", "");
    for (const Series& bad : {noUid, noDate}) EXPECT_FALSE(ParseRules(RulesText({bad})).Whole()) << bad.uid;
}

// Another program's plain rule stays one series, its removed and replaced
// days skipped; a rule with BY-parts still comes as copies, an unknown one is refused.
TEST(SeriesImport, PlainRulesStayRulesOthersAreCopiesUnknownOnesRefused) {
    testing::TempFolder temp;
    const std::string text =
        "BEGIN:VCALENDAR\nBEGIN:VEVENT\nUID:a\nDTSTART:20261201T180000\nRRULE:FREQ=WEEKLY;UNTIL=20261229T170000\n"
        "EXDATE:20261208T180000\nSUMMARY:semanal\nEND:VEVENT\nBEGIN:VEVENT\nUID:a\nRECURRENCE-ID:20261215T180000\n"
        "DTSTART:20261216T190000\nSUMMARY:movida\nEND:VEVENT\nBEGIN:VEVENT\nUID:b\nDTSTART:20261201T100000\n"
        "RRULE:FREQ=DAILY;BYHOUR=10;COUNT=3\nSUMMARY:copias\nEND:VEVENT\nBEGIN:VEVENT\nUID:c\n"
        "DTSTART:20261201T100000\nRRULE:FREQ=SOMETIMES\nSUMMARY:rara\nEND:VEVENT\nEND:VCALENDAR\n";
    const auto options = ical::MakeImportOptions({2026, 12, 1}, {});
    ical::ImportReport report = ical::ImportCalendarText(temp.path(), text, options);
    EXPECT_EQ(report.series.added, 1);
    EXPECT_EQ(report.years["2026.log"].added, 4);  // the moved day and three copies
    EXPECT_EQ(report.mapped.refused.size(), 1u) << ical::ImportReportText(report);
    const RulesRead rules = ReadRules(temp.path());
    ASSERT_EQ(rules.series.size(), 1u);
    EXPECT_EQ(rules.series[0].rule, "FREQ=WEEKLY;UNTIL=20261228");
    EXPECT_EQ(rules.series[0].excluded, (std::vector<CalendarDate>{{2026, 12, 8}, {2026, 12, 15}}));
    EXPECT_EQ(AppointmentLineOf(rules.series[0].first), "01/12/2026|18:00|||semanal");
    EXPECT_EQ(ical::ImportCalendarText(temp.path(), text, options).series.alreadyThere, 1);
}

// A UID that would not read back (a bare CR inside it) gets one of ours, so
// the rules file stays whole and the book's series can still be changed.
TEST(SeriesImport, AUidThatWouldNotReadBackIsReplaced) {
    // A line end would end the property; an unknown escape reads as a space at the end, which is dropped.
    for (const std::string uid : {"a\rb", "ab\\c"}) {
        testing::TempFolder temp;
        const std::string text = "BEGIN:VCALENDAR\nBEGIN:VEVENT\nUID:" + uid + "\nDTSTART:20261201T180000\n"
                                 "RRULE:FREQ=WEEKLY;COUNT=3\nSUMMARY:s\nEND:VEVENT\nEND:VCALENDAR\n";
        EXPECT_EQ(ical::ImportCalendarText(temp.path(), text, ical::MakeImportOptions({2026, 12, 1}, {})).series.added, 1);
        const RulesRead rules = ReadRules(temp.path());
        ASSERT_TRUE(rules.Whole()) << rules.problem;
        ASSERT_EQ(rules.series.size(), 1u);
        EXPECT_TRUE(rules.series[0].uid.starts_with("quimbaro-serie-")) << uid;
        testing::TempFolder again;  // the same one each time: a sync maps the same file again and again
        ical::ImportCalendarText(again.path(), text, ical::MakeImportOptions({2026, 12, 1}, {}));
        EXPECT_EQ(ReadRules(again.path()).series.at(0).uid, rules.series[0].uid);
    }
}

}  // namespace
}  // namespace quimbaro
