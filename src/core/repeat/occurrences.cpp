#include "repeat/occurrences.h"

#include <optional>

#include <libical/ical.h>

#include <QDate>
#include <algorithm>
#include <memory>

#include "ical/event_import.h"
#include "ical/rule_work.h"
#include "repeat/plain_rule.h"

namespace quimbaro {

namespace {

// Occurrences one call gives at most: a daily rule over 27 years.
constexpr std::size_t kMaxDays = 10000;

bool Empty(const short* parts) { return parts[0] == ICAL_RECURRENCE_ARRAY_MAX; }

bool HasByParts(const icalrecurrencetype& rule) {
    return !(Empty(rule.by_second) && Empty(rule.by_minute) && Empty(rule.by_hour) && Empty(rule.by_day) &&
             Empty(rule.by_month_day) && Empty(rule.by_year_day) && Empty(rule.by_week_no) &&
             Empty(rule.by_month) && Empty(rule.by_set_pos));
}

bool DayLong(icalrecurrencetype_frequency frequency) {
    return frequency == ICAL_DAILY_RECURRENCE || frequency == ICAL_WEEKLY_RECURRENCE ||
           frequency == ICAL_MONTHLY_RECURRENCE || frequency == ICAL_YEARLY_RECURRENCE;
}

CalendarDate DayOf(const icaltimetype& time) {
    return {int16_t(time.year), int16_t(time.month), int16_t(time.day)};
}

int64_t JulianDay(const CalendarDate& day) { return QDate(day.year, day.month, day.day).toJulianDay(); }

bool Excluded(const Series& series, const CalendarDate& day) {
    return std::binary_search(series.excluded.begin(), series.excluded.end(), day);
}

// For a plain rule, whether the day is one of its steps (before its end).
bool OnStep(const icalrecurrencetype& rule, const CalendarDate& first, const CalendarDate& day) {
    const int64_t interval = std::max<int64_t>(rule.interval, 1);
    const int64_t months = (day.year - first.year) * 12 + (day.month - first.month);
    switch (rule.freq) {
    case ICAL_DAILY_RECURRENCE: return (JulianDay(day) - JulianDay(first)) % interval == 0;
    case ICAL_WEEKLY_RECURRENCE: return (JulianDay(day) - JulianDay(first)) % (7 * interval) == 0;
    case ICAL_MONTHLY_RECURRENCE: return day.day == first.day && months % interval == 0;
    default: return day.day == first.day && day.month == first.month && (months / 12) % interval == 0;
    }
}

// Daily and weekly rules of the plain kind without a count come every so many
// days: their days are counted, not followed through libical's iterator,
// which costs far more for the thousand series a busy book may hold.
std::optional<Occurrences> FixedStepDays(const Series& series, const icalrecurrencetype& rule,
                                         const CalendarDate& first, const CalendarDate& from, const CalendarDate& to) {
    const bool fixed = rule.freq == ICAL_DAILY_RECURRENCE || rule.freq == ICAL_WEEKLY_RECURRENCE;
    if (!fixed || !IsPlainRule(rule) || rule.count != 0) return std::nullopt;
    const int64_t step = (rule.freq == ICAL_WEEKLY_RECURRENCE ? 7 : 1) * int64_t{std::max(rule.interval, short{1})};
    const int64_t start = JulianDay(first), begin = std::max(JulianDay(from), start);
    int64_t end = JulianDay(to);
    if (!icaltime_is_null_time(rule.until)) end = std::min(end, JulianDay(DayOf(rule.until)));
    Occurrences result;
    for (int64_t day = start + (begin - start + step - 1) / step * step; day <= end; day += step) {
        const QDate date = QDate::fromJulianDay(day);
        const CalendarDate found{int16_t(date.year()), int16_t(date.month()), int16_t(date.day())};
        if (Excluded(series, found)) continue;
        if (result.days.size() >= kMaxDays) {
            result.complete = false;
            break;
        }
        result.days.push_back(found);
    }
    return result;
}

}  // namespace

icaltimetype IcalDate(const CalendarDate& day) {
    icaltimetype time = icaltime_null_time();
    time.year = day.year;
    time.month = day.month;
    time.day = day.day;
    time.is_date = 1;
    return time;
}

bool IsPlainRule(const icalrecurrencetype& rule) { return DayLong(rule.freq) && !HasByParts(rule); }

std::string RuleProblem(const std::string& text) { return RuleProblem(ParseRule(text)); }

std::string RuleProblem(const icalrecurrencetype& rule) {
    if (rule.freq == ICAL_NO_RECURRENCE) return "su regla de repetición (RRULE) no se entiende";
    if (!DayLong(rule.freq)) return "se repite más de una vez al día";
    if (!Empty(rule.by_hour) || !Empty(rule.by_minute) || !Empty(rule.by_second))
        return "su regla de repetición nombra horas, minutos o segundos";
    if (rule.interval < 1 || rule.interval > kMaxInterval) return "su intervalo de repetición no cabe en 1 a 999";
    if (rule.count < 0 || rule.count > kMaxCount) return "su número de repeticiones no cabe en 1 a 9999";
    return "";
}

Occurrences OccurrencesIn(const Series& series, const CalendarDate& from, const CalendarDate& to) {
    using Iterator = std::unique_ptr<icalrecur_iterator, decltype(&icalrecur_iterator_free)>;
    Occurrences result;
    const auto first = FirstDay(series);
    const icalrecurrencetype parsed = ParseRule(series.rule);
    if (!first || !RuleProblem(parsed).empty() || to < from || to < *first) return result;
    if (auto counted = FixedStepDays(series, parsed, *first, from, to)) return std::move(*counted);
    const icalrecurrencetype rule = ical::BoundedRule(parsed, to, true);
    const icaltimetype start = ical::StartNear(rule, IcalDate(*first), IcalDate(from));
    if (ical::RuleWork(rule, start) > ical::kMaxRuleWork) {
        result.complete = false;
        return result;
    }
    Iterator it(icalrecur_iterator_new(rule, start), icalrecur_iterator_free);
    for (int step = 0; it && step < ical::kMaxRecurrenceSteps; ++step) {
        const icaltimetype next = icalrecur_iterator_next(it.get());
        if (icaltime_is_null_time(next)) return result;
        const CalendarDate day = DayOf(next);
        if (to < day) return result;
        if (day < from || Excluded(series, day)) continue;
        if (result.days.size() >= kMaxDays) break;
        result.days.push_back(day);
    }
    result.complete = false;
    return result;
}

bool OccursOn(const Series& series, const CalendarDate& day) {
    const auto first = FirstDay(series);
    if (!first || day < *first || Excluded(series, day)) return false;
    const icalrecurrencetype rule = ParseRule(series.rule);
    const bool plain = IsPlainRule(rule);
    if (plain && !OnStep(rule, *first, day)) return false;
    if (plain && !icaltime_is_null_time(rule.until) && DayOf(rule.until) < day) return false;
    if (plain && rule.count == 0) return RuleProblem(rule).empty();
    const Occurrences found = OccurrencesIn(series, day, day);
    return !found.days.empty();
}

}  // namespace quimbaro
