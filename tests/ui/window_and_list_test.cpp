// What the window stores and shows, the command line lists alike.
#include <gtest/gtest.h>

#include <QTextStream>

#include "cli_main.h"
#include "ui/shell_fixture.h"

namespace quimbaro::testing {

TEST_F(ShellTest, ListPrintsTheDayTypedIntoTheWindowInTheTablesOrder) {
    today = {2026, 12, 5};
    Open();
    for (const char* line : {"05/12/2026|11:00|600111222|Ana|Revisión", "05/12/2026|09:30|91|Bea|Primera",
                             "06/12/2026|08:00|1|Otro|día", "05/12/2026|09:30|7|Carla|Misma hora",
                             "ascendente", "hoy"})
        Type(QString::fromUtf8(line));
    QStringList shown;
    for (int row = 1; !Cell(0, row).isEmpty(); ++row)
        shown << QStringList{"05/12/2026", Cell(0, row), Cell(1, row), Cell(2, row), Cell(3, row)}.join("  ") + "\n";
    ASSERT_EQ(shown.size(), 3);

    QByteArray out, err;
    QTextStream outStream(&out), errStream(&err);
    DataFolderFacts facts;
    facts.option = folder;
    const int status = cli::RunCli({"quimbaro", "list"}, facts, [this] { return today; }, outStream, errStream);
    outStream.flush();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(QString::fromUtf8(out), shown.join(""));
}

}  // namespace quimbaro::testing
