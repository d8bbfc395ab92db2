// Hand-written settings files with lines the INI reader takes in unexpected
// ways: whatever they hold, saving the same values again changes nothing.

#include <gtest/gtest.h>

#include <string>

#include "settings/settings.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

std::string SavedTwice(const TempFolder& folder, const std::string& text, SettingsStore& store) {
    store.file = folder.path() / kSettingsFileName;
    WriteFile(store.file, text);
    Settings("get", store);
    EXPECT_TRUE(Settings("save", store));
    const std::string once = ReadFile(store.file);
    EXPECT_TRUE(Settings("save", store));
    EXPECT_EQ(ReadFile(store.file), once) << "a second save of the same values changed the file";
    return once;
}

TEST(SettingsBrokenLines, SectionWithoutClosingBracketIsKeptAndSavesAreStable) {
    TempFolder folder;
    SettingsStore store;
    const std::string saved = SavedTwice(folder,
                                         "[Colores]\r\nmean=255\r\n[Horas\r\nOrden_Alfabetico=1\r\n"
                                         "[Notas]\r\ntexto=no tocar\r\n",
                                         store);
    EXPECT_EQ(store.userColour, 255);
    EXPECT_EQ(store.sortOrder, 2);  // its key is not under [Horas]
    EXPECT_NE(saved.find(";[Horas"), std::string::npos) << saved;
    EXPECT_NE(saved.find("texto=no tocar"), std::string::npos) << saved;
    EXPECT_NE(saved.find("[Horas]\nOrden_Alfabetico=2"), std::string::npos) << saved;

    // The smallest file that made every save one line longer.
    SavedTwice(folder, "[5\n5=", store);
    // A section line may go on after blank lines; that one is whole and kept.
    const std::string split = SavedTwice(folder, "[\n\n  Notas]\ntexto=x\n[ \n\n", store);
    EXPECT_NE(split.find("[Notas]\ntexto=x"), std::string::npos) << split;
}

// The reader ends lines at a bare '\r' too, so what follows one is no part of
// the comment before it and must not be copied along with the comment.
TEST(SettingsBrokenLines, BareCarriageReturnsEndLinesForTheTrailingComments) {
    TempFolder folder;
    SettingsStore store;
    const std::string keyAfterComment = SavedTwice(folder, "\n;\r-=", store);
    EXPECT_EQ(keyAfterComment.find("\r"), std::string::npos) << keyAfterComment;
    SavedTwice(folder, "\n#\r\r", store);
    const std::string oldMac = SavedTwice(folder, "[Horas]\rOrden_Alfabetico=1\r; fin\r; de verdad\r", store);
    EXPECT_EQ(store.sortOrder, 1);
    EXPECT_NE(oldMac.find("\n; fin\r; de verdad\r"), std::string::npos) << oldMac;
}

}  // namespace
}  // namespace quimbaro
