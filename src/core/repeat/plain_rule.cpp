#include "repeat/plain_rule.h"

#include <algorithm>
#include <string>

#include "ical/event_export.h"
#include "repeat/occurrences.h"

namespace quimbaro {

namespace {

struct FrequencyName {
    std::string_view first;  // as the rule spells it
    Frequency second;
    icalrecurrencetype_frequency kind;
};

constexpr FrequencyName kFrequencies[] = {
    {"DAILY", Frequency::Daily, ICAL_DAILY_RECURRENCE},
    {"WEEKLY", Frequency::Weekly, ICAL_WEEKLY_RECURRENCE},
    {"MONTHLY", Frequency::Monthly, ICAL_MONTHLY_RECURRENCE},
    {"YEARLY", Frequency::Yearly, ICAL_YEARLY_RECURRENCE},
};

// Takes prefix off the front of text when it is there.
bool Take(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix)) return false;
    text.remove_prefix(prefix.size());
    return true;
}

// A number from first to last without a leading zero, up to the next ';'.
std::optional<int> TakeNumber(std::string_view& text, int first, int last) {
    const std::size_t digits = std::min(text.find(';'), text.size());
    if (digits == 0 || digits > 4 || text[0] == '0') return std::nullopt;
    int value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    text.remove_prefix(digits);
    if (value < first || value > last) return std::nullopt;
    return value;
}

std::optional<CalendarDate> TakeDay(std::string_view& text, RuleEnd end) {
    if (text.size() < 8) return std::nullopt;
    const auto day = CompactDay(text.substr(0, 8));
    if (!day) return std::nullopt;
    text.remove_prefix(8);
    if (end == RuleEnd::DayOrLastSecond) Take(text, "T235959");
    return day;
}

}  // namespace

std::optional<CalendarDate> CompactDay(std::string_view digits) {
    const bool plain = digits.size() == 8 && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!plain) return std::nullopt;
    const auto day = ical::ValidDay(std::string(digits.substr(6, 2)) + "/" + std::string(digits.substr(4, 2)) + "/" +
                                    std::string(digits.substr(0, 4)));
    if (!day || day->year < 1000 || day->year > 2999) return std::nullopt;
    return day;
}

std::optional<Repetition> ReadPlainRule(std::string_view text, RuleEnd end) {
    Repetition rule;
    if (!Take(text, "FREQ=")) return std::nullopt;
    const auto kind = std::find_if(std::begin(kFrequencies), std::end(kFrequencies), [&](const auto& word) {
        return text.substr(0, std::min(text.find(';'), text.size())) == word.first;
    });
    if (kind == std::end(kFrequencies)) return std::nullopt;
    rule.frequency = kind->second;
    text.remove_prefix(kind->first.size());
    if (Take(text, ";COUNT=")) {
        const auto count = TakeNumber(text, 1, kMaxCount);
        if (!count) return std::nullopt;
        rule.count = *count;
    } else if (Take(text, ";UNTIL=")) {
        rule.until = TakeDay(text, end);
        if (!rule.until) return std::nullopt;
    }
    if (Take(text, ";INTERVAL=")) {
        const auto interval = TakeNumber(text, 2, kMaxInterval);
        if (!interval) return std::nullopt;
        rule.interval = *interval;
    }
    if (!text.empty()) return std::nullopt;
    return rule;
}

icalrecurrencetype RecurrenceOf(const Repetition& repetition) {
    icalrecurrencetype rule;
    icalrecurrencetype_clear(&rule);
    rule.freq = kFrequencies[static_cast<int>(repetition.frequency)].kind;
    rule.interval = static_cast<short>(repetition.interval);
    rule.count = repetition.count;
    if (repetition.until) rule.until = IcalDate(*repetition.until);
    return rule;
}

icalrecurrencetype ParseRule(std::string_view text) {
    if (const auto plain = ReadPlainRule(text, RuleEnd::Day)) return RecurrenceOf(*plain);
    return icalrecurrencetype_from_string(std::string(text).c_str());
}

}  // namespace quimbaro
