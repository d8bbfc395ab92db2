// Processes changing the rules file are killed with SIGKILL at random moments,
// over and over: the file must always read whole, holding the old rules or
// the new ones, never a torn mix.
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

TEST(Crash, KilledRuleChangesLeaveTheOldOrTheNewRules) {
    testing::TempFolder temp;
    const std::filesystem::path folder = temp.path();
    const auto added = AddSeries(folder, MakeAppointment("07/12/2026", "10:00", "1", "Ana", "x"), {Frequency::Weekly});
    ASSERT_TRUE(added.Done()) << added.error;
    const std::string uid = added.undo->states[0].uid;
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
    }
}

}  // namespace
}  // namespace quimbaro
