#include "settings/settings.h"

#include <gtest/gtest.h>

#include <string>

#include "temp_folder.h"

namespace quimbaro {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;
namespace fs = std::filesystem;

// Reads the folder's settings file, written first with text unless null.
SettingsStore Read(const TempFolder& folder, const char* text = nullptr) {
    SettingsStore store{folder.path() / kSettingsFileName};
    if (text != nullptr) WriteFile(store.file, text);
    EXPECT_TRUE(Settings("get", store));
    return store;
}

// The saved text without the blank lines the writer puts between sections.
std::string SavedText(const fs::path& file) {
    std::string text;
    for (const char c : ReadFile(file))
        if (c != '\n' || (!text.empty() && text.back() != '\n')) text += c;
    return text;
}

TEST(Settings, DefaultsWithoutAFileAndReadingCreatesNone) {
    TempFolder folder;
    for (const char* mode : {"GET", "Save", "", "save "}) {  // only the exact modes do anything
        SettingsStore store{folder.path() / kSettingsFileName, 7, 7};
        EXPECT_TRUE(Settings(mode, store));
        EXPECT_EQ(store.userColour + store.sortOrder, 14) << mode;
    }
    const SettingsStore store = Read(folder);
    EXPECT_EQ(store.userColour, 55295);
    EXPECT_EQ(store.sortOrder, 2);
    EXPECT_FALSE(fs::exists(store.file));
    EXPECT_EQ(Read(folder, "[Otra]\nclave=1\n").userColour, 55295);
}

TEST(Settings, ASaveInAFreshFolderWritesBothKeysAndReadsBack) {
    TempFolder folder;
    SettingsStore store = Read(folder);
    store.sortOrder = 1;
    ASSERT_TRUE(Settings("save", store));
    EXPECT_EQ(SavedText(store.file), "[Colores]\nmean=55295\n[Horas]\nOrden_Alfabetico=1\n");
    for (const int32_t colour : {16711680, 255, 0}) {  // blue, red, black
        store.userColour = colour;
        ASSERT_TRUE(Settings("save", store));
        EXPECT_EQ(Read(folder).userColour, colour);
    }
}

TEST(Settings, ValuesReadAsTheNumberAtTheirStart) {
    TempFolder folder;
    const std::pair<std::string, int32_t> colours[] = {
        {"abc", 0}, {"", 0}, {"-12px", -12}, {"+7.5", 8}, {"7.49", 7}, {"\"255\"", 255},
        {"99999999999999999999", 2147483647}, {std::string(258, '0') + "12", 1}};  // only 259 characters are read
    for (const auto& [value, colour] : colours)
        EXPECT_EQ(Read(folder, ("[Colores]\nmean=" + value + "\n").c_str()).userColour, colour) << value;
    EXPECT_EQ(Read(folder, "[Horas]\nOrden_Alfabetico=70000\n").sortOrder, 32767);
    EXPECT_EQ(Read(folder, "[Horas]\nOrden_Alfabetico=-70000\n").sortOrder, -32768);
}

TEST(Settings, SectionsAndKeysAreFoundWhateverTheirCase) {
    TempFolder folder;
    SettingsStore store = Read(folder, "[COLORES]\nMEAN=255\n[horas]\norden_alfabetico=1\n");
    EXPECT_EQ(store.userColour, 255);
    EXPECT_EQ(store.sortOrder, 1);
    store.userColour = 16711680;
    ASSERT_TRUE(Settings("save", store));
    EXPECT_EQ(SavedText(store.file), "[COLORES]\nmean=16711680\n[horas]\nOrden_Alfabetico=1\n");
}

TEST(Settings, SavingKeepsEverythingElseOfAHandWrittenFile) {
    TempFolder folder;
    SettingsStore store = Read(folder, "; Quimbaro\r\n\r\n; colour of the marks\r\n[Colores]\r\n; chosen with color\r\n"
                                       "mean=65280\r\nfondo=blanco\r\n\r\n[Ventana]\r\nx=10\r\n; last words\r\n");
    EXPECT_EQ(store.userColour, 65280);
    store.sortOrder = 1;
    ASSERT_TRUE(Settings("save", store));
    const std::string text = ReadFile(store.file);
    for (const char* kept : {"; Quimbaro", "; colour of the marks", "; chosen with color", "mean=65280",
                             "fondo=blanco", "[Ventana]", "x=10", "Orden_Alfabetico=1", "; last words"})
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
    SettingsStore store = Read(folder, old.c_str());
    store.userColour = 16711680;
    EXPECT_TRUE(testing::WithFileSizeLimit(100, [&] { return !Settings("save", store); }));
    EXPECT_EQ(ReadFile(store.file), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);  // no leftovers
}

}  // namespace
}  // namespace quimbaro
