// Processes changing the book are killed with SIGKILL at random moments, over
// and over. After every kill the files must hold only what was whole before it.
#include <gtest/gtest.h>

#include <random>

#include "book/year_file.h"
#include "settings/settings.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

namespace fs = std::filesystem;
constexpr int kKills = 100;

// Forks work(round) kKills times, kills it after a random delay up to about
// a few of its steps (longer on slow builds), then checks.
void KillRepeatedly(unsigned seed, int longestDelayMicroseconds, const std::function<void(int)>& work,
                    const std::function<void(int)>& check) {
    std::mt19937 random(seed);
    for (int round = 1; round <= kKills && !::testing::Test::HasFailure(); ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) work(round), _exit(1);
        ASSERT_TRUE(testing::KillAfter(child, std::chrono::microseconds(random() % longestDelayMicroseconds))) << "stopped in round " << round;
        check(round);
    }
}

// Record n of the year file: every field follows from n; subjects run past
// their width now and then.
std::string Generated(uint64_t n, bool append = false, const fs::path& folder = {}) {
    const std::string time = std::to_string(n / 60 % 24) + ":" + std::to_string(n % 60), phone = std::to_string(600000000 + n);
    const std::string name = "Persona n\xFAmero " + std::to_string(n), subject = "Asunto " + std::string(n % 97, 'a' + n % 26);
    if (append && !AppendAppointment(folder, "05/12/2026", time, phone, name, subject).Stored()) _exit(1);
    const Appointment record = MakeAppointment("05/12/2026", time, phone, name, subject);
    return std::string(reinterpret_cast<const char*>(&record), kRecordSize);
}

// Every tenth round the tail is torn as a crash of the machine would leave it;
// the next append must write over it.
TEST(Crash, KilledAppendsLeaveWholeRecordsAndAtMostATornTailTheNextAppendRepairs) {
    testing::TempFolder folder;
    const fs::path file = YearFilePath(folder.path(), "05/12/2026");
    std::string expected, torn;
    KillRepeatedly(
        20261205, 6000,
        [&](int) {  // a hundred appends at most, so the file stays quick to check
            for (uint64_t n = expected.size() / kRecordSize, last = n + 100; n < last; ++n) Generated(n, true, folder.path());
            for (;;) pause();
        },
        [&](int round) {
            const std::string bytes = testing::ReadFile(file);
            for (uint64_t n = expected.size() / kRecordSize; n < bytes.size() / kRecordSize; ++n) expected += Generated(n);
            ASSERT_EQ(bytes.substr(0, expected.size()), expected) << "round " << round;
            const std::string tail = bytes.substr(expected.size());
            EXPECT_TRUE(Generated(expected.size() / kRecordSize).starts_with(tail) || tail == torn) << tail.size();
            if (tail != torn) torn.clear();  // written over by now
            if (round % 10 == 0) testing::WriteFile(file, expected + (torn = std::string(1 + round % 150, static_cast<char>(round))));
        });
    Generated(expected.size() / kRecordSize, true, folder.path());
    EXPECT_EQ(testing::ReadFile(file), expected + Generated(expected.size() / kRecordSize));
    EXPECT_GT(expected.size() / kRecordSize, static_cast<uint64_t>(kKills));  // appends got through
}

// Each save writes the colour with an order that follows from it, so a version
// read back shows whether it was written whole; the hand-written rest stays.
TEST(Crash, KilledSettingsSavesLeaveTheOldOrTheNewFileAndKeepEverythingElse) {
    testing::TempFolder folder;
    const fs::path file = folder.path() / kSettingsFileName;
    const std::string kept = "; a mano\n[Ventana]\nancho=1160\n[Notas]\ntexto=no tocar\n";
    testing::WriteFile(file, kept + "[Colores]\nmean=0\n[Horas]\nOrden_Alfabetico=1\n");
    int32_t previous = 0, versions = 0;
    KillRepeatedly(
        1160955, 15000,  // a save renames and syncs: slower than an append
        [&](int round) {
            SettingsStore store{file};
            for (int32_t colour = round * 1'000'000;; ++colour) {
                store.userColour = colour;
                store.sortOrder = static_cast<int16_t>(1 + colour % 2);
                if (!Settings("save", store)) _exit(1);
            }
        },
        [&](int round) {
            SettingsStore read{file};
            Settings("get", read);
            const std::string text = testing::ReadFile(file);
            const bool isNew = read.userColour / 1'000'000 == round;
            ASSERT_TRUE(read.userColour == previous || isNew) << text;
            EXPECT_EQ(read.sortOrder, 1 + read.userColour % 2) << text;
            for (const char* line : {"; a mano\n", "\nancho=1160\n", "\n[Notas]\ntexto=no tocar\n"})
                EXPECT_NE(text.find(line), std::string::npos) << text;
            EXPECT_EQ(text.find("mean="), text.rfind("mean=")) << text;
            versions += read.userColour != previous;
            previous = read.userColour;
        });
    EXPECT_GE(versions, 10);  // saves got through between the kills
}

}  // namespace
}  // namespace quimbaro
