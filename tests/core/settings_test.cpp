#include "settings/settings.h"

#include <gtest/gtest.h>

#include <string>

#include "temp_folder.h"

namespace quimbaro {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;
namespace fs = std::filesystem;

class SettingsFile : public ::testing::Test {
protected:
    TempFolder folder;
    const fs::path file = folder.path() / kSettingsFileName;
    // Reads the settings file, written first with text unless null.
    SettingsStore Read(const char* text = nullptr) {
        SettingsStore store{file};
        if (text != nullptr) WriteFile(file, text);
        EXPECT_TRUE(Settings("get", store));
        return store;
    }
    // The saved text without the blank lines the writer puts between sections.
    std::string SavedText() const {
        std::string text;
        for (const char c : ReadFile(file))
            if (c != '\n' || (!text.empty() && text.back() != '\n')) text += c;
        return text;
    }
};

TEST_F(SettingsFile, DefaultsWithoutAFileReadingCreatesNoneAndAFreshSaveWritesBothKeys) {
    SettingsStore store = Read();
    EXPECT_EQ(store.userColour, 55295);
    EXPECT_EQ(store.sortOrder, 2);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(Read("[Otra]\nclave=1\n").sortOrder, 2);
    fs::remove(file);
    store.sortOrder = 1;
    ASSERT_TRUE(Settings("save", store));
    EXPECT_EQ(SavedText(), "[Colores]\nmean=55295\n[Horas]\nOrden_Alfabetico=1\n");
    for (const int32_t colour : {16711680, 255, 0}) {  // blue, red, black
        store.userColour = colour;
        ASSERT_TRUE(Settings("save", store));
        EXPECT_EQ(Read().userColour, colour);
    }
}

// A file that never had the key is saved as before; aviso writes it.
TEST_F(SettingsFile, ReminderMinutesDefaultToTenStayWithinADayAndAreWrittenWhenSet) {
    for (const auto& [value, minutes] : {std::pair{"5", 5}, {"-3", 0}, {"99999", 1440}, {"abc", 0}})
        EXPECT_EQ(Read(("[avisos]\nMINUTOS=" + std::string(value)).c_str()).reminderMinutes, minutes) << value;
    fs::remove(file);
    SettingsStore store = Read();
    EXPECT_EQ(store.reminderMinutes, 10);
    ASSERT_TRUE(Settings("save", store));
    EXPECT_EQ(SavedText(), "[Colores]\nmean=55295\n[Horas]\nOrden_Alfabetico=2\n");
    store.reminderMinutes = 0;
    ASSERT_TRUE(Settings("save", store) && Settings("get", store));
    EXPECT_EQ(store.reminderMinutes, 0);
    store.reminderMinutes = 10;
    ASSERT_TRUE(Settings("save", store));
    EXPECT_EQ(SavedText(), "[Colores]\nmean=55295\n[Horas]\nOrden_Alfabetico=2\n[Avisos]\nminutos=10\n");
}

TEST_F(SettingsFile, ValuesReadAsTheNumberAtTheirStart) {
    const std::pair<std::string, int32_t> colours[] = {
        {"abc", 0}, {"", 0}, {"-12px", -12}, {"+7.5", 8}, {"7.49", 7}, {"\"255\"", 255},
        {"99999999999999999999", 2147483647}, {std::string(258, '0') + "12", 1}};  // only 259 characters are read
    for (const auto& [value, colour] : colours)
        EXPECT_EQ(Read(("[Colores]\nmean=" + value + "\n").c_str()).userColour, colour) << value;
    EXPECT_EQ(Read("[Horas]\nOrden_Alfabetico=70000\n").sortOrder, 32767);
    EXPECT_EQ(Read("[Horas]\nOrden_Alfabetico=-70000\n").sortOrder, -32768);
}

TEST_F(SettingsFile, SectionsAndKeysAreFoundWhateverTheirCase) {
    SettingsStore store = Read("[COLORES]\nMEAN=255\n[horas]\norden_alfabetico=1\n");
    EXPECT_EQ(store.userColour, 255);
    EXPECT_EQ(store.sortOrder, 1);
    store.userColour = 16711680;
    ASSERT_TRUE(Settings("save", store));
    EXPECT_EQ(SavedText(), "[COLORES]\nmean=16711680\n[horas]\nOrden_Alfabetico=1\n");
}

TEST_F(SettingsFile, SavingKeepsEverythingElseOfAHandWrittenFile) {
    SettingsStore store = Read("; Quimbaro\r\n\r\n; colour of the marks\r\n[Colores]\r\n; chosen with color\r\n"
                               "mean=65280\r\nfondo=blanco\r\n\r\n[Ventana]\r\nx=10\r\n; last words\r\n");
    store.sortOrder = 1;
    ASSERT_TRUE(Settings("save", store));
    const std::string text = ReadFile(file);
    for (const char* kept : {"; Quimbaro", "; colour of the marks", "; chosen with color", "mean=65280",
                             "fondo=blanco", "[Ventana]", "x=10", "Orden_Alfabetico=1", "; last words"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept;
    ASSERT_TRUE(Settings("save", store));
    EXPECT_EQ(ReadFile(file), text);  // saving again changes nothing, duplicates nothing
}

TEST_F(SettingsFile, AFailedSaveReportsFalseAndKeepsTheOldFile) {
    WriteFile(folder.path() / "plain", "x");
    SettingsStore nowhere{folder.path() / "plain" / kSettingsFileName, 1, 1};
    EXPECT_FALSE(Settings("save", nowhere));
    const std::string old = "[Colores]\nmean=255\n[Notas]\n" + std::string(400, 'n') + "=1\n";
    SettingsStore store = Read(old.c_str());
    store.userColour = 16711680;
    EXPECT_TRUE(testing::WithFileSizeLimit(100, [&] { return !Settings("save", store); }));
    EXPECT_EQ(ReadFile(file), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2);  // no leftovers
}

}  // namespace quimbaro
