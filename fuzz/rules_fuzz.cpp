// The rules file's loader on arbitrary bytes: every series it keeps has a
// real first day, a rule the book can keep and its removed days in order;
// following a year of it stays bounded; written back and read again, the
// same series come back.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_folder.h"
#include "repeat/occurrences.h"
#include "repeat/rules_file.h"

using namespace quimbaro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const RulesRead rules = ParseRules(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const Series& series : rules.series) {
        const auto first = FirstDay(series);
        FUZZ_CHECK(first.has_value() && RuleProblem(series.rule).empty() && !series.uid.empty());
        FUZZ_CHECK(std::is_sorted(series.excluded.begin(), series.excluded.end()));
        const CalendarDate last{int16_t(std::min(first->year + 1, 9999)), 12, 31};
        const Occurrences days = OccurrencesIn(series, *first, last);
        FUZZ_CHECK(std::is_sorted(days.days.begin(), days.days.end()));
    }
    if (rules.series.size() > 50) return 0;  // writing back costs time, not coverage
    const RulesRead back = ParseRules(RulesText(rules.series));
    FUZZ_CHECK(back.Whole() && back.series.size() == rules.series.size());
    for (std::size_t i = 0; i < back.series.size(); ++i) {
        FUZZ_CHECK(back.series[i].uid == rules.series[i].uid && back.series[i].rule == rules.series[i].rule);
        FUZZ_CHECK(SameBytes(back.series[i].first, rules.series[i].first));
        FUZZ_CHECK(back.series[i].excluded == rules.series[i].excluded);
    }
    return 0;
}
