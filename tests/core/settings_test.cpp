#include "settings/settings.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace quimbaro {

using testing::ReadFile;
using testing::WriteFile;
namespace fs = std::filesystem;

class SettingsFile : public ::testing::Test {
protected:
    testing::TempFolder folder;
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
    // Reads the text into store and saves it twice: a second save of the same
    // values must change nothing. The text saved.
    std::string SavedTwice(const std::string& text, SettingsStore& store) {
        store = Read(text.c_str());
        EXPECT_TRUE(Settings("save", store));
        const std::string once = ReadFile(file);
        EXPECT_TRUE(Settings("save", store));
        EXPECT_EQ(ReadFile(file), once) << "a second save changed the file";
        return once;
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

TEST_F(SettingsFile, ValuesReadAsTheNumberAtTheirStartInSectionsOfAnyCase) {
    const std::pair<std::string, int32_t> colours[] = {
        {"abc", 0}, {"", 0}, {"-12px", -12}, {"+7.5", 8}, {"7.49", 7}, {"\"255\"", 255},
        {"99999999999999999999", 2147483647}, {std::string(258, '0') + "12", 1}};  // only 259 characters are read
    for (const auto& [value, colour] : colours)
        EXPECT_EQ(Read(("[Colores]\nmean=" + value + "\n").c_str()).userColour, colour) << value;
    EXPECT_EQ(Read("[Horas]\nOrden_Alfabetico=70000\n").sortOrder, 32767);
    EXPECT_EQ(Read("[Horas]\nOrden_Alfabetico=-70000\n").sortOrder, -32768);
    SettingsStore store = Read("[COLORES]\nMEAN=255\n[horas]\norden_alfabetico=1\n");
    EXPECT_EQ(std::make_pair(store.userColour, store.sortOrder), std::make_pair(255, int16_t{1}));
    store.userColour = 16711680;
    ASSERT_TRUE(Settings("save", store));
    EXPECT_EQ(SavedText(), "[COLORES]\nmean=16711680\n[horas]\nOrden_Alfabetico=1\n");
}

TEST_F(SettingsFile, SavingKeepsEverythingElseOfAHandWrittenFile) {
    SettingsStore store;
    const std::string text = SavedTwice("; Quimbaro\r\n\r\n; colour of the marks\r\n[Colores]\r\n; chosen with color\r\n"
                                        "mean=65280\r\nfondo=blanco\r\n\r\n[Ventana]\r\nx=10\r\n; last words\r\n", store);
    for (const char* kept : {"; Quimbaro", "; colour of the marks", "; chosen with color", "mean=65280",
                             "fondo=blanco", "[Ventana]", "x=10", "Orden_Alfabetico=2", "; last words"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept;
}

// Lines the INI reader takes in unexpected ways: whatever they hold, saving the
// same values again changes nothing.
TEST_F(SettingsFile, BrokenLinesAreKeptAndSavesStayStable) {
    SettingsStore store;
    const std::string saved = SavedTwice("[Colores]\r\nmean=255\r\n[Horas\r\nOrden_Alfabetico=1\r\n"
                                         "[Notas]\r\ntexto=no tocar\r\n", store);
    EXPECT_EQ(std::make_pair(store.userColour, store.sortOrder), std::make_pair(255, int16_t{2}));  // not under [Horas]
    for (const char* kept : {";[Horas", "texto=no tocar", "[Horas]\nOrden_Alfabetico=2"})
        EXPECT_NE(saved.find(kept), std::string::npos) << saved;
    SavedTwice("[5\n5=", store);  // the smallest file that made every save one line longer
    // A section line may go on after blank lines; that one is whole and kept.
    EXPECT_NE(SavedTwice("[\n\n  Notas]\ntexto=x\n[ \n\n", store).find("[Notas]\ntexto=x"), std::string::npos);
    // A bare '\r' ends a line: what follows it is no part of the comment before.
    EXPECT_EQ(SavedTwice("\n;\r-=", store).find("\r"), std::string::npos);
    SavedTwice("\n#\r\r", store);
    const std::string oldMac = SavedTwice("[Horas]\rOrden_Alfabetico=1\r; fin\r; de verdad\r", store);
    EXPECT_EQ(store.sortOrder, 1);
    EXPECT_NE(oldMac.find("\n; fin\r; de verdad\r"), std::string::npos) << oldMac;
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
