#include "place/data_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "book/year_file.h"
#include "settings/settings.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::WriteFile;

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST(DataFolderRule, ExplicitFoldersWinThenTheInstallDecidesThenTheProgramFoldersAccess) {
    const fs::path user = "/home/ana/.local/share/quimbaro";
    struct Row {
        const char *option, *environment, *program;
        bool programWritable;
        fs::path folder;
        DataFolderSource source;
    } rows[] = {
        {"/d/opt", "/d/env", "/usr/bin", true, "/d/opt", DataFolderSource::Option},
        {"", "/d/env", "/usr/bin", false, "/d/env", DataFolderSource::Environment},
        // Installed: root could write into bin, and must not.
        {"", "", "/usr/bin", true, user, DataFolderSource::Installed},
        {"", "", "/usr/./bin/", true, user, DataFolderSource::Installed},
        {"", "", "/src/build", true, "/src/build", DataFolderSource::BesideProgram},
        {"", "", "/src/build", false, user, DataFolderSource::ProgramReadOnly},
        {"", "", "/usr/binaries", false, user, DataFolderSource::ProgramReadOnly},
    };
    for (const Row& row : rows) {
        const auto isWritable = [&](const fs::path& folder) { return row.programWritable && folder == row.program; };
        DataFolderFacts facts{row.option, row.environment, row.program, "/usr/bin", "/home/ana/.local/share",
                              isWritable};
        const DataFolderChoice choice = ChooseDataFolder(facts);
        EXPECT_EQ(choice.folder, row.folder) << row.program;
        EXPECT_EQ(choice.source, row.source) << row.program;
        facts.userDataHome.clear();  // no HOME: never a folder relative to the working one
        if (row.folder == user) {
            EXPECT_EQ(ChooseDataFolder(facts).folder, "") << row.program;
        }
    }
    // An empty variable is no folder (it would mean the working folder).
    ::setenv("QUIMBARO_DATA", "", 1);
    EXPECT_EQ(ProcessDataFolderFacts("").environment, "");
    ::unsetenv("QUIMBARO_DATA");
    EXPECT_EQ(PrepareDataFolder(""),
              "No se puede usar la carpeta de datos del usuario: no hay carpeta personal (HOME)");
}

// What the program creates is its owner's only; what exists keeps its mode.
TEST(DataFolderRule, PreparingCreatesMissingLevelsAndFilesPrivateAndRefusesWhatCannotHoldFiles) {
    TempFolder temp;
    const fs::path nested = temp.path() / "share" / "quimbaro", settingsFile = nested / kSettingsFileName;
    ASSERT_EQ(PrepareDataFolder(nested), std::nullopt);
    SettingsStore settings{settingsFile, 1, SortOrder::EarliestFirst};
    ASSERT_TRUE(SaveSettings(settings));
    ASSERT_TRUE(AppendAppointment(nested, "01/02/2026", "10:00", "1", "Ana", "x").Stored());
    for (const fs::path& made : {temp.path() / "share", nested, settingsFile, nested / "2026.log"})
        EXPECT_EQ(ModeOf(made), fs::is_directory(made) ? 0700u : 0600u) << made;

    for (const fs::path& kept : {nested, settingsFile, nested / "2027.log"}) {
        if (!fs::exists(kept)) WriteFile(kept, "");
        fs::permissions(kept, fs::perms(0750));
    }
    ASSERT_EQ(PrepareDataFolder(nested), std::nullopt);
    ASSERT_TRUE(SaveSettings(settings));
    ASSERT_TRUE(AppendAppointment(nested, "01/02/2027", "10:00", "1", "Ana", "x").Stored());
    for (const fs::path& kept : {nested, settingsFile, nested / "2027.log"}) EXPECT_EQ(ModeOf(kept), 0750u) << kept;

    WriteFile(temp.path() / "file", "x");
    for (const fs::path& bad : {temp.path() / "file", temp.path() / "file" / "sub"})
        EXPECT_EQ(PrepareDataFolder(bad), "No se puede usar la carpeta de datos " + bad.string() + ": la ruta no es una carpeta");
    EXPECT_FALSE(fs::exists(temp.path() / "file" / "sub"));
}

}  // namespace
}  // namespace quimbaro
