#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "book/year_file.h"
#include "cli_run.h"
#include "settings/settings.h"

namespace quimbaro {
namespace {

using testing::CliRun;
namespace fs = std::filesystem;

bool AnyYearFile(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".log") return true;
    return false;
}

TEST(CliUsage, BadArgumentsAndLinesAreRefusedWithTheirStatusAndWriteNothing) {
    CliRun run;
    struct Row {
        std::initializer_list<const char*> args;
        int status;
        const char* err;
    } rows[] = {
        {{"borrar"}, 2, "quimbaro: orden desconocida: borrar (véase quimbaro --help)\n"},
        {{"list", "--bogus"}, 2, "quimbaro: opción desconocida: --bogus\n"},
        {{"list", "-x"}, 2, "quimbaro: opción desconocida: -x\n"},
        {{"list", "--days"}, 2, "quimbaro: falta el valor de la opción --days\n"},
        {{"--version=2"}, 2, "quimbaro: la opción --version no lleva valor\n"},
        {{"list", "--data="}, 2, "quimbaro: --data necesita una carpeta\n"},
        {{"list", "--days", "0"}, 2, "quimbaro: --days espera un número de días entre 1 y 3660\n"},
        {{"list", "--format", "xml"}, 2, "quimbaro: --format espera text, tsv o json\n"},
        {{"list", "32/01/2026"}, 2, "quimbaro: fecha no válida: 32/01/2026 (DD/MM/AAAA, hoy, ayer o mañana)\n"},
        {{"list", "hoy", "ayer"}, 2, "quimbaro: list admite una sola fecha\n"},
        {{"list", "31/02/2026", "--days", "2"}, 2, "quimbaro: no se pueden contar días desde esa fecha\n"},
        {{"add"}, 2, "quimbaro: add espera una sola línea: 'DD/MM/AAAA|HH:MM|teléfono|nombre|asunto'\n"},
        {{"add", "01/01/2026|10:00|1|Ana"}, 2, "quimbaro: No sabe introducir datos ...\n"},
        {{"add", "01/01/2026|10:00|1|Ana\n|x"}, 2, "quimbaro: No sabe introducir datos ...\n"},
        {{"add", "hoy"}, 2, "quimbaro: No sabe introducir datos ...\n"},
        {{"--data", "/proc/quimbaro", "list"}, 1,
         "quimbaro: No se puede usar la carpeta de datos /proc/quimbaro: la carpeta no existe\n"},
    };
    for (const Row& row : rows) {
        const auto result = run(row.args);
        EXPECT_EQ(result.status, row.status) << row.err;
        EXPECT_EQ(result.err, row.err);
        EXPECT_EQ(result.out, "");
    }
    EXPECT_FALSE(AnyYearFile(run.folder.path()));
    EXPECT_FALSE(fs::exists(run.folder.path() / kSettingsFileName));
}

TEST(CliUsage, HelpAndVersionTellAndLeaveTheFolderAlone) {
    CliRun run;
    const fs::path data = run.folder.path() / "nueva";
    const auto help = run({"list", "--help", "--data", data.c_str()});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("  list [FECHA|hoy|ayer|mañana] [--days N] [--format text|tsv|json]\n"),
              std::string::npos);
    EXPECT_NE(help.out.find("Carpeta de datos: " + data.string() + "\n  (indicada con --data)\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(data));
    EXPECT_NE(run({"-h"}).out.find("(junto al programa, que no está instalado)"), std::string::npos);
    EXPECT_EQ(run({"--version"}).out, "quimbaro " QUIMBARO_VERSION "\n");
}

class CliBook : public ::testing::Test {
protected:
    CliRun run;
    void Add(const char* line) { ASSERT_EQ(run({"add", line}).status, 0) << line; }
    void SetUp() override {
        Add("15/06/2026|11:00|612345678|Peñón Ñandú|Revisión");
        Add("15/06/2026|09:30|91|Luis|primera");
        Add("16/06/2026|08:00|600111222|Eva|otro día");
        Add("15/06/2026|09:30|93|Marta|segunda a la misma hora");
        Add("14/06/2026|18:00|7|Ayer|x");
    }
};

TEST_F(CliBook, ListsTheDayInTheWindowsOrderInEachFormat) {
    const std::string day =
        "15/06/2026  09:30  91   91  Luis  primera\n"
        "15/06/2026  09:30  93   93  Marta  segunda a la misma hora\n"
        "15/06/2026  11:00  612 34 56 78  Peñón Ñandú  Revisión\n";
    EXPECT_EQ(run({"list"}).out, day);
    EXPECT_EQ(run({"list", "HOY", "--format", "text"}).out, day);
    EXPECT_EQ(run({"list", "ayer", "--days", "2"}).out, "14/06/2026  18:00  7   7  Ayer  x\n" + day);
    EXPECT_EQ(run({"list", "--days=2", "mañana"}).out, "16/06/2026  08:00  600 11 12 22  Eva  otro día\n");
    EXPECT_EQ(run({"--format", "tsv", "list", "16/06/2026"}).out,
              "fecha\thora\ttelefono\tnombre\tasunto\n16/06/2026\t08:00\t600111222\tEva\totro día\n");

    SettingsStore latestFirst{run.folder.path() / kSettingsFileName, 0, 1};
    ASSERT_TRUE(Settings("save", latestFirst));
    const auto json = QJsonDocument::fromJson(QByteArray::fromStdString(run({"list", "--format", "json"}).out));
    ASSERT_TRUE(json.isArray());
    const QJsonArray rows = json.array();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].toObject().value("nombre").toString(), QStringLiteral("Peñón Ñandú"));
    EXPECT_EQ(rows[0].toObject().value("telefono").toString(), QStringLiteral("612345678"));
    EXPECT_EQ(rows[2].toObject().value("hora").toString(), QStringLiteral("09:30"));
}

TEST_F(CliBook, ADayPastTheTablesRowsListsWhatTheTableShowsAndSaysSo) {
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(AppendAppointment(run.folder.path(), "17/06/2026", "10:00", "", "n", "").Stored());
    const auto result = run({"list", "17/06/2026"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 29);
    EXPECT_EQ(result.err, "quimbaro: el día 17/06/2026 tiene 30 citas; como en la ventana, se muestran 29\n");
}

TEST_F(CliBook, AYearFileThatCannotBeReadFailsWithTheWindowsMessageAndPrintsNothing) {
    fs::create_directory(run.folder.path() / "2025.log");
    const std::string cause = "no se pudo abrir el archivo 2025.log: es una carpeta, no un archivo\n";
    ASSERT_EQ(run({"add", "01/01/2025|10:00|1|Ana|x"}).err, "quimbaro: No se pudo guardar la cita: " + cause);
    const auto result = run({"list", "31/12/2024", "--days", "2"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "quimbaro: No se pudieron leer las citas del día: " + cause);
}

}  // namespace
}  // namespace quimbaro
