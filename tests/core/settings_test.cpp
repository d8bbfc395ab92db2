#include "settings/settings.h"

#include <sys/stat.h>

#include <gtest/gtest.h>


#include <functional>
#include <regex>

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
        LoadSettings(store);
        return store;
    }
    // The saved text without the blank lines the writer puts between sections.
    std::string SavedText() const { return std::regex_replace(ReadFile(file), std::regex("\n+"), "\n"); }
    // Reads the text into store and saves it twice: a second save of the same
    // values must change nothing. The text saved.
    std::string SavedTwice(const std::string& text, SettingsStore& store) {
        store = Read(text.c_str());
        EXPECT_TRUE(SaveSettings(store));
        const std::string once = ReadFile(file);
        EXPECT_TRUE(SaveSettings(store));
        EXPECT_EQ(ReadFile(file), once) << "a second save changed the file";
        return once;
    }
};

// Values read as the number at their start, rounded, held to their type (the
// minutes to a day), in sections and keys of any case; missing ones default.
TEST_F(SettingsFile, ValuesReadAsTheNumberAtTheirStartWithinTheirRange) {
    const struct {
        std::string text;
        int32_t colour = 55295;
        int16_t order = 2, minutes = 10;
    } files[] = {
        {"[Otra]\nclave=1\n"}, {"[Colores]\nmean=abc", 0}, {"[Colores]\nmean=", 0}, {"[Colores]\nmean=-12px", -12},
        {"[Colores]\nmean=+7.5", 8}, {"[Colores]\nmean=7.49", 7}, {"[Colores]\nmean=\"255\"", 255},
        {"[Colores]\nmean=99999999999999999999", 2147483647},
        {"[Colores]\nmean=" + std::string(258, '0') + "12", 1},  // only 259 characters are read
        {"[Horas]\nOrden_Alfabetico=70000", 55295, 32767}, {"[Horas]\nOrden_Alfabetico=-70000", 55295, -32768},
        {"[COLORES]\nMEAN=255\n[horas]\norden_alfabetico=1\n", 255, 1}, {"[avisos]\nMINUTOS=5", 55295, 2, 5},
        {"[avisos]\nMINUTOS=-3", 55295, 2, 0}, {"[avisos]\nMINUTOS=99999", 55295, 2, 1440},
        {"[avisos]\nMINUTOS=abc", 55295, 2, 0}};
    for (const auto& f : files) {
        const SettingsStore store = Read(f.text.c_str());
        EXPECT_EQ(std::tuple(store.userColour, static_cast<int16_t>(store.sortOrder), store.reminderMinutes), std::tuple(f.colour, f.order, f.minutes))
            << f.text;
    }
    const SettingsStore sync = Read("[sincronizar]\ncarpeta=/srv/agenda vdir\norden=vdirsyncer sync agenda\nminutos=9999\n");
    EXPECT_EQ(std::tuple(sync.syncFolder, sync.syncCommand, sync.syncMinutes),
              std::tuple("/srv/agenda vdir", "vdirsyncer sync agenda", int16_t(1440)));
    fs::remove(file);
    EXPECT_EQ(Read().userColour, 55295);
    EXPECT_FALSE(fs::exists(file));  // reading creates nothing
}

// The minutes are written only once they were set or the file has them.
TEST_F(SettingsFile, SavesWriteColourAndOrderAndTheMinutesOnceSetKeepingSectionNames) {
    SettingsStore store = Read();
    store.sortOrder = SortOrder::LatestFirst;
    ASSERT_TRUE(SaveSettings(store));
    EXPECT_EQ(SavedText(), "[Colores]\nmean=55295\n[Horas]\nOrden_Alfabetico=1\n");
    for (const int16_t minutes : {0, 10}) {
        store.reminderMinutes = minutes;
        ASSERT_TRUE(SaveSettings(store));
        EXPECT_EQ(Read().reminderMinutes, minutes);
    }
    EXPECT_EQ(SavedText(), "[Colores]\nmean=55295\n[Horas]\nOrden_Alfabetico=1\n[Avisos]\nminutos=10\n");
    store = Read("[COLORES]\nMEAN=255\n[horas]\norden_alfabetico=1\n");
    store.userColour = 16711680;
    ASSERT_TRUE(SaveSettings(store));
    EXPECT_EQ(SavedText(), "[COLORES]\nmean=16711680\n[horas]\nOrden_Alfabetico=1\n");
    EXPECT_EQ(Read().userColour, 16711680);
}

// Comments, other sections and lines the INI reader takes in unexpected ways
// stay, and saving the same values again changes nothing.
TEST_F(SettingsFile, SavingKeepsEverythingElseAndBrokenLinesAndStaysStable) {
    SettingsStore store;
    std::string text = SavedTwice("; Quimbaro\r\n\r\n; colour\r\n[Colores]\r\n; chosen\r\nmean=65280\r\nfondo=blanco\r\n\r\n"
                                  "[Ventana]\r\nx=10\r\n; last words\r\n", store);
    for (const char* kept : {"; Quimbaro", "; colour", "; chosen", "mean=65280", "fondo=blanco", "[Ventana]", "x=10",
                             "Orden_Alfabetico=2", "; last words"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept;
    text = SavedTwice("[Colores]\r\nmean=255\r\n[Horas\r\nOrden_Alfabetico=1\r\n[Notas]\r\ntexto=no tocar\r\n", store);
    EXPECT_EQ(std::make_pair(store.userColour, store.sortOrder), std::make_pair(255, SortOrder::EarliestFirst));  // not under [Horas]
    for (const char* kept : {";[Horas", "texto=no tocar", "[Horas]\nOrden_Alfabetico=2"})
        EXPECT_NE(text.find(kept), std::string::npos) << text;
    SavedTwice("[5\n5=", store);  // the smallest file that made every save one line longer
    // A section line may go on after blank lines; that one is whole and kept.
    EXPECT_NE(SavedTwice("[\n\n  Notas]\ntexto=x\n[ \n\n", store).find("[Notas]\ntexto=x"), std::string::npos);
    // A bare '\r' ends a line: what follows it is no part of the comment before.
    EXPECT_EQ(SavedTwice("\n;\r-=", store).find("\r"), std::string::npos);
    SavedTwice("\n#\r\r", store);
    text = SavedTwice("[Horas]\rOrden_Alfabetico=1\r; fin\r; de verdad\r", store);
    EXPECT_EQ(store.sortOrder, SortOrder::LatestFirst);
    EXPECT_NE(text.find("\n; fin\r; de verdad\r"), std::string::npos) << text;
}

TEST_F(SettingsFile, AFailedSaveReportsFalseAndKeepsTheOldFile) {
    WriteFile(folder.path() / "plain", "x");
    SettingsStore nowhere{folder.path() / "plain" / kSettingsFileName, 1, SortOrder::LatestFirst};
    EXPECT_FALSE(SaveSettings(nowhere));
    const std::string old = "[Colores]\nmean=255\n[Notas]\n" + std::string(400, 'n') + "=1\n";
    SettingsStore store = Read(old.c_str());
    store.userColour = 16711680;
    EXPECT_TRUE(testing::WithFileSizeLimit(100, [&] { return !SaveSettings(store); }));
    EXPECT_EQ(ReadFile(file), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2);  // no leftovers
}

// A settings file that is no plain file of ours, or far too big for one, is
// not read (the defaults hold) and not saved over; a FIFO or a device hangs nothing.
TEST_F(SettingsFile, OnlyAPlainFileOfReasonableSizeIsReadOrReplaced) {
    const fs::path elsewhere = folder.path() / "elsewhere";
    const std::string colour = "[Colores]\nmean=255\n";
    const std::function<void()> makers[] = {
        [&] { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); },
        [&] { fs::create_symlink("/dev/zero", file); },
        [&] { WriteFile(elsewhere, colour); fs::create_symlink(elsewhere, file); },
        [&] { fs::create_directory(file); },
        [&] { WriteFile(file, colour + std::string(2 << 20, ';')); },
    };
    for (const auto& make : makers) {
        fs::remove(file);
        make();
        SettingsStore store = Read();
        EXPECT_EQ(std::make_pair(store.userColour, store.sortOrder), std::make_pair(kDefaultUserColour, kDefaultSortOrder));
        const auto kind = fs::symlink_status(file).type();
        EXPECT_FALSE(SaveSettings(store));
        EXPECT_EQ(fs::symlink_status(file).type(), kind);
    }
    EXPECT_EQ(ReadFile(elsewhere), colour);
}

}  // namespace quimbaro
