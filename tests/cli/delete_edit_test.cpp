// delete and edit name a row as list prints it, and refuse what the window
// refuses, with its texts.
#include <gtest/gtest.h>

#include "book/year_file.h"
#include "cli_run.h"
#include "settings/settings.h"

namespace quimbaro {
namespace {

using testing::CliRun;
using testing::ReadFile;
namespace fs = std::filesystem;

class CliChange : public ::testing::Test {
protected:
    CliRun run;
    fs::path YearFile() const { return run.folder.path() / "2026.log"; }
    std::string List(const char* day = "hoy") { return run({"list", day, "--format", "tsv"}).out; }
    void SetUp() override {
        for (const char* line : {"15/06/2026|11:00|3|Carla|x", "15/06/2026|09:30|1|Ana|x", "15/06/2026|10:00|2|Bea|x"})
            ASSERT_EQ(run({"add", line}).status, 0);
    }
};

TEST_F(CliChange, DeleteAndEditTheRowListShowsInTheWindowsOrder) {
    const std::string stored = ReadFile(YearFile());
    SettingsStore latestFirst{run.folder.path() / kSettingsFileName, 0, 1};
    ASSERT_TRUE(Settings("save", latestFirst));
    EXPECT_EQ(run({"delete", "hoy", "1"}).status, 0);  // Carla, the latest
    EXPECT_EQ(ReadFile(YearFile()), std::string(stored).replace(0, 11, 11, '\0'));
    const auto edited = run({"edit", "15/06/2026", "2", "16/06/2026|08:00|9|Ana Ruiz|y"});  // Ana
    EXPECT_EQ(edited.status, 0) << edited.err;
    EXPECT_EQ(List(), "fecha\thora\ttelefono\tnombre\tasunto\n15/06/2026\t10:00\t2\tBea\tx\n");
    EXPECT_EQ(List("mañana"), "fecha\thora\ttelefono\tnombre\tasunto\n16/06/2026\t08:00\t9\tAna Ruiz\ty\n");
}

TEST_F(CliChange, RowsThatShowNothingAndBadArgumentsChangeNothing) {
    fs::create_directory(run.folder.path() / "2025.log");
    struct Row {
        std::initializer_list<const char*> args;
        int status;
        const char* err;
    } rows[] = {
        {{"delete", "hoy"}, 2, "quimbaro: delete espera una fecha y un número de fila: delete FECHA N\n"},
        {{"delete", "hoy", "+1"}, 2, "quimbaro: fila no válida: +1 (un número de 1 a 29)\n"},
        {{"delete", "hoy", "0"}, 2, "quimbaro: fila no válida: 0 (un número de 1 a 29)\n"},
        {{"delete", "1/1/2026", "1"}, 2, "quimbaro: fecha no válida: 1/1/2026 (DD/MM/AAAA, hoy, ayer o mañana)\n"},
        {{"delete", "hoy", "4"}, 1, "quimbaro: La fila 4 está vacía\n"},
        {{"delete", "ayer", "1"}, 1, "quimbaro: La fila 1 está vacía\n"},
        {{"edit", "hoy", "30", "15/06/2026|09:30|1|Ana|x"}, 1, "quimbaro: No hay fila 30: las filas van de 1 a 29\n"},
        {{"edit", "hoy", "1", "15/06/2026|09:30|1|Ana"}, 2, "quimbaro: No sabe introducir datos ...\n"},
        {{"edit", "hoy", "1"}, 2,
         "quimbaro: edit espera una fecha, un número de fila y la nueva línea: edit FECHA N "
         "'DD/MM/AAAA|HH:MM|teléfono|nombre|asunto'\n"},
        {{"delete", "01/01/2025", "1"}, 1,
         "quimbaro: No se pudieron leer las citas del día: no se pudo abrir el archivo 2025.log: es una carpeta, no un archivo\n"},
    };
    const std::string stored = ReadFile(YearFile());
    for (const Row& row : rows) {
        const auto result = run(row.args);
        EXPECT_EQ(result.status, row.status) << row.err;
        EXPECT_EQ(result.err, row.err);
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(ReadFile(YearFile()), stored);
}

}  // namespace
}  // namespace quimbaro
