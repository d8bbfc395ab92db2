// export and import on the command line: files, stdout, vdir folders, reports
// and exit statuses.
#include <gtest/gtest.h>

#include "cli_run.h"

namespace quimbaro {
namespace {

using testing::CliRun;
using testing::ReadFile;
using testing::WriteFile;
namespace fs = std::filesystem;

TEST(CliIcal, UsageErrorsWriteNothing) {
    CliRun run;
    const std::string a = (run.folder.path() / "a.ics").string();
    struct Row {
        std::initializer_list<const char*> args;
        const char* err;
    } rows[] = {
        {{"export"}, "quimbaro: export espera un archivo .ics, - o --vdir CARPETA\n"},
        {{"export", "a.ics", "--vdir", "v"}, "quimbaro: export espera un archivo .ics, - o --vdir CARPETA\n"},
        {{"export", "-", "--from", "31/02/2026"},
         "quimbaro: --from: fecha no válida: 31/02/2026 (DD/MM/AAAA, hoy, ayer o mañana)\n"},
        {{"export", "-", "--from", "hoy", "--to", "ayer"}, "quimbaro: --from es posterior a --to\n"},
        {{"import"}, "quimbaro: import espera uno o más archivos .ics\n"},
    };
    for (const Row& row : rows) {
        const auto result = run(row.args);
        EXPECT_EQ(result.status, 2) << row.err;
        EXPECT_EQ(result.err, row.err);
    }
    EXPECT_TRUE(fs::is_empty(run.folder.path()));
}

TEST(CliIcal, ExportedFileImportsIntoAnotherBookAndReportsPerYearFile) {
    CliRun book, other;
    book({"add", "05/12/2026|09:30|600|Ana|Revisión"});
    book({"add", "01/01/2027|tarde|||Año nuevo"});
    const std::string file = (book.folder.path() / "out.ics").string();
    const auto exported = book({"export", file.c_str(), "--from", "01/12/2026"});
    EXPECT_EQ(exported.status, 0);
    EXPECT_EQ(exported.out, "Se exportaron 2 citas a " + file + ".\n");
    EXPECT_EQ(book({"export", "-", "--to", "31/12/2026"}).out.find("A\\u00f1o"), std::string::npos);
    for (const char* added : {"1 citas añadidas, 0 ya estaban", "0 citas añadidas, 1 ya estaban"}) {
        const auto imported = other({"import", file.c_str()});
        EXPECT_EQ(imported.status, 0) << imported.err;
        EXPECT_EQ(imported.out, file + ":\n2026.log: " + added + "\n2027.log: " + added + "\n");
    }
    EXPECT_EQ(ReadFile(other.folder.path() / "2026.log"), ReadFile(book.folder.path() / "2026.log"));

    WriteFile(file, "BEGIN:VCALENDAR\nBEGIN:VEVENT\nSUMMARY:sin fecha\nEND:VEVENT\nEND:VCALENDAR\n");
    const auto refused = other({"import", file.c_str(), (file + ".missing").c_str()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, file + ":\nRechazados 1 eventos: no tiene fecha de inicio (DTSTART) válida\n");
    EXPECT_EQ(refused.err, "quimbaro: no se pudo leer " + file + ".missing: No such file or directory\n");
}

TEST(CliIcal, VdirAddsUpdatesAndRemovesOnlyItsOwnFiles) {
    CliRun run;
    const fs::path vdir = run.folder.path() / "vdir";
    fs::create_directory(vdir);
    WriteFile(vdir / "phone-event.ics", "someone else's");
    run({"add", "05/12/2026|09:30|600|Ana|uno"});
    run({"add", "06/12/2026|10:00|600|Bea|dos"});
    EXPECT_EQ(run({"export", "--vdir", vdir.c_str()}).out,
              "Carpeta " + vdir.string() + ": 2 archivos escritos, 0 sin cambios, 0 borrados.\n");
    std::vector<fs::path> ours;
    for (const auto& entry : fs::directory_iterator(vdir))
        if (entry.path().filename().string().starts_with("quimbaro-")) ours.push_back(entry.path());
    ASSERT_EQ(ours.size(), 2u);
    const std::string kept = ReadFile(ours[0]);
    WriteFile(ours[0], "changed by hand");  // ours: put back
    const fs::path moved = ours[1];
    WriteFile(vdir / ".quimbaro-vdir", ours[0].filename().string() + "\n");
    WriteFile(moved, "not ours");  // our name, but not listed as written by us: left alone, reported
    const auto second = run({"export", "--vdir", vdir.c_str()});
    EXPECT_EQ(second.status, 1);
    EXPECT_NE(second.err.find("1 archivos escritos, 0 sin cambios, 0 borrados. 1 citas no se exportaron"), std::string::npos);
    EXPECT_EQ(ReadFile(ours[0]), kept);
    EXPECT_EQ(ReadFile(moved), "not ours");

    fs::remove(moved);
    fs::remove(run.folder.path() / "2026.log");
    run({"add", "07/12/2026|11:00|||tres"});
    EXPECT_EQ(run({"export", "--vdir", vdir.c_str()}).out,
              "Carpeta " + vdir.string() + ": 1 archivos escritos, 0 sin cambios, 1 borrados.\n");
    EXPECT_FALSE(fs::exists(ours[0]));
    EXPECT_EQ(ReadFile(vdir / "phone-event.ics"), "someone else's");
}

}  // namespace
}  // namespace quimbaro
