#include "settings/settings.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace quimbaro {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;
namespace fs = std::filesystem;

SettingsStore StoreIn(const TempFolder& folder) { return {folder.path() / kSettingsFileName, 0, 0}; }

SettingsStore ReadFrom(const TempFolder& folder, const std::string& text) {
    SettingsStore store = StoreIn(folder);
    WriteFile(store.file, text);
    Settings("get", store);
    return store;
}

std::string WithoutBlankLines(const std::string& text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] != '\n' || (!result.empty() && result.back() != '\n')) result += text[i];
    return result;
}

TEST(Settings, DefaultsWithoutAFileAndReadingCreatesNone) {
    TempFolder folder;
    SettingsStore store = StoreIn(folder);
    EXPECT_TRUE(Settings("get", store));
    EXPECT_EQ(store.userColour, 55295);
    EXPECT_EQ(store.sortOrder, 2);
    EXPECT_FALSE(fs::exists(store.file));
    store = ReadFrom(folder, "[Otra]\nclave=1\n");
    EXPECT_EQ(store.userColour, 55295);
    EXPECT_EQ(store.sortOrder, 2);
}

TEST(Settings, SavingInAFreshFolderWritesBothKeysInOrder) {
    TempFolder folder;
    SettingsStore store = StoreIn(folder);
    Settings("get", store);
    store.sortOrder = 1;
    ASSERT_TRUE(Settings("save", store));
    EXPECT_EQ(WithoutBlankLines(ReadFile(store.file)), "[Colores]\nmean=55295\n[Horas]\nOrden_Alfabetico=1\n");
    store.userColour = 16711680;  // pure blue
    store.sortOrder = 2;
    ASSERT_TRUE(Settings("save", store));
    EXPECT_EQ(WithoutBlankLines(ReadFile(store.file)), "[Colores]\nmean=16711680\n[Horas]\nOrden_Alfabetico=2\n");
    store.userColour = 255;  // pure red
    ASSERT_TRUE(Settings("save", store));
    SettingsStore again = StoreIn(folder);
    Settings("get", again);
    EXPECT_EQ(again.userColour, 255);
    EXPECT_EQ(again.sortOrder, 2);
}

TEST(Settings, ValuesReadAsTheNumberAtTheirStart) {
    TempFolder folder;
    EXPECT_EQ(ReadFrom(folder, "[Colores]\nmean=abc\n").userColour, 0);
    EXPECT_EQ(ReadFrom(folder, "[Colores]\nmean=\n").userColour, 0);
    EXPECT_EQ(ReadFrom(folder, "[Colores]\nmean=-12px\n").userColour, -12);
    EXPECT_EQ(ReadFrom(folder, "[Colores]\nmean=+7.5\n").userColour, 8);
    EXPECT_EQ(ReadFrom(folder, "[Colores]\nmean=7.49\n").userColour, 7);
    EXPECT_EQ(ReadFrom(folder, "[Colores]\nmean=\"255\"\n").userColour, 255);
    EXPECT_EQ(ReadFrom(folder, "[Colores]\nmean=99999999999999999999\n").userColour, 2147483647);
    EXPECT_EQ(ReadFrom(folder, "[Horas]\nOrden_Alfabetico=70000\n").sortOrder, 32767);
    EXPECT_EQ(ReadFrom(folder, "[Horas]\nOrden_Alfabetico=-70000\n").sortOrder, -32768);
    // Only the first 259 characters of a value are read.
    EXPECT_EQ(ReadFrom(folder, "[Colores]\nmean=" + std::string(258, '0') + "12\n").userColour, 1);
}

TEST(Settings, SectionsAndKeysAreFoundWhateverTheirCase) {
    TempFolder folder;
    const SettingsStore store = ReadFrom(folder, "[COLORES]\nMEAN=255\n[horas]\norden_alfabetico=1\n");
    EXPECT_EQ(store.userColour, 255);
    EXPECT_EQ(store.sortOrder, 1);
    SettingsStore changed = store;
    changed.userColour = 16711680;
    ASSERT_TRUE(Settings("save", changed));
    EXPECT_EQ(WithoutBlankLines(ReadFile(store.file)), "[COLORES]\nmean=16711680\n[horas]\nOrden_Alfabetico=1\n");
}

TEST(Settings, SavingKeepsEverythingElseOfAHandWrittenFile) {
    TempFolder folder;
    SettingsStore store = ReadFrom(folder,
                                   "; Quimbaro\r\n\r\n; colour of the marks\r\n[Colores]\r\n; chosen with color\r\n"
                                   "mean=65280\r\nfondo=blanco\r\n\r\n[Ventana]\r\nx=10\r\n; last words\r\n");
    EXPECT_EQ(store.userColour, 65280);
    store.sortOrder = 1;
    ASSERT_TRUE(Settings("save", store));
    const std::string text = ReadFile(store.file);
    for (const char* kept : {"; Quimbaro", "; colour of the marks", "; chosen with color", "mean=65280", "fondo=blanco",
                             "[Ventana]", "x=10", "Orden_Alfabetico=1", "; last words"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept;
    ASSERT_TRUE(Settings("save", store));
    EXPECT_EQ(ReadFile(store.file), text);  // saving again changes nothing, duplicates nothing
}

TEST(Settings, AFailedSaveReportsFalseAndKeepsTheOldFile) {
    TempFolder folder;
    WriteFile(folder.path() / "plain", "x");
    SettingsStore nowhere{folder.path() / "plain" / kSettingsFileName, 1, 1};
    EXPECT_FALSE(Settings("save", nowhere));

    const std::string old = "[Colores]\nmean=255\n[Notas]\n" + std::string(400, 'n') + "=1\n";
    SettingsStore store = ReadFrom(folder, old);
    store.userColour = 16711680;
    const pid_t child = fork();
    if (child == 0) {  // a full disk: no file may grow past 100 bytes
        signal(SIGXFSZ, SIG_IGN);
        const rlimit size{100, 100};
        setrlimit(RLIMIT_FSIZE, &size);
        _exit(Settings("save", store) ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadFile(store.file), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);  // no leftovers
}

TEST(Settings, OnlyTheExactModesDoAnything) {
    TempFolder folder;
    SettingsStore store = StoreIn(folder);
    for (const char* mode : {"GET", "Save", "", "save "}) EXPECT_TRUE(Settings(mode, store));
    EXPECT_EQ(store.userColour, 0);
    EXPECT_FALSE(fs::exists(store.file));
}

}  // namespace
}  // namespace quimbaro
