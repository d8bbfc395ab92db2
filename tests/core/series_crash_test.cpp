// Processes changing the rules file are killed with SIGKILL at random moments,
// over and over: the file must always read whole, holding the old rules or
// the new ones, never a torn mix, and the temporary files of killed changes
// must not pile up.
#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "repeat/rules_file.h"
#include "repeat/series_change.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

// The weekly series' days from its first: day n is n weeks on.
CalendarDate Week(int n) { return *DaysAfter({2026, 12, 7}, 7 * n); }

const std::string kLeftover = ".repeticiones-tmp-0123456789ab";  // as a killed change leaves it

int TempsIn(const std::filesystem::path& folder) {
    int temps = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        temps += entry.path().filename().string().starts_with(".repeticiones-tmp-");
    return temps;
}

TEST(Crash, KilledRuleChangesLeaveTheOldOrTheNewRules) {
    testing::TempFolder temp;
    const std::filesystem::path folder = temp.path();
    const auto added = AddSeries(folder, MakeAppointment("07/12/2026", "10:00", "1", "Ana", "x"),
                                 {Frequency::Weekly, 1, std::nullopt, 0});
    ASSERT_TRUE(added.Done()) << added.error;
    const std::string uid = added.undo->states[0].uid;
    testing::WriteFile(folder / kLeftover, "BEGIN:VCALENDAR");
    std::mt19937 random(20261207);
    std::size_t previous = 0;
    int grew = 0;
    // Each child removes the next weeks one change at a time; the kill comes
    // some way into that. The cap only stops work that gets nowhere.
    for (int round = 1; round <= 100 || grew < 10; ++round) {
        ASSERT_LE(round, 5000) << "the changes got too little done between the kills";
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (std::size_t n = previous + 1;; ++n)
                if (!SkipOccurrence(folder, {uid, Week(int(n)), ""}).Done()) _exit(3);
        }
        // A slow disk gets longer before the kill the longer it takes.
        std::this_thread::sleep_for(std::chrono::microseconds(random() % (20000 * (1 + round / 50))));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself in round " << round;
        const RulesRead rules = ReadRules(folder);
        ASSERT_TRUE(rules.Whole()) << rules.problem;
        ASSERT_EQ(rules.series.size(), 1u);
        const std::vector<CalendarDate>& gone = rules.series[0].excluded;
        ASSERT_GE(gone.size(), previous);
        for (std::size_t n = 0; n < gone.size(); ++n) ASSERT_EQ(gone[n], Week(int(n) + 1));
        grew += gone.size() > previous;
        previous = gone.size();
        // The rules, the lock, and the last kill's temporary file at most.
        ASSERT_LE(std::distance(std::filesystem::directory_iterator(folder), {}), 3) << "round " << round;
    }
}

// The next change clears a killed change's temporary file, and nothing else:
// not another writer's, not a name of another shape, not a link named like
// ours (nor what it points to).
TEST(Crash, TheNextChangeClearsOnlyOurLeftoverTemporaryFile) {
    testing::TempFolder temp, outside;
    const std::filesystem::path folder = temp.path(), target = outside.path() / "target";
    testing::WriteFile(target, "kept");
    const std::vector<std::string> others = {".quimbaro-tmp-0123456789ab", ".repeticiones-tmp-0123456789AB",
                                             ".repeticiones-tmp-0123456789abc", "repeticiones-tmp-0123456789ab"};
    for (const std::string& name : others) testing::WriteFile(folder / name, "x");
    testing::WriteFile(folder / kLeftover, "BEGIN:VCALENDAR");
    const std::string link = ".repeticiones-tmp-ffffffffffff";
    std::filesystem::create_symlink(target, folder / link);
    const auto added = AddSeries(folder, MakeAppointment("07/12/2026", "10:00", "1", "Ana", "x"), {});
    ASSERT_TRUE(added.Done()) << added.error;
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(folder / kLeftover)));
    for (const std::string& name : others) EXPECT_EQ(testing::ReadFile(folder / name), "x") << name;
    EXPECT_TRUE(std::filesystem::is_symlink(folder / link));
    EXPECT_EQ(testing::ReadFile(target), "kept");
    EXPECT_EQ(TempsIn(folder), 3);  // the link and the two other shapes: nothing of the change's own
    EXPECT_EQ(ReadRules(folder).series.size(), 1u);
}

}  // namespace
}  // namespace quimbaro
