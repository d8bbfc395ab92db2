// Two desks syncing through one vdir folder (as if the folder were the
// server): every way the two sides can change one appointment, files made
// elsewhere, runs with nothing new, and the state file's reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>

#include "book/change_record.h"
#include "ical/book_export.h"
#include "ical/book_import.h"
#include "ical/vdir_export.h"
#include "repeat/rules_file.h"
#include "repeat/series_change.h"
#include "sync/book_snapshot.h"
#include "sync/event_file.h"
#include "sync/sync_run.h"
#include "sync/unchanged_check.h"
#include "temp_folder.h"

namespace quimbaro::sync {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

const CalendarDate kToday{2026, 12, 1};

SyncState StateOf(const TempFolder& desk) {
    std::string error;
    const auto state = ParseSyncState(testing::ReadFile(desk.path() / kStateFileName), error);
    EXPECT_TRUE(state) << error;
    return state.value_or(SyncState{});
}

// Set back in time: a mark of this very moment is never trusted.
void Age(const TempFolder& folder) {
    const struct timespec past[2] = {{1700000000, 0}, {1700000000, 0}};
    for (const auto& e : fs::directory_iterator(folder.path())) utimensat(AT_FDCWD, e.path().c_str(), past, 0);
}

FileMark MarkNow(const fs::path& file) {
    struct stat info {};
    EXPECT_EQ(stat(file.c_str(), &info), 0) << file;
    return sync::MarkOf(info);
}

std::vector<fs::path> EventFiles(const TempFolder& folder) {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(folder.path()))
        if (e.path().extension() == ".ics") files.push_back(e.path());
    return files;
}

using Step = std::function<void(const TempFolder&)>;

struct Desks {
    TempFolder a, b, server;
    SyncReport Sync(const TempFolder& desk, std::string command = "") {
        return RunSync({desk.path(), server.path(), std::move(command), kToday});
    }
    // Each desk changes, then A, B and A again sync, as two desks meet; the
    // conflicts and the appointments the reports call added.
    std::pair<int, int> MeetAfter(const Step& atA, const Step& atB) {
        atA(a), atB(b);
        std::pair<int, int> told;
        for (const TempFolder* desk : {&a, &b, &a}) {
            const SyncReport report = Sync(*desk);
            EXPECT_FALSE(report.Failed()) << SyncReportText(report);
            told.first += report.counts.conflicts;
            told.second += report.counts.added;
        }
        return told;
    }
    // Settled: another sync at either desk has nothing more to do.
    void ExpectSettled() {
        for (const TempFolder* desk : {&a, &b}) {
            const SyncCounts n = Sync(*desk).counts;
            EXPECT_EQ(n.written + n.added + n.changed + n.deleted + n.conflicts + n.refused, 0);
        }
    }
};

void Add(const TempFolder& desk, const std::string& subject, const std::string& date = "07/12/2026") {
    ASSERT_TRUE(AppendAppointment(desk.path(), date, "09:30", "600111222", "Ana", subject).Stored());
}

StoredRecord Row(const TempFolder& desk, const std::string& subject) {
    DayList day;
    EXPECT_TRUE(LoadDay(desk.path(), "07/12/2026", SortOrder::EarliestFirst, day).Stored());
    for (int row = 1; row <= day.kept; ++row)
        if (ReadField(day.slots[row - 1].subject) == subject) return RowRecord(day, row);
    ADD_FAILURE() << subject << " is not in " << desk.path();
    return {};
}

void Edit(const TempFolder& desk, const std::string& from, const std::string& to) {
    const StoredRecord seen = Row(desk, from);
    Appointment changed = seen.record;
    StoreField(changed.subject, to);
    ASSERT_TRUE(ReplaceChange(desk.path(), seen, changed).result.Stored());
}

void Delete(const TempFolder& desk, const std::string& subject) {
    ASSERT_TRUE(DeleteChange(desk.path(), Row(desk, subject)).result.Stored());
}

std::vector<std::string> Subjects(const TempFolder& desk) {
    std::vector<std::string> subjects;
    for (const Appointment& r : ical::CollectBook(desk.path(), {}).records) subjects.push_back(ReadField(r.subject));
    std::sort(subjects.begin(), subjects.end());
    return subjects;
}

Step Edits(std::string to) { return [to](const TempFolder& d) { Edit(d, "Cita", to); }; }
Step Deletes() { return [](const TempFolder& d) { Delete(d, "Cita"); }; }
Step Adds(std::string what) { return [what](const TempFolder& d) { Add(d, what); }; }
Step Nothing() { return [](const TempFolder&) {}; }

TEST(Sync, EachPairOfChangesEndsTheSameOnBothDesksWithNothingLost) {
    struct Case {
        const char* name;
        Step a, b;  // A syncs first, then B, then A again
        std::vector<std::string> book;
        std::pair<int, int> conflictsAndAdded;
    } cases[] = {
        {"A edits", Edits("Nueva"), Nothing(), {"Nueva"}, {0, 0}},
        {"A deletes", Deletes(), Nothing(), {}, {0, 0}},
        {"B adds", Nothing(), Adds("Otra"), {"Cita", "Otra"}, {0, 1}},
        {"both edit: both kept", Edits("De A"), Edits("De B"), {"De A", "De B"}, {1, 2}},
        {"A edits, B deletes: the change wins", Edits("De A"), Deletes(), {"De A"}, {0, 1}},
        {"A deletes, B edits: the change wins", Deletes(), Edits("De B"), {"De B"}, {0, 1}},
        {"both delete", Deletes(), Deletes(), {}, {0, 0}},
        {"both make the same edit", Edits("Igual"), Edits("Igual"), {"Igual"}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Desks desks;
        Add(desks.a, "Cita");
        ASSERT_EQ(desks.Sync(desks.a).error, "");
        ASSERT_EQ(desks.Sync(desks.b).counts.added, 1);
        EXPECT_EQ(desks.MeetAfter(c.a, c.b), c.conflictsAndAdded);
        EXPECT_EQ(Subjects(desks.a), c.book);
        EXPECT_EQ(Subjects(desks.b), c.book);
        desks.ExpectSettled();
    }
}

// A file of another program: one event, its UID, then the given lines.
std::string ForeignEvent(const std::string& uid, const std::string& lines) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20261201T000000Z\r\n" +
           lines + "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

TEST(Sync, AnEventMadeElsewhereIsFollowedByItsUidAndKeepsWhatTheBookDoesNotMap) {
    Desks desks;
    const std::string event = ForeignEvent(
        "phone-1", "DTSTART:20261207T100000\r\nDTEND:20261207T110000\r\nLOCATION:Consulta 2\r\nSUMMARY:Cita\r\n");
    testing::WriteFile(desks.server.path() / "phone-1.ics", event);
    ASSERT_TRUE(AppendAppointment(desks.a.path(), "07/12/2026", "10:00", "", "Bea", "Otra").Stored());  // its hour
    const SyncReport first = desks.Sync(desks.a);
    EXPECT_EQ(first.counts.added, 1);
    EXPECT_EQ(first.counts.clashes, 1);
    EXPECT_NE(SyncReportText(first).find("\n1 citas traídas a una hora que otra cita del día ya tiene."), std::string::npos);
    Delete(desks.a, "Otra");
    desks.Sync(desks.a);
    std::string renamed = event;  // changed there: it does not clash with its own old version
    renamed.replace(renamed.find("SUMMARY:Cita"), 12, "SUMMARY:Nota");
    testing::WriteFile(desks.server.path() / "phone-1.ics", renamed);
    const SyncCounts changed = desks.Sync(desks.a).counts;
    EXPECT_EQ(std::pair(changed.changed, changed.clashes), std::pair(1, 0));
    testing::WriteFile(desks.server.path() / "phone-1.ics", event);
    desks.Sync(desks.a);
    Edit(desks.a, "Cita", "Cambiada");
    EXPECT_EQ(desks.Sync(desks.a).counts.written, 1);
    const std::string now = testing::ReadFile(desks.server.path() / "phone-1.ics");
    for (const char* kept : {"UID:phone-1", "LOCATION:Consulta 2", "DTEND:20261207T110000", "SUMMARY:Cambiada"})
        EXPECT_NE(now.find(kept), std::string::npos) << kept << " not in\n" << now;
    EXPECT_EQ(std::count_if(fs::directory_iterator(desks.server.path()), {},
                            [](const auto& e) { return e.path().extension() == ".ics"; }), 1);
    const StoredRecord seen = Row(desks.a, "Cambiada");  // an hour later: its end moves with it
    Appointment later = seen.record;
    StoreField(later.time, "11:00");
    ASSERT_TRUE(ReplaceChange(desks.a.path(), seen, later).result.Stored());
    desks.Sync(desks.a);
    const std::string moved = testing::ReadFile(desks.server.path() / "phone-1.ics");
    for (const char* wanted : {"DTSTART:20261207T110000\r\n", "DTEND:20261207T120000\r\n"})
        EXPECT_NE(moved.find(wanted), std::string::npos) << wanted << " not in\n" << moved;
    EXPECT_EQ(moved.find("DTEND", moved.find("DTEND") + 1), std::string::npos) << moved;
    desks.Sync(desks.a);  // the server took our change: a deletion now is the server's own
    fs::remove(desks.server.path() / "phone-1.ics");
    EXPECT_EQ(desks.Sync(desks.a).counts.deleted, 1);
    EXPECT_EQ(Subjects(desks.a), std::vector<std::string>{});
}

// A change here touches in another program's event only the properties it
// changed: a start in its own zone stays as written when only the subject
// changed; the start and end are written anew when the time changed.
TEST(Sync, AChangeHereRewritesOnlyTheChangedPropertiesOfAnEventMadeElsewhere) {
    Desks desks;
    const std::string event = ForeignEvent("phone-3",
                                           "DTSTART;TZID=Europe/Madrid:20261207T100000\r\n"
                                           "DTEND;TZID=Europe/Madrid:20261207T110000\r\nSUMMARY:Cita\r\n");
    const fs::path file = desks.server.path() / "phone-3.ics";
    testing::WriteFile(file, event);
    ASSERT_EQ(desks.Sync(desks.a).counts.added, 1);
    desks.Sync(desks.a);
    Edit(desks.a, "Cita", "Revision");
    EXPECT_EQ(desks.Sync(desks.a).counts.written, 1);
    const std::string renamed = testing::ReadFile(file);
    for (const char* kept : {"DTSTART;TZID=Europe/Madrid:20261207T100000\r\n", "DTEND;TZID=Europe/Madrid:20261207T110000\r\n",
                             "SUMMARY:Revision\r\n"})
        EXPECT_NE(renamed.find(kept), std::string::npos) << kept << " not in\n" << renamed;
    EXPECT_EQ(renamed.find("SUMMARY:Cita"), std::string::npos) << renamed;
}

// What the book holds but does not show, and a file that is no longer a plain
// file or gives more than a file may, are left as they are on both sides.
TEST(Sync, WhatCannotBeTakenWholeIsLeftAsItIsOnBothSides) {
    {
        SCOPED_TRACE("a record of another year in a year file: never sent");
        Desks desks;
        Add(desks.a, "Cita");
        Appointment stray = MakeAppointment("07/12/2027", "09:00", "", "", "Extraviada");
        std::string bytes = testing::ReadFile(desks.a.path() / "2026.log");
        bytes.append(reinterpret_cast<const char*>(&stray), sizeof stray);
        testing::WriteFile(desks.a.path() / "2026.log", bytes);
        EXPECT_EQ(desks.Sync(desks.a).counts.written, 1);
        EXPECT_EQ(EventFiles(desks.server).size(), 1u);
    }
    std::string many = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n";  // 201 events of 1,000 occurrences
    for (int i = 0; i <= 200; ++i)
        many += "BEGIN:VEVENT\r\nUID:m" + std::to_string(i) + "\r\nDTSTAMP:20261201T000000Z\r\nDTSTART:20261207T080000\r\n"
                "RRULE:FREQ=MINUTELY;COUNT=1000\r\nSUMMARY:Muchas\r\nEND:VEVENT\r\n";
    many += "END:VCALENDAR\r\n";
    const struct {
        const char* name;
        std::function<void(const fs::path&)> replace;
    } cases[] = {
        {"replaced by a link", [](const fs::path& f) { fs::remove(f), fs::create_symlink("/etc/hostname", f); }},
        {"replaced by a folder", [](const fs::path& f) { fs::remove(f), fs::create_directory(f); }},
        {"giving more records than a file may", [&](const fs::path& f) { testing::WriteFile(f, many); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Desks desks;
        Add(desks.a, "Cita");
        for (int i = 0; i < 2; ++i) desks.Sync(desks.a);
        c.replace(EventFiles(desks.server).empty() ? fs::path() : EventFiles(desks.server).at(0));
        const SyncReport report = desks.Sync(desks.a);
        EXPECT_EQ(report.error, "");
        EXPECT_GE(report.counts.refused, 1);
        EXPECT_EQ(report.counts.deleted + report.counts.changed + report.counts.added, 0);
        EXPECT_EQ(Subjects(desks.a), std::vector<std::string>{"Cita"});
    }
}

// Each series as "subject rule -removed days", sorted.
std::vector<std::string> SeriesOf(const TempFolder& desk) {
    std::vector<std::string> all;
    const RulesRead rules = ReadRules(desk.path());
    EXPECT_TRUE(rules.Whole()) << rules.problem;
    for (const Series& s : rules.series) {
        all.push_back(ReadField(s.first.subject) + " " + s.rule);
        for (const CalendarDate& day : s.excluded) all.back() += " -" + DayKey(day);
    }
    std::sort(all.begin(), all.end());
    return all;
}

std::string OnlySeriesUid(const TempFolder& desk) {
    const RulesRead rules = ReadRules(desk.path());
    return rules.series.size() == 1 ? rules.series[0].uid : "";
}

Step Skips(int day) {
    return [day](const TempFolder& d) { ASSERT_TRUE(SkipOccurrence(d.path(), {OnlySeriesUid(d), {2026, 12, int16_t(day)}, ""}).Done()); };
}
Step Ends() {
    return [](const TempFolder& d) { ASSERT_TRUE(EndSeriesBefore(d.path(), {OnlySeriesUid(d), {2026, 12, 7}, ""}).Done()); };
}

TEST(Sync, ASeriesTravelsAsOneFileAndEachPairOfChangesEndsTheSameOnBothDesks) {
    const std::string rule = "Fisio FREQ=WEEKLY;COUNT=4";
    struct Case {
        const char* name;
        Step a, b;
        std::vector<std::string> series;
        std::pair<int, int> conflictsAndAdded;
    } cases[] = {
        {"A skips a day", Skips(14), Nothing(), {rule + " -14/12/2026"}, {0, 0}},
        {"B ends it", Nothing(), Ends(), {}, {0, 0}},
        {"both change: both kept", Skips(14), Skips(21), {rule + " -14/12/2026", rule + " -21/12/2026"}, {1, 2}},
        {"A ends it, B changes it: the change wins", Ends(), Skips(21), {rule + " -21/12/2026"}, {0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Desks desks;
        ASSERT_TRUE(AddSeries(desks.a.path(), MakeAppointment("07/12/2026", "10:00", "", "Ana", "Fisio"), {Frequency::Weekly, 1, {}, 4}).Done());
        ASSERT_EQ(desks.Sync(desks.a).error, "");
        const std::vector<fs::path> files = EventFiles(desks.server);
        ASSERT_EQ(files.size(), 1u);
        const std::string bytes = testing::ReadFile(files[0]);
        for (const std::string& held : {std::string("RRULE:FREQ=WEEKLY;COUNT=4"), "UID:" + OnlySeriesUid(desks.a)})
            EXPECT_NE(bytes.find(held), std::string::npos) << held << " not in\n" << bytes;
        ASSERT_EQ(desks.Sync(desks.b).counts.added, 1);
        EXPECT_EQ(SeriesOf(desks.b), std::vector<std::string>{rule});
        EXPECT_EQ(Subjects(desks.b), std::vector<std::string>{});  // no loose copies
        EXPECT_EQ(desks.MeetAfter(c.a, c.b), c.conflictsAndAdded);
        EXPECT_EQ(SeriesOf(desks.a), c.series);
        EXPECT_EQ(SeriesOf(desks.b), c.series);
        EXPECT_EQ(EventFiles(desks.server).size(), c.series.size());
        desks.ExpectSettled();
    }
}

// A run cut short once the rules file held a series from the folder, before
// its state said so, leaves the state it found with that series noted as
// incoming. Whatever the series' file does meanwhile, the book's copy is the
// file's: it follows the file and never goes back out as a change made here.
TEST(Sync, ASeriesARunCutShortBroughtInFollowsItsFileAfterwards) {
    const std::string rule = "Fisio FREQ=WEEKLY;COUNT=4";
    const struct {
        const char* name;
        bool knownBefore;  // B had synced the series before the run cut short
        Step thereMeanwhile;
        std::vector<std::string> series;
    } cases[] = {
        {"new to B, then changed at A", false, Skips(21), {rule + " -21/12/2026"}},
        {"new to B, then deleted at A", false, Ends(), {}},
        {"changed at A, taken, changed at A again", true, Skips(21), {rule + " -14/12/2026 -21/12/2026"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Desks desks;
        ASSERT_TRUE(AddSeries(desks.a.path(), MakeAppointment("07/12/2026", "10:00", "", "Ana", "Fisio"), {Frequency::Weekly, 1, {}, 4}).Done());
        desks.Sync(desks.a);
        if (c.knownBefore) {
            desks.Sync(desks.b);
            Skips(14)(desks.a);
            desks.Sync(desks.a);
        }
        const bool synced = fs::exists(desks.b.path() / kStateFileName);
        const SyncState before = synced ? StateOf(desks.b) : SyncState{fs::canonical(desks.server.path()).string(), {}};
        ASSERT_FALSE(desks.Sync(desks.b).Failed());
        const RulesRead brought = ReadRules(desks.b.path());
        ASSERT_EQ(brought.series.size(), 1u);
        SyncState cut = before;
        cut.incomingSeries.push_back({brought.series[0].uid, SeriesDigest(brought.series[0])});
        testing::WriteFile(desks.b.path() / kStateFileName, FormatSyncState(cut));
        c.thereMeanwhile(desks.a);
        desks.Sync(desks.a);
        const SyncReport after = desks.Sync(desks.b);
        EXPECT_FALSE(after.Failed()) << SyncReportText(after);
        EXPECT_EQ(after.counts.conflicts, 0);
        desks.Sync(desks.a);
        EXPECT_EQ(SeriesOf(desks.b), c.series);
        EXPECT_EQ(SeriesOf(desks.a), c.series);
        EXPECT_EQ(StateOf(desks.b).incomingSeries, std::vector<SyncedSeries>{});
        desks.ExpectSettled();
    }
}

TEST(Sync, ARepeatingEventMadeElsewhereIsASeriesThatItsFileChangesAndEnds) {
    Desks desks;
    const std::string event = ForeignEvent("phone-2",
                                           "DTSTART:20261207T100000\r\nDTEND:20261207T110000\r\nLOCATION:Sala\r\n"
                                           "RRULE:FREQ=WEEKLY;COUNT=3\r\nSUMMARY:Yoga\r\n");
    const fs::path file = desks.server.path() / "phone-2.ics";
    testing::WriteFile(file, event);
    EXPECT_EQ(desks.Sync(desks.a).counts.added, 1);
    EXPECT_EQ(SeriesOf(desks.a), std::vector<std::string>{"Yoga FREQ=WEEKLY;COUNT=3"});
    EXPECT_EQ(OnlySeriesUid(desks.a), "phone-2");
    EXPECT_EQ(Subjects(desks.a), std::vector<std::string>{});
    std::string changed = event;
    testing::WriteFile(file, changed.replace(changed.find("COUNT=3"), 7, "COUNT=5"));
    EXPECT_EQ(desks.Sync(desks.a).counts.changed, 1);
    EXPECT_EQ(SeriesOf(desks.a), std::vector<std::string>{"Yoga FREQ=WEEKLY;COUNT=5"});
    Skips(14)(desks.a);  // written back into its own file, keeping what the book does not map
    EXPECT_EQ(desks.Sync(desks.a).counts.written, 1);
    const std::string now = testing::ReadFile(file);
    for (const char* kept : {"UID:phone-2", "LOCATION:Sala", "DTEND:20261207T110000", "RRULE:FREQ=WEEKLY;COUNT=5\r\n",
                             "EXDATE:20261214T100000\r\n"})  // a floating start: the removed day floats too
        EXPECT_NE(now.find(kept), std::string::npos) << kept << " not in\n" << now;
    desks.Sync(desks.a);  // the server took it
    fs::remove(file);
    EXPECT_EQ(desks.Sync(desks.a).counts.deleted, 1);
    EXPECT_EQ(SeriesOf(desks.a), std::vector<std::string>{});
}

// RFC 5545: a rule's end is in the form of its start. A floating start keeps
// a floating end when a day is removed here; a start in a zone gets its end
// in UTC.
TEST(Sync, ASeriesWrittenBackKeepsItsEndInTheFormOfItsStart) {
    const struct {
        const char* start;
        const char* until;
        const char* written;
    } cases[] = {
        {"DTSTART:20261207T100000", "20261228T100000", "UNTIL=20261228T235959"},  // the end of its last day
        {"DTSTART;TZID=Europe/Madrid:20261207T100000", "20261228T090000Z", "UNTIL=20261228T"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        Desks desks;
        const fs::path file = desks.server.path() / "phone-4.ics";
        testing::WriteFile(file, ForeignEvent("phone-4", std::string(c.start) + "\r\nRRULE:FREQ=WEEKLY;UNTIL=" + c.until +
                                                             "\r\nSUMMARY:Yoga\r\n"));
        ASSERT_EQ(desks.Sync(desks.a).counts.added, 1);
        Skips(14)(desks.a);
        EXPECT_EQ(desks.Sync(desks.a).counts.written, 1);
        const std::string now = testing::ReadFile(file);
        const std::size_t rule = now.find("RRULE:");
        ASSERT_NE(rule, std::string::npos) << now;
        const std::string line = now.substr(rule, now.find("\r\n", rule) - rule);
        EXPECT_NE(line.find(c.written), std::string::npos) << line;
        EXPECT_EQ(line.ends_with("Z"), std::string_view(c.start).find("TZID") != std::string_view::npos) << line;
    }
}

TEST(Sync, TheVdirExportWritesEachSeriesAsOneFileThatASyncTakesAsTheBooksOwn) {
    Desks desks;
    Add(desks.a, "Cita");
    ASSERT_TRUE(AddSeries(desks.a.path(), MakeAppointment("07/12/2026", "10:00", "", "", "Yoga"), {Frequency::Weekly, 2, {}, 3}).Done());
    const auto exportVdir = [&] { return ical::ExportBookToVdir(desks.a.path(), {}, desks.server.path(), ical::MakeImportOptions(kToday, {})); };
    EXPECT_EQ(exportVdir().written, 2);
    const std::string series = testing::ReadFile(desks.server.path() / ical::SeriesFileName(OnlySeriesUid(desks.a)));
    EXPECT_NE(series.find("RRULE:FREQ=WEEKLY;COUNT=3;INTERVAL=2"), std::string::npos) << series;
    const SyncCounts n = desks.Sync(desks.a).counts;
    EXPECT_EQ(n.written + n.added + n.conflicts + n.refused, 0);
    testing::WriteFile(desks.a.path() / kRulesFileName, "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    EXPECT_NE(exportVdir().error, "");  // nothing written: its files would go as no longer in the book
    EXPECT_EQ(EventFiles(desks.server).size(), 2u);
    const SyncReport damaged = desks.Sync(desks.a);
    EXPECT_EQ(damaged.counts.written, 0);
    EXPECT_NE(SyncReportText(damaged).find(kRulesFileName), std::string::npos) << SyncReportText(damaged);
}

// Marks that still hold are trusted, but any change to any of them, or a
// new file, is seen.
TEST(Sync, ASyncWithNothingNewReadsNothingButSeesEveryKindOfChange) {
    const std::string other = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VEVENT\r\nUID:n\r\nDTSTAMP:20261201T000000Z\r\n"
                              "DTSTART:20261207T100000\r\nSUMMARY:Nueva\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    // A year file last written at the very moment its mark is taken, then
    // changed in place within that moment: its size, time and inode all stay.
    const time_t later = time(nullptr) + 3600;
    const auto sameMoment = [later](const TempFolder& desk) {
        const struct timespec moment[2] = {{later, 0}, {later, 0}};
        utimensat(AT_FDCWD, (desk.path() / "2026.log").c_str(), moment, 0);
    };
    struct Case {
        const char* name;
        Step change;
        std::vector<std::string> book;
        std::vector<std::string> series;
        bool inTheSameMoment = false;
    } cases[] = {
        {"a deletion in place", Deletes(), {}, {}},
        {"a deletion in place in the same moment", Deletes(), {}, {}, true},
        {"a new file", [&](const TempFolder& server) { testing::WriteFile(server.path() / "n.ics", other); }, {"Cita", "Nueva"}, {}},
        {"a file changed", [&](const TempFolder& server) {
             const fs::path file = EventFiles(server).at(0);
             std::string bytes = testing::ReadFile(file);
             testing::WriteFile(file, bytes.replace(bytes.find("SUMMARY:Ana: Cita"), 17, "SUMMARY:Ana: Otra"));
         }, {"Ana: Otra"}, {}},
        {"a new series", [](const TempFolder& d) {
             ASSERT_TRUE(AddSeries(d.path(), MakeAppointment("07/12/2026", "", "", "", "Yoga"), {Frequency::Daily, 1, {}, 2}).Done());
         }, {"Cita"}, {"Yoga FREQ=DAILY;COUNT=2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Desks desks;
        Add(desks.a, "Cita");
        for (int i = 0; i < 2; ++i) desks.Sync(desks.a);
        Age(desks.a), Age(desks.server);
        if (c.inTheSameMoment) sameMoment(desks.a);
        desks.Sync(desks.a);  // notes the marks as they are now
        const FileMark mark = c.inTheSameMoment ? FileMark{} : MarkNow(desks.a.path() / "2026.log");
        EXPECT_EQ(StateOf(desks.a).dataMarks, (std::vector<std::pair<std::string, FileMark>>{{"2026.log", mark}}));
        const fs::path state = desks.a.path() / kStateFileName;
        const auto noted = fs::last_write_time(state);
        desks.Sync(desks.a);
        ASSERT_EQ(fs::last_write_time(state), noted);
        c.change(std::string(c.name).find("file") == std::string::npos ? desks.a : desks.server);
        if (c.inTheSameMoment) sameMoment(desks.a);
        for (int i = 0; i < 2; ++i) ASSERT_FALSE(desks.Sync(desks.a).Failed());
        EXPECT_EQ(desks.Sync(desks.b).error, "");
        for (const TempFolder* desk : {&desks.a, &desks.b}) {
            EXPECT_EQ(Subjects(*desk), c.book);
            EXPECT_EQ(SeriesOf(*desk), c.series);
        }
    }
}

// A run cut short leaves old versions to delete, or records it added that no
// file took: the next sync deletes them though no file changed since.
TEST(Sync, WhatARunCutShortLeftToDeleteGoesAtTheNextSyncWithNothingNew) {
    for (const bool retire : {true, false}) {
        SCOPED_TRACE(retire ? "old version" : "record added");
        Desks desks;
        Add(desks.a, "Cita");
        for (int i = 0; i < 2; ++i) desks.Sync(desks.a);
        Age(desks.a), Age(desks.server);
        desks.Sync(desks.a);
        Add(desks.a, "Suelta");
        Age(desks.a);
        const StoredRecord loose = Row(desks.a, "Suelta");
        SyncState state = StateOf(desks.a);
        state.dataMarks = {{"2026.log", MarkNow(desks.a.path() / "2026.log")}};
        const SyncedRecord left{"2026.log", retire ? int64_t(loose.offset) : -1, RecordDigest(loose.record)};
        (retire ? state.retire : state.incoming).push_back(left);
        testing::WriteFile(desks.a.path() / kStateFileName, FormatSyncState(state));
        EXPECT_FALSE(desks.Sync(desks.a).Failed());
        EXPECT_EQ(Subjects(desks.a), std::vector<std::string>{"Cita"});
    }
}

TEST(Sync, ASyncWithNothingNewTouchesNoFileAndAFailedCommandLeavesTheBook) {
    Desks desks;
    Add(desks.a, "Cita");
    Age(desks.a);  // else a book written this very tick keeps every sync from trusting its marks
    desks.Sync(desks.a);
    desks.Sync(desks.a);  // with no command, our write is taken as the server's at the next sync
    const auto stamp = [&] {
        std::vector<fs::file_time_type> times{fs::last_write_time(desks.a.path() / kStateFileName)};
        for (const auto& e : fs::directory_iterator(desks.server.path())) times.push_back(fs::last_write_time(e));
        return times;
    };
    const auto before = stamp();
    const SyncReport again = desks.Sync(desks.a);
    EXPECT_NE(SyncReportText(again).find(" 0 archivos escritos, 0 citas añadidas, 0 cambiadas, 0 borradas, 0 conflictos"),
              std::string::npos);
    EXPECT_EQ(stamp(), before);

    const fs::path ours = *std::find_if(fs::directory_iterator(desks.server.path()), {},
                                        [](const auto& e) { return e.path().extension() == ".ics"; });
    std::string bytes = testing::ReadFile(ours);  // a new event, and ours changed
    testing::WriteFile(desks.server.path() / "copia.ics", bytes);
    testing::WriteFile(ours, bytes.replace(bytes.find("SUMMARY:Ana: Cita"), 17, "SUMMARY:Ana: Otra"));
    const SyncReport failed = desks.Sync(desks.a, "echo el servidor no contesta >&2; exit 3");
    EXPECT_TRUE(failed.commandFailed);
    EXPECT_NE(SyncReportText(failed).find("el servidor no contesta"), std::string::npos);
    EXPECT_EQ(Subjects(desks.a), std::vector<std::string>{"Cita"});
}

// Every file changed there replaces its old version here in the one sync.
TEST(Sync, SeveralFilesChangedThereAreAllTakenInOneSync) {
    Desks desks;
    for (const char* subject : {"Uno", "Dos", "Tres"}) Add(desks.a, subject);
    for (int i = 0; i < 2; ++i) desks.Sync(desks.a);
    for (const fs::path& file : EventFiles(desks.server)) {
        std::string bytes = testing::ReadFile(file);
        for (std::size_t at; (at = bytes.find("Ana")) != std::string::npos;) bytes.replace(at, 3, "Eva");
        testing::WriteFile(file, bytes);
    }
    EXPECT_EQ(desks.Sync(desks.a).counts.changed, 3);
    std::vector<std::string> names;
    for (const Appointment& r : ical::CollectBook(desks.a.path(), {}).records) names.push_back(ReadField(r.name));
    EXPECT_EQ(names, (std::vector<std::string>{"Eva", "Eva", "Eva"}));
}

// What a sync wrote is ours until the next sync finds it landed: a file
// changed before then was changed on both sides, and both versions stay.
TEST(Sync, OurWriteChangedBeforeItLandedKeepsBothVersions) {
    Desks desks;
    Add(desks.a, "Cita");
    for (int i = 0; i < 2; ++i) desks.Sync(desks.a);
    Edit(desks.a, "Cita", "Nuestra");
    ASSERT_EQ(desks.Sync(desks.a).counts.written, 1);
    const fs::path file = EventFiles(desks.server).at(0);
    std::string bytes = testing::ReadFile(file);  // the server's version: every "Nuestra" in it is "Suya"
    for (std::size_t at; (at = bytes.find("Nuestra")) != std::string::npos;) bytes.replace(at, 7, "Suya");
    testing::WriteFile(file, bytes);
    EXPECT_EQ(desks.Sync(desks.a).counts.conflicts, 1);
    EXPECT_EQ(Subjects(desks.a), (std::vector<std::string>{"Nuestra", "Suya"}));
    EXPECT_EQ(EventFiles(desks.server).size(), 2u);
}

// A pass alone (a sync runs two, and the second forgets what the first left):
// the state it leaves names exactly the folder's files.
TEST(SyncPass, AFileRemovedOrReplacedInAPassIsForgottenInThatPass) {
    const struct {
        const char* what;
        Step here;
        bool fileGone;
        std::size_t filesLeft;
    } cases[] = {{"edited, its file gone: sent as a new file", Edits("Nueva"), true, 1},
                 {"deleted here: its file removed", Deletes(), false, 0},
                 {"its file gone: deleted here", Nothing(), true, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Desks desks;
        Add(desks.a, "Cita");
        for (int i = 0; i < 2; ++i) desks.Sync(desks.a);  // the second takes our file as the server's
        if (c.fileGone) fs::remove(EventFiles(desks.server).at(0));
        c.here(desks.a);
        const int data = open(desks.a.path().c_str(), O_RDONLY | O_DIRECTORY);
        const int vdir = open(desks.server.path().c_str(), O_RDONLY | O_DIRECTORY);
        const PassPlace place{desks.a.path(), data, fs::canonical(desks.server.path()).string(), vdir,
                              ical::MakeImportOptions(kToday, {})};
        SyncState state;
        SyncCounts counts;
        std::string error;
        EXPECT_TRUE(LoadState(place, state, error)) << error;
        EXPECT_EQ(RunPass(place, PassMode::Both, Confirm::No, state, counts), "");
        close(data), close(vdir);
        std::set<std::string> named, files;
        for (const SyncEntry& entry : state.entries) named.insert(entry.name);
        for (const fs::path& file : EventFiles(desks.server)) files.insert(file.filename());
        EXPECT_EQ(named, files);
        EXPECT_EQ(files.size(), c.filesLeft);
    }
}

// A killed sync leaves temporary files: the next one clears its own, under
// the locks it holds, and nothing else (the settings are written beside the
// state without that lock; another tool's names are its own).
TEST(Sync, ASyncClearsOnlyTheTemporaryFilesAKilledSyncLeft) {
    Desks desks;
    const std::string state = ".quimbaro-sync-tmp-0123456789ab", event = ".quimbaro-tmp-0123456789ab";
    const std::vector<std::string> dataKept = {event, ".quimbaro-sync-tmp-0123456789AB", ".quimbaro-sync-tmp-0123"};
    for (const std::string& name : dataKept) testing::WriteFile(desks.a.path() / name, "x");
    testing::WriteFile(desks.a.path() / state, "quimbaro-sync 1\n");
    testing::WriteFile(desks.server.path() / event, "BEGIN:VCALENDAR");
    testing::WriteFile(desks.server.path() / ".otra-herramienta-tmp", "x");
    Add(desks.a, "Cita");
    ASSERT_FALSE(desks.Sync(desks.a).Failed());
    EXPECT_FALSE(fs::exists(desks.a.path() / state));
    EXPECT_FALSE(fs::exists(desks.server.path() / event));
    for (const std::string& name : dataKept) EXPECT_TRUE(fs::exists(desks.a.path() / name)) << name;
    EXPECT_TRUE(fs::exists(desks.server.path() / ".otra-herramienta-tmp"));
    EXPECT_EQ(EventFiles(desks.server).size(), 1u);
}

TEST(SyncState, ReadsWhatItWritesAndRefusesAnythingElse) {
    SyncState state{"/x y", {{"a b%.ics", "ab12", {10, 20, 30}, Pending::Write, "", {{"2026.log", 155, 0xfeed}, {"2027.log", -1, 1}}}},
                    {{"2026.log", 310, 7}}, {{"2027.log", -1, 8}}, {{"serie uno", 0xabc}}};
    std::string error;
    EXPECT_EQ(ParseSyncState(FormatSyncState(state), error), state);
    for (const char* bad : {"", "otra cosa\n", "quimbaro-sync 1\nR 2026.log 0 1\n", "quimbaro-sync 1\nF a.ics - 1 2 3 x -\n",
                            "quimbaro-sync 1\nF a.ics zz 1 2 3 - -\n", "quimbaro-sync 1\nF %4 - 1 2 3 - -\n",
                            "quimbaro-sync 1\nF a.ics - 1 2 3 - -\nR 2026.log -5 1\n",
                            "quimbaro-sync 1\nX 2026.log - 1\n", "quimbaro-sync 1\nI 2026.log 0 1\n",
                            "quimbaro-sync 1\nJ serie\n", "quimbaro-sync 1\nF a.ics - 1 2 3 - -\nJ serie 1\n", "quimbaro-sync 1\nF a.ics - 1 2 3 - -\nX 2026.log 0 1\n"})
        EXPECT_FALSE(ParseSyncState(bad, error)) << bad;
}

}  // namespace
}  // namespace quimbaro::sync
