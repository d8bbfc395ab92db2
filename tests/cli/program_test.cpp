// The built program as a script would run it: a clean environment with no
// display, its own stdout, stderr and exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "../core/temp_folder.h"

namespace quimbaro {
namespace {

using testing::ReadFile;
using testing::TempFolder;

struct ProgramRun {
    int status = -1;
    std::string out, err;
};

class Program : public ::testing::Test {
protected:
    TempFolder home;
    const std::string envData = (home.path() / "env").string();
    const std::string optionData = (home.path() / "opcion").string();

    // xcb with no DISPLAY would abort a program that loaded a window system.
    ProgramRun Run(const std::string& variables, const std::string& args) const {
        const std::string errFile = (home.path() / "stderr").string();
        const std::string command = "env -i PATH=/usr/bin:/bin LANG=C.UTF-8 QT_QPA_PLATFORM=xcb HOME=" +
                                    home.path().string() + " " + variables + " " QUIMBARO_PROGRAM " " + args +
                                    " 2>" + errFile;
        ProgramRun run;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return run;
        char buffer[4096];
        for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, got);
        const int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.err = ReadFile(errFile);
        return run;
    }
};

TEST_F(Program, RunsHeadlessWithTheExplicitFoldersWinningAndPrintsJsonAParserReads) {
    const std::string env = "QUIMBARO_DATA=" + envData;
    EXPECT_EQ(Run(env, "add '15/06/2026|09:00|600111222|Peñón|uno'").status, 0);
    EXPECT_EQ(Run(env, "add '15/06/2026|08:00|600111222|Ana|dos' --data " + optionData).status, 0);
    EXPECT_EQ(ReadFile(home.path() / "env" / "2026.log").size(), 155u);
    EXPECT_EQ(ReadFile(home.path() / "opcion" / "2026.log").size(), 155u);

    const auto text = Run(env, "list 15/06/2026");
    EXPECT_EQ(text.out, "15/06/2026  09:00  600 11 12 22  Pe\xC3\xB1\xC3\xB3n  uno\n");
    EXPECT_EQ(text.status, 0);
    const std::string json = (home.path() / "list.json").string();
    ASSERT_EQ(Run(env, "list 15/06/2026 --format json >" + json).status, 0);
    const std::string check = "python3 -c 'import json,sys; d=json.load(open(sys.argv[1]));"
                              " sys.exit(d != [{\"fecha\":\"15/06/2026\",\"hora\":\"09:00\",\"telefono\":\"600111222\","
                              "\"nombre\":\"Pe\\u00f1\\u00f3n\",\"asunto\":\"uno\"}])' " + json;
    EXPECT_EQ(std::system(check.c_str()), 0);
}

TEST_F(Program, FailuresAndUsageErrorsEndWithOneLineAndTheirStatus) {
    const auto usage = Run("", "--bogus");
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.err, "quimbaro: opción desconocida: --bogus\n");
    const auto failure = Run("QUIMBARO_DATA=/proc/quimbaro", "list");
    EXPECT_EQ(failure.status, 1);
    EXPECT_EQ(failure.err, "quimbaro: No se puede usar la carpeta de datos /proc/quimbaro: la carpeta no existe\n");
    EXPECT_EQ(failure.out, "");
}

}  // namespace
}  // namespace quimbaro
