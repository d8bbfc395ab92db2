// The rules file's loader on arbitrary bytes: every series it keeps has a
// real first day, a rule the book can keep and its removed days in order;
// following a year of it stays bounded; written back and read again, the
// same series come back. Whatever the scan of the program's own shape reads,
// libical alone reads the same, and so for a plain rule's text.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_folder.h"
#include "repeat/occurrences.h"
#include "repeat/plain_rule.h"
#include "repeat/rules_file.h"

using namespace quimbaro;

namespace {

bool SameRead(const RulesRead& a, const RulesRead& b) {
    if (a.problem != b.problem || a.series.size() != b.series.size()) return false;
    for (std::size_t i = 0; i < a.series.size(); ++i) {
        const Series &x = a.series[i], &y = b.series[i];
        if (x.uid != y.uid || x.rule != y.rule || !SameBytes(x.first, y.first) || x.excluded != y.excluded) return false;
    }
    return true;
}

std::string RuleString(icalrecurrencetype rule) {
    const char* text = icalrecurrencetype_as_string(&rule);
    return text ? text : "";
}

void CheckPlainRule(std::string_view text) {
    if (text.size() > 64 || !ReadPlainRule(text, RuleEnd::Day)) return;
    const std::string copy(text);
    const icalrecurrencetype fast = ParseRule(copy), slow = icalrecurrencetype_from_string(copy.c_str());
    FUZZ_CHECK(fast.freq == slow.freq && fast.interval == slow.interval && fast.count == slow.count);
    FUZZ_CHECK(icaltime_compare(fast.until, slow.until) == 0 && RuleString(fast) == RuleString(slow));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckPlainRule(text);
    const RulesRead rules = ParseRules(text);
    FUZZ_CHECK(SameRead(rules, ParseRulesWithLibical(text)));
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
