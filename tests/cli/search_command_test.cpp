#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "book/year_file.h"
#include "cli_run.h"
#include "text/win1252.h"

namespace quimbaro {
namespace {

using testing::CliRun;

class CliSearch : public ::testing::Test {
protected:
    CliRun run;
    void Store(const char* date, const char* time, const char* phone, const char* name) {
        ASSERT_TRUE(AppendAppointment(run.folder.path(), date, time, phone, ToWin1252(QString::fromUtf8(name)), "")
                        .Stored());
    }
};

TEST_F(CliSearch, EveryMatchInDateAndTimeOrderAcrossYears) {
    Store("10/12/2026", "12:00", "612345678", "Peña");
    Store("20/06/2025", "09:00", "600000000", "PEÑA");
    Store("10/12/2026", "08:30", "600000000", "José Pena");
    Store("11/12/2026", "08:30", "600000000", "Otra");
    const auto text = run({"search", "pena"});
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.out, "20/06/2025  09:00  600 00 00 00  PEÑA  \n"
                        "10/12/2026  08:30  600 00 00 00  José Pena  \n"
                        "10/12/2026  12:00  612 34 56 78  Peña  \n");
    const auto json = run({"search", "612 34", "--format", "json"});
    const QJsonArray rows = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).array();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].toObject().value("nombre").toString(), "Peña");
}

TEST_F(CliSearch, NoMatchFailsAndBadUseIsAUsageError) {
    Store("10/12/2026", "12:00", "612345678", "Peña");
    const auto none = run({"search", "zzz"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "quimbaro: Ninguna cita contiene: zzz\n");
    EXPECT_EQ(run({"search"}).status, 2);
    EXPECT_EQ(run({"search", "pena", "--format", "xml"}).status, 2);
}

}  // namespace
}  // namespace quimbaro
