// A process saving the settings in a loop is killed with SIGKILL at random
// moments, over and over. After every kill the file must be a whole version,
// the one before the last save or the one after it, never a truncated one, and
// everything else of the hand-written file must still be there.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <random>
#include <string>
#include <thread>

#include "settings/settings.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::KillAfter;
using testing::TempFolder;
using testing::WriteFile;

constexpr int kKills = 200;
constexpr int32_t kColoursPerRound = 1'000'000;

const std::string kHandWritten =
    "; ajustes hechos a mano\n"
    "[Ventana]\n"
    "ancho=1160\n"
    "alto=955\n"
    "\n"
    "[Colores]\n"
    "mean=255\n"
    "fondo=verde\n"
    "\n"
    "[Horas]\n"
    "Orden_Alfabetico=1\n"
    "\n"
    "[Notas]\n"
    "texto=no tocar\n";

// Save number i of a round: the order follows from the colour, so a version
// read back shows whether its two keys were written together.
[[noreturn]] void SaveForever(const fs::path& file, int round) {
    SettingsStore store{file};
    for (int32_t i = 0;; ++i) {
        store.userColour = round * kColoursPerRound + i;
        store.sortOrder = static_cast<int16_t>(1 + i % 2);
        if (!Settings("save", store)) _exit(1);
    }
}

bool HasLine(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

std::size_t Count(const std::string& text, const std::string& piece) {
    std::size_t count = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
    return count;
}

void ExpectWholeFile(const std::string& text) {
    for (const char* line : {"[Ventana]", "ancho=1160", "alto=955", "[Colores]", "fondo=verde", "[Horas]",
                             "[Notas]", "texto=no tocar"})
        EXPECT_TRUE(HasLine(text, line)) << "lost \"" << line << "\" from:\n" << text;
    EXPECT_EQ(Count(text, "\nmean="), 1u) << text;
    EXPECT_EQ(Count(text, "\nOrden_Alfabetico="), 1u) << text;
}

struct Version {
    int32_t colour;
    int16_t order;
};

// The file read back is the previous version or one the child wrote this round.
bool IsOldOrNew(const SettingsStore& read, const Version& previous, int round) {
    if (read.userColour == previous.colour && read.sortOrder == previous.order) return true;
    const int32_t i = read.userColour - round * kColoursPerRound;
    return i >= 0 && i < kColoursPerRound && read.sortOrder == 1 + i % 2;
}

TEST(SettingsCrash, KilledSavesLeaveTheOldOrTheNewFileAndKeepEverythingElse) {
    TempFolder folder;
    const fs::path file = folder.path() / kSettingsFileName;
    WriteFile(file, kHandWritten);
    std::mt19937 random(1160955);
    std::uniform_int_distribution<int> delayMicroseconds(0, 6000);
    Version previous{255, 1};
    int versionsSeen = 0;

    for (int round = 1; round <= kKills; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) SaveForever(file, round);
        ASSERT_TRUE(KillAfter(child, std::chrono::microseconds(delayMicroseconds(random))))
            << "the saving child stopped by itself in round " << round;

        SettingsStore read{file};
        Settings("get", read);
        ASSERT_TRUE(IsOldOrNew(read, previous, round))
            << "round " << round << ": mean=" << read.userColour << " Orden_Alfabetico=" << read.sortOrder;
        ExpectWholeFile(ReadFile(file));
        if (::testing::Test::HasFailure()) return;
        versionsSeen += read.userColour != previous.colour;
        previous = {read.userColour, read.sortOrder};
    }
    // Saves did get through between the kills, or the test proves nothing.
    EXPECT_GE(versionsSeen, 10);
    // A kill between naming the temporary file and renaming it leaves the
    // temporary file behind; it is harmless, so it is only counted.
    const auto entries = std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator());
    std::printf("[ figures  ] %d kills survived, %d new versions seen, %d temporary files left\n", kKills,
                versionsSeen, static_cast<int>(entries - 1));
}

}  // namespace
}  // namespace quimbaro
