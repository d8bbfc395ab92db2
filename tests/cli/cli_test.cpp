// The command line run in this process on a temporary data folder with a
// fixed today: list, add, search, delete and edit as the window shows and
// refuses them, export and import, every refusal with its text and status.
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <vector>

#include "../core/temp_folder.h"
#include "book/year_file.h"
#include "cli_main.h"
#include "settings/settings.h"
#include "text/win1252.h"

namespace quimbaro {
namespace {

using testing::ReadFile;
using testing::WriteFile;
namespace fs = std::filesystem;

struct CliResult {
    int status = -1;
    std::string out, err;
};

struct CliRun {
    testing::TempFolder folder;
    cli::PdfPages pages;  // print's drawing, as the window's module hands it in
    // Standard output goes to outDevice when given (and is not kept).
    CliResult operator()(std::initializer_list<const char*> args, QIODevice* outDevice = nullptr) const {
        std::vector<char*> argv{const_cast<char*>("quimbaro")};  // as the system hands them over
        for (const char* arg : args) argv.push_back(const_cast<char*>(arg));
        const QStringList arguments = cli::ArgumentList(static_cast<int>(argv.size()), argv.data());
        QByteArray out, err;
        QTextStream outStream(&out), errStream(&err);
        if (outDevice != nullptr) outStream.setDevice(outDevice);
        DataFolderFacts facts;
        facts.programFolder = folder.path();  // the program's own folder, writable
        facts.isWritable = [](const fs::path&) { return true; };
        const TodayClock today = [] { return CalendarDate{2026, 6, 15}; };
        const int status = cli::RunCli(arguments, facts, today, outStream, errStream, pages);
        outStream.flush();
        errStream.flush();
        return {status, out.toStdString(), err.toStdString()};
    }
};

class CliBook : public ::testing::Test {
protected:
    CliRun run;
    fs::path Path(const char* name) const { return run.folder.path() / name; }
    void Add(const char* line) { ASSERT_EQ(run({"add", line}).status, 0) << line; }
    void SetUp() override {
        Add("15/06/2026|11:00|612345678|Peñón Ñandú|Revisión");
        Add("15/06/2026|09:30|91|Luis|primera");
        Add("16/06/2026|08:00|600111222|Eva|otro día");
        Add("15/06/2026|09:30|93|Marta|segunda a la misma hora");
        Add("14/06/2026|18:00|7|Ayer|x");
    }
    void LatestFirst() {
        SettingsStore latestFirst{Path(kSettingsFileName), 0, SortOrder::LatestFirst};
        ASSERT_TRUE(SaveSettings(latestFirst));
    }
};

TEST_F(CliBook, RefusalsGiveTheirTextAndStatusAndChangeNoFile) {
    fs::create_directory(Path("2025.log"));
    const std::string unread = "no se pudo abrir el archivo 2025.log: es una carpeta, no un archivo\n";
    const std::string badDay = " (DD/MM/AAAA, hoy, ayer o mañana)\n";
    const std::string badLine = "quimbaro: No sabe introducir datos ...\n";
    struct Row {
        std::initializer_list<const char*> args;
        int status;
        std::string err;
    } rows[] = {
        {{"borrar"}, 2, "quimbaro: orden desconocida: borrar (véase quimbaro --help)\n"},
        {{"list", "--bogus"}, 2, "quimbaro: opción desconocida: --bogus\n"},
        {{"list", "-x"}, 2, "quimbaro: opción desconocida: -x\n"},
        {{"list", "--days"}, 2, "quimbaro: falta el valor de la opción --days\n"},
        {{"--version=2"}, 2, "quimbaro: la opción --version no lleva valor\n"},
        {{"list", "--data="}, 2, "quimbaro: --data necesita una carpeta\n"},
        {{"--data", "/proc/quimbaro", "list"}, 1,
         "quimbaro: No se puede usar la carpeta de datos /proc/quimbaro: la carpeta no existe\n"},
        {{"list", "--days", "0"}, 2, "quimbaro: --days espera un número de días entre 1 y 3660\n"},
        {{"list", "--format", "xml"}, 2, "quimbaro: --format espera text, tsv o json\n"},
        {{"list", "32/01/2026"}, 2, "quimbaro: fecha no válida: 32/01/2026" + badDay},
        {{"list", "hoy", "ayer"}, 2, "quimbaro: list admite una sola fecha\n"},
        {{"list", "31/02/2026", "--days", "2"}, 2, "quimbaro: no se pueden contar días desde esa fecha\n"},
        {{"list", "31/12/2024", "--days", "2"}, 1, "quimbaro: No se pudieron leer las citas del día: " + unread},
        {{"add"}, 2, "quimbaro: add espera una sola línea: 'DD/MM/AAAA|HH:MM|teléfono|nombre|asunto'\n"},
        {{"add", "01/01/2026|10:00|1|Ana"}, 2, badLine},
        {{"add", "01/01/2026|10:00|1|Ana\n|x"}, 2, badLine},
        {{"add", "01/01/2025|10:00|1|Ana|x"}, 1, "quimbaro: No se pudo guardar la cita: " + unread},
        {{"search"}, 2, "quimbaro: falta el texto que buscar\n"},
        {{"search", "pena", "--format", "xml"}, 2, "quimbaro: --format espera text, tsv o json\n"},
        {{"search", "zzz"}, 1, "quimbaro: Ninguna cita contiene: zzz\n"},
        {{"delete", "hoy"}, 2, "quimbaro: delete espera una fecha y un número de fila: delete FECHA N\n"},
        {{"delete", "hoy", "+1"}, 2, "quimbaro: fila no válida: +1 (un número de 1 a 29)\n"},
        {{"delete", "hoy", "0"}, 2, "quimbaro: fila no válida: 0 (un número de 1 a 29)\n"},
        {{"delete", "1/1/2026", "1"}, 2, "quimbaro: fecha no válida: 1/1/2026" + badDay},
        {{"delete", "hoy", "4"}, 1, "quimbaro: La fila 4 está vacía\n"},
        {{"delete", "01/01/2025", "1"}, 1, "quimbaro: No se pudieron leer las citas del día: " + unread},
        {{"edit", "hoy", "30", "15/06/2026|09:30|1|Ana|x"}, 1, "quimbaro: No hay fila 30: las filas van de 1 a 29\n"},
        {{"edit", "hoy", "1", "15/06/2026|09:30|1|Ana"}, 2, badLine},
        {{"edit", "hoy", "1"}, 2,
         "quimbaro: edit espera una fecha, un número de fila y la nueva línea: edit FECHA N "
         "'DD/MM/AAAA|HH:MM|teléfono|nombre|asunto'\n"},
        {{"export"}, 2, "quimbaro: export espera un archivo .ics, - o --vdir CARPETA\n"},
        {{"export", "a.ics", "--vdir", "v"}, 2, "quimbaro: export espera un archivo .ics, - o --vdir CARPETA\n"},
        {{"export", "-", "--from", "31/02/2026"}, 2, "quimbaro: --from: fecha no válida: 31/02/2026" + badDay},
        {{"export", "-", "--from", "hoy", "--to", "ayer"}, 2, "quimbaro: --from es posterior a --to\n"},
        {{"import"}, 2, "quimbaro: import espera uno o más archivos .ics\n"},
        {{"print", "hoy"}, 2, "quimbaro: print espera el archivo que escribir: --pdf ARCHIVO\n"},
        {{"print", "--pdf", "x.pdf", "hoy", "ayer"}, 2, "quimbaro: print admite una sola fecha\n"},
        {{"print", "--pdf", "x.pdf", "--days", "x"}, 2, "quimbaro: --days espera un número de días entre 1 y 3660\n"},
        {{"print", "--pdf", "x.pdf"}, 1, "quimbaro: no se pueden dibujar páginas sin el módulo de la ventana\n"},
    };
    const std::string stored = ReadFile(Path("2026.log"));
    for (const Row& row : rows) {
        const auto result = run(row.args);
        EXPECT_EQ(result.status, row.status) << row.err;
        EXPECT_EQ(result.err, row.err);
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(ReadFile(Path("2026.log")), stored);
    // Reading 31/12/2024 made no 2024.log: beside 2026.log only the 2025.log folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(run.folder.path()), {}), 2);
}

// No subcommand, or only a data folder, opens the window on that folder.
TEST(CliArguments, OnlyNothingOrAFolderOpensTheWindow) {
    const std::pair<QStringList, QString> opening[] = {
        {{}, ""}, {{"--data", "agenda"}, "agenda"}, {{"--data=agenda"}, "agenda"}};
    const QStringList notOpening[] = {{"--data="}, {"--data", ""}, {"--data"}, {"list"}, {"--data", "d", "list"}, {"-h"}};
    for (const auto& [rest, folder] : opening) {
        QString data;
        EXPECT_TRUE(cli::OpensWindow(QStringList("quimbaro") + rest, data)) << rest.join(' ').toStdString();
        EXPECT_EQ(data, folder);
    }
    for (const QStringList& rest : notOpening) {
        QString data;
        EXPECT_FALSE(cli::OpensWindow(QStringList("quimbaro") + rest, data)) << rest.join(' ').toStdString();
    }
}

TEST_F(CliBook, HelpAndVersionTellAndLeaveTheFolderAlone) {
    const fs::path data = Path("nueva");
    const auto help = run({"list", "--help", "--data", data.c_str()});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("  list [FECHA|hoy|ayer|mañana] [--days N] [--format text|tsv|json]\n"),
              std::string::npos);
    EXPECT_NE(help.out.find("Carpeta de datos: " + data.string() + "\n  (indicada con --data)\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(data));
    EXPECT_NE(run({"-h"}).out.find("(junto al programa, que no está instalado)"), std::string::npos);
    EXPECT_EQ(run({"--version"}).out, "quimbaro " QUIMBARO_VERSION "\n");
}

TEST_F(CliBook, ListsTheDaysInTheWindowsOrderInEachFormat) {
    Add("17/06/2026||||");
    Add("17/06/2026|tarde||Águeda Émilie-Ñúñez de la Peñaranda y Fernández-Z|sin teléfono");
    const std::string days =
        "domingo 14 de junio de 2026\n"
        "  1  18:00  7   7         Ayer                                               x\n\n"
        "lunes 15 de junio de 2026\n"
        "  1  09:30  91   91       Luis                                               primera\n"
        "  2  09:30  93   93       Marta                                              segunda a la misma hora\n"
        "  3  11:00  612 34 56 78  Peñón Ñandú                                        Revisión\n\n"
        "martes 16 de junio de 2026\n"
        "  1  08:00  600 11 12 22  Eva                                                otro día\n\n"
        "miércoles 17 de junio de 2026\n"
        "  1\n"
        "  2  tarde                Águeda Émilie-Ñúñez de la Peñaranda y Fernández-Z  sin teléfono\n\n"
        "jueves 18 de junio de 2026\n"
        "  sin citas\n";
    EXPECT_EQ(run({"list", "ayer", "--days", "5"}).out, days);
    EXPECT_EQ(run({"list", "HOY", "--format", "text"}).out,
              "lunes 15 de junio de 2026\n"
              "  1  09:30  91   91       Luis         primera\n"
              "  2  09:30  93   93       Marta        segunda a la misma hora\n"
              "  3  11:00  612 34 56 78  Peñón Ñandú  Revisión\n");
    EXPECT_EQ(run({"--format", "tsv", "list", "16/06/2026", "--days=2"}).out,
              "fecha\thora\ttelefono\tnombre\tasunto\tfila\tfecha_iso\trepeticion\n"
              "16/06/2026\t08:00\t600111222\tEva\totro día\t1\t2026-06-16\t\n17/06/2026\t\t\t\t\t1\t2026-06-17\t\n"
              "17/06/2026\ttarde\t\tÁgueda Émilie-Ñúñez de la Peñaranda y Fernández-Z\tsin teléfono\t2\t2026-06-17\t\n");
    LatestFirst();
    const QByteArray json = QByteArray::fromStdString(run({"list", "--format", "json"}).out);
    EXPECT_EQ(QJsonDocument::fromJson(json).toJson(QJsonDocument::Compact).toStdString(),
              R"([{"asunto":"Revisión","fecha":"15/06/2026","fecha_iso":"2026-06-15","fila":1,"hora":"11:00",)"
              R"("nombre":"Peñón Ñandú","repeticion":"","telefono":"612345678"},{"asunto":"segunda a la misma hora",)"
              R"("fecha":"15/06/2026","fecha_iso":"2026-06-15","fila":2,"hora":"09:30","nombre":"Marta","repeticion":"",)"
              R"("telefono":"93"},{"asunto":"primera","fecha":"15/06/2026","fecha_iso":"2026-06-15","fila":3,)"
              R"("hora":"09:30","nombre":"Luis","repeticion":"","telefono":"91"}])");
}

TEST_F(CliBook, ADayPastTheTablesRowsListsWhatTheTableShowsAndSaysSo) {
    for (int kept = 1; kept <= 30; ++kept) {
        ASSERT_TRUE(AppendAppointment(run.folder.path(), "17/06/2026", "10:00", "", "n", "").Stored());
        if (kept < 29) continue;
        const auto result = run({"list", "17/06/2026"});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 1 + 29);
        EXPECT_NE(result.out.find("\n  29  10:00"), std::string::npos);
        EXPECT_EQ(result.err, kept == 29 ? "" : "quimbaro: el día 17/06/2026 tiene 30 citas; como en la ventana, "
                                                "se muestran 29\n");
    }
}

// In date and time order. A series shows once, on its next day from today
// (today is 15/06/2026), else its last before, sorted among the records; one
// without end from year 1 is followed only near today, and one whose days are
// all long past is not found.
TEST_F(CliBook, SearchFindsEveryMatchAndEachSeriesOnItsNextDayFromToday) {
    const CliResult added[] = {
        run({"add", "02/06/2026|09:00|600111222|Lola Pena|a", "--every", "week", "--interval", "2"}),  // 02/06, 16/06, ...
        run({"add", "01/01/2026|10:00|600111222|Lola Peña|b", "--every", "month", "--count", "3"}),   // ended 01/03
        run({"add", "01/01/0001|08:00|600111222|Lola|c", "--every", "day"}),
        run({"add", "01/01/2020|08:00|600111222|Viejo|d", "--every", "week", "--count", "2"})};
    for (const CliResult& result : added) ASSERT_EQ(result.status, 0) << result.err;
    Add("16/06/2026|09:30|600111222|Lola|suelta");
    EXPECT_EQ(run({"search", "lola"}).out, "01/03/2026  10:00  600 11 12 22  Lola Peña  b  (mensual)\n"
                                           "15/06/2026  08:00  600 11 12 22  Lola  c  (diaria)\n"
                                           "16/06/2026  09:00  600 11 12 22  Lola Pena  a  (cada 2 semanas)\n"
                                           "16/06/2026  09:30  600 11 12 22  Lola  suelta\n");
    const auto json = QJsonDocument::fromJson(QByteArray::fromStdString(run({"search", "pena", "--format", "json"}).out));
    ASSERT_EQ(json.array().size(), 2);
    EXPECT_EQ(json.array()[0].toObject()["repeticion"].toString(), "mensual");
    EXPECT_EQ(json.array()[1].toObject()["fecha"].toString(), "16/06/2026");
    EXPECT_EQ(run({"search", "suelta", "--format", "tsv"}).out,
              "fecha\thora\ttelefono\tnombre\tasunto\trepeticion\n16/06/2026\t09:30\t600111222\tLola\tsuelta\t\n");
    EXPECT_EQ(run({"search", "viejo"}).status, 1);
}

TEST_F(CliBook, ExportTakesTheDayWordsOfTheList) {
    const auto events = [&](const char* from, const char* to) {
        return QString::fromStdString(run({"export", "-", "--from", from, "--to", to}).out).count("BEGIN:VEVENT");
    };
    EXPECT_EQ(events("ayer", "ayer"), 1);
    EXPECT_EQ(events("hoy", "hoy"), 3);
    EXPECT_EQ(events("mañana", "mañana"), 1);
}

TEST_F(CliBook, DeleteAndEditTheRowListShowsInTheWindowsOrder) {
    LatestFirst();
    const std::string stored = ReadFile(Path("2026.log"));
    EXPECT_EQ(run({"delete", "hoy", "1"}).status, 0);  // Peñón, the latest, stored first
    EXPECT_EQ(ReadFile(Path("2026.log")), std::string(stored).replace(0, 11, 11, '\0'));
    const auto edited = run({"edit", "15/06/2026", "2", "17/06/2026|08:00|9|Luis Ruiz|y"});
    EXPECT_EQ(edited.status, 0) << edited.err;
    EXPECT_EQ(run({"list", "hoy", "--days", "3", "--format", "tsv"}).out,
              "fecha\thora\ttelefono\tnombre\tasunto\tfila\tfecha_iso\trepeticion\n"
              "15/06/2026\t09:30\t93\tMarta\tsegunda a la misma hora\t1\t2026-06-15\t\n"
              "16/06/2026\t08:00\t600111222\tEva\totro día\t1\t2026-06-16\t\n"
              "17/06/2026\t08:00\t9\tLuis Ruiz\ty\t1\t2026-06-17\t\n");
}

// Stored all the same with status 0; the other one is named on stderr
// unless [Citas] avisar_solapes=0.
TEST_F(CliBook, AddAndEditAtATakenTimeNameTheOtherOneOnStderr) {
    const std::pair<CliResult, const char*> runs[] = {
        {run({"add", "15/06/2026|11:00|1|Nuevo|x"}), "quimbaro: A las 11:00 ya está Peñón Ñandú: Revisión\n"},
        {run({"add", "15/06/2026|11:30|1|Nuevo|x"}), ""},
        {run({"edit", "16/06/2026", "1", "15/06/2026|09:30|600111222|Eva|otro día"}), "quimbaro: A las 09:30 ya está Luis: primera\n"},
        {(WriteFile(Path("Configuracion.ini"), "[Citas]\navisar_solapes=0\n"), run({"add", "15/06/2026|11:00|2|Otro|y"})), ""},
    };
    for (const auto& [result, err] : runs) {
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, err);
    }
    EXPECT_EQ(ReadFile(Path("2026.log")).size(), 9 * sizeof(Appointment));  // every one stored
}

// The pages are drawn by the window's module (tests/shell/print_test.sh);
// here, what print hands to the drawing and what becomes of the file.
TEST_F(CliBook, PrintHandsTheListedDaysToTheDrawingAndReplacesTheFileOnlyWhenDone) {
    std::vector<std::string> drawn;
    std::string failure;
    run.pages = [&](const std::vector<DayRows>& days, const CalendarDate& printedOn, QIODevice& out) {
        drawn = {DayKey(printedOn)};
        for (const DayRows& day : days)
            for (const Appointment& row : day.rows)
                drawn.push_back(DayKey(day.date) + " " + FromWin1252(ReadField(row.name)).toStdString());
        out.write(failure.empty() ? "new" : "partial");
        return PdfOutcome{2, failure};
    };
    const fs::path pdf = Path("semana.pdf");
    WriteFile(pdf, "old");
    const auto printed = run({"print", "--days", "2", "--pdf", pdf.c_str()});
    EXPECT_EQ(printed.status, 0) << printed.err;
    EXPECT_EQ(printed.out, "Se imprimieron 2 días en 2 páginas: " + pdf.string() + "\n");
    EXPECT_EQ(drawn, (std::vector<std::string>{"15/06/2026", "15/06/2026 Luis", "15/06/2026 Marta",
                                               "15/06/2026 Peñón Ñandú", "16/06/2026 Eva"}));
    EXPECT_EQ(ReadFile(pdf), "new");
    failure = "sin tinta";
    const auto failed = run({"print", "mañana", "--pdf", pdf.c_str()});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "quimbaro: No se pudo imprimir: sin tinta\n");
    EXPECT_EQ(ReadFile(pdf), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(run.folder.path()), {}), 2);  // 2026.log beside it, no leftover
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
    other({"add", "05/12/2026|09:30|1|Bea|x"});  // Ana's time: the import counts it, tells no box per record
    EXPECT_EQ(other({"import", file.c_str()}).out, file + ":\n2026.log: 0 citas añadidas, 1 ya estaban\n"
                                               "  1 citas a una hora que otra cita del día ya tiene\n"
                                               "2027.log: 0 citas añadidas, 1 ya estaban\n");

    // A refused event or a missing file fails the run, and the files after it are still imported.
    const std::string bad = file + ".bad", missing = file + ".missing";
    WriteFile(bad, "BEGIN:VCALENDAR\nBEGIN:VEVENT\nSUMMARY:sin fecha\nEND:VEVENT\nEND:VCALENDAR\n");
    const CliRun third;
    const auto refused = third({"import", bad.c_str(), missing.c_str(), file.c_str()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, bad + ":\nRechazados 1 eventos: no tiene fecha de inicio (DTSTART) válida\n" + file +
                               ":\n2026.log: 1 citas añadidas, 0 ya estaban\n2027.log: 1 citas añadidas, 0 ya estaban\n");
    EXPECT_EQ(refused.err, "quimbaro: no se pudo leer " + missing + ": no existe\n");
    EXPECT_EQ(third({"import", "/dev/zero", "/"}).err,
              "quimbaro: no se pudo leer /dev/zero: no es un archivo normal (es una tubería, un dispositivo o un socket)\n"
              "quimbaro: no se pudo leer /: es una carpeta, no un archivo\n");
}

// The process's own streams: without a locale's encoding (plain C) the
// output is UTF-8, so that JSON stays JSON.
TEST(CliProcess, PlainCLocalePrintsUtf8) {
    const CliRun book;
    book({"add", "15/06/2026|11:00|1|Peñón|x"});
    const std::string data = book.folder.path().string();
    std::vector<std::string> args{"quimbaro", "--data", data, "list", "15/06/2026", "--format", "json"};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    ::setenv("LC_ALL", "C", 1);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(cli::CommandLineMain(int(argv.size()), argv.data()), 0);
    const std::string out = ::testing::internal::GetCapturedStdout();
    ::unsetenv("LC_ALL");
    EXPECT_NE(out.find("\"nombre\": \"Peñón\""), std::string::npos) << out;
}

TEST(CliIcal, VdirAddsUpdatesAndRemovesOnlyItsOwnFiles) {
    CliRun run;
    const fs::path vdir = run.folder.path() / "vdir";
    fs::create_directory(vdir);
    WriteFile(vdir / "phone-event.ics", "someone else's");
    run({"add", "05/12/2026|09:30|600|Ana|uno"});
    run({"add", "06/12/2026|10:00|600|Bea|dos"});
    const auto exportVdir = [&] { return run({"export", "--vdir", vdir.c_str()}); };
    const std::string report = "Carpeta " + vdir.string() + ": ";
    EXPECT_EQ(exportVdir().out, report + "2 archivos escritos, 0 sin cambios, 0 borrados.\n");
    std::vector<fs::path> ours;
    for (const auto& entry : fs::directory_iterator(vdir))
        if (entry.path().filename().string().starts_with("quimbaro-")) ours.push_back(entry.path());
    ASSERT_EQ(ours.size(), 2u);
    const std::string kept = ReadFile(ours[0]);
    WriteFile(ours[0], "changed by hand");  // ours: put back
    WriteFile(vdir / ".quimbaro-vdir", ours[0].filename().string() + "\n");
    WriteFile(ours[1], "not ours");  // our name, but not listed as written by us: left alone, reported
    const auto second = exportVdir();
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.err, "quimbaro: " + report +
                              "1 archivos escritos, 0 sin cambios, 0 borrados. 1 citas no se exportaron: "
                              "su archivo existe y no lo escribió Quimbaro (se dejó como estaba).\n");
    EXPECT_EQ(ReadFile(ours[0]), kept);
    EXPECT_EQ(ReadFile(ours[1]), "not ours");

    fs::remove(ours[1]);
    fs::remove(run.folder.path() / "2026.log");
    run({"add", "07/12/2026|11:00|||tres"});
    EXPECT_EQ(exportVdir().out, report + "1 archivos escritos, 0 sin cambios, 1 borrados.\n");
    EXPECT_FALSE(fs::exists(ours[0]));
    EXPECT_EQ(ReadFile(vdir / "phone-event.ics"), "someone else's");

    WriteFile(vdir / ".quimbaro-vdir", "../2027.log\n");
    const auto crafted = exportVdir();
    EXPECT_EQ(crafted.status, 1);
    EXPECT_EQ(crafted.err, "quimbaro: " + report + "0 archivos escritos, 0 sin cambios, 0 borrados. 1 citas ya estaban en archivos "
                               "de otros programas. Se pasaron por alto 1 nombres de .quimbaro-vdir que no son archivos de Quimbaro en la carpeta (no se tocaron).\n");
}

// A file on a full disk: export_safety_test.
TEST(CliIcal, ExportToAFullOutputFails) {
    CliRun run;
    run({"add", "05/12/2026|09:30|600|Ana|uno"});
    QFile full(QStringLiteral("/dev/full"));
    ASSERT_TRUE(full.open(QIODevice::WriteOnly));
    const auto toStdout = run({"export", "-"}, &full);
    EXPECT_EQ(toStdout.status, 1);
    EXPECT_EQ(toStdout.err, "quimbaro: No se pudo exportar: no se pudo escribir en la salida estándar (¿disco lleno o "
                            "salida cerrada?)\n");
}

// Years before 1000 are stored, listed and exchanged like any other.
TEST(CliIcal, YearsBeforeAThousandAreAddedListedExportedAndImported) {
    CliRun book, other;
    for (const char* line : {"05/12/0999|09:30|600|Ana|x", "01/01/0001|tarde|||y"})
        EXPECT_EQ(book({"add", line}).err, "") << line;
    EXPECT_EQ(book({"list", "05/12/0999", "--format", "tsv"}).out,
              "fecha\thora\ttelefono\tnombre\tasunto\tfila\tfecha_iso\trepeticion\n05/12/0999\t09:30\t600\tAna\tx\t1\t0999-12-05\t\n");
    const std::string file = (book.folder.path() / "old.ics").string();
    EXPECT_EQ(book({"export", file.c_str(), "--from", "01/01/0001", "--to", "31/12/0999"}).status, 0);
    const auto imported = other({"import", file.c_str(), "--from", "01/01/0001"});
    EXPECT_EQ(imported.out, file + ":\n0001.log: 1 citas añadidas, 0 ya estaban\n0999.log: 1 citas añadidas, 0 ya estaban\n");
    for (const char* year : {"0999.log", "0001.log"})
        EXPECT_EQ(ReadFile(other.folder.path() / year), ReadFile(book.folder.path() / year)) << year;
    WriteFile(file, "BEGIN:VCALENDAR\nBEGIN:VEVENT\nDTSTART:09991206T100000\nSUMMARY:fuera\nEND:VEVENT\nEND:VCALENDAR\n");
    EXPECT_EQ(other({"import", file.c_str(), "--from", "01/01/0001"}).out, file + ":\n0999.log: 1 citas añadidas, 0 ya estaban\n");
    EXPECT_EQ(other({"list", "06/12/0999"}).out, "viernes 6 de diciembre de 999\n  1  10:00         fuera\n");
}

// File names are bytes: a Latin-1 name is the folder, export and import use,
// not one with U+FFFD in its place.
TEST(CliPaths, NamesThatAreNoUtf8NameExactlyTheirFiles) {
    CliRun run;
    const std::string data = (run.folder.path() / "caf\xe9").string(), other = data + "/otra\xf1";
    const std::string file = data + "/a\xf1o.ics";
    EXPECT_EQ(run({"--data", data.c_str(), "add", "05/12/2026|09:30|600|Ana|x"}).err, "");
    EXPECT_EQ(run({"--data", data.c_str(), "export", file.c_str()}).status, 0);
    EXPECT_EQ(run({"--data", other.c_str(), "import", file.c_str()}).status, 0);
    EXPECT_EQ(ReadFile(other + "/2026.log"), ReadFile(data + "/2026.log"));
    EXPECT_EQ(fs::file_size(data + "/2026.log"), kRecordSize);
    EXPECT_EQ(std::distance(fs::directory_iterator(run.folder.path()), {}), 1);  // nothing elsewhere
}

// The heading list prints above the day the CliBook fixture fills.
const std::string kDayHeading = "lunes 15 de junio de 2026\n";

// A folder that cannot be written is still read; a change says why it failed.
// Root writes anywhere, so the runs are made as nobody.
TEST_F(CliBook, AReadOnlyFolderIsReadButNotChanged) {
    const fs::path folder = run.folder.path();
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() == 0 && nobody == nullptr) GTEST_SKIP() << "no user nobody to run as";
    const pid_t child = fork();
    if (child == 0) {
        int failed = 0, check = 0;
        const auto expect = [&](bool holds) { failed |= holds ? 0 : 1 << check; ++check; };
        if (geteuid() == 0) {
            bool owned = chown(folder.c_str(), nobody->pw_uid, 0) == 0;
            for (const auto& entry : fs::directory_iterator(folder)) owned = owned && chown(entry.path().c_str(), nobody->pw_uid, 0) == 0;
            expect(owned && setgroups(0, nullptr) == 0 && setgid(nobody->pw_gid) == 0 && setuid(nobody->pw_uid) == 0);
        }
        expect(chmod(folder.c_str(), 0555) == 0);
        expect(run({"list"}).out.starts_with(kDayHeading + "  1  09:30  91"));
        expect(run({"list", "01/01/2030"}).status == 0);
        expect(run({"search", "luis"}).status == 0);
        expect(run({"export", "-"}).out.starts_with("BEGIN:VCALENDAR"));
        expect(run({"add", "01/01/2030|10:00|1|Ana|x"}).err ==
               "quimbaro: No se puede usar la carpeta de datos " + folder.string() + ": permiso denegado\n");
        _exit(failed);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "bit n: check n failed";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);
}

}  // namespace
}  // namespace quimbaro
