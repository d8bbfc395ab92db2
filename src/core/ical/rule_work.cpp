#include "ical/rule_work.h"

#include <QDate>
#include <algorithm>
#include <optional>

namespace quimbaro::ical {
namespace {

bool Empty(const short* parts) { return parts[0] == ICAL_RECURRENCE_ARRAY_MAX; }

bool HasByParts(const icalrecurrencetype& rule) {
    return !(Empty(rule.by_second) && Empty(rule.by_minute) && Empty(rule.by_hour) && Empty(rule.by_day) &&
             Empty(rule.by_month_day) && Empty(rule.by_year_day) && Empty(rule.by_week_no) &&
             Empty(rule.by_month) && Empty(rule.by_set_pos));
}

// Fields out of range (a day 0 from another program's UNTIL) are clamped:
// an estimate off by days beats an invalid date's sentinel day number.
int64_t Seconds(const icaltimetype& time) {
    const int year = std::clamp(time.year, 1, 9999), month = std::clamp(time.month, 1, 12);
    const int64_t day = QDate(year, month, std::clamp(time.day, 1, int{DaysInMonth(month, year)})).toJulianDay();
    return day * 86400 + (time.is_date ? 0 : time.hour * 3600 + time.minute * 60 + time.second);
}

// Seconds per step libical takes for the rule; a day for the longer periods,
// whose days it expands one by one.
int64_t StepSeconds(const icalrecurrencetype& rule) {
    const int64_t interval = std::max<int64_t>(rule.interval, 1);
    switch (rule.freq) {
    case ICAL_SECONDLY_RECURRENCE: return interval;
    case ICAL_MINUTELY_RECURRENCE: return 60 * interval;
    case ICAL_HOURLY_RECURRENCE: return 3600 * interval;
    default: return 86400 * interval;
    }
}

bool WithinDay(const icalrecurrencetype& rule) {
    return rule.freq == ICAL_SECONDLY_RECURRENCE || rule.freq == ICAL_MINUTELY_RECURRENCE ||
           rule.freq == ICAL_HOURLY_RECURRENCE;
}

// Start moved by whole periods of months; nothing when that day does not
// exist there (libical would read it as another day).
std::optional<icaltimetype> MonthsLater(icaltimetype start, int64_t months) {
    const int64_t index = start.year * 12 + (start.month - 1) + months;
    start.year = int(index / 12);
    start.month = int(index % 12) + 1;
    if (start.year > 9999 || start.day > DaysInMonth(start.month, start.year)) return std::nullopt;
    return start;
}

}  // namespace

icaltimetype StartNear(const icalrecurrencetype& rule, icaltimetype start, const icaltimetype& target) {
    if (rule.count > 0 || icaltime_compare(start, target) >= 0) return start;
    const int64_t interval = std::max<int64_t>(rule.interval, 1);
    if (rule.freq == ICAL_MONTHLY_RECURRENCE || rule.freq == ICAL_YEARLY_RECURRENCE) {
        const int64_t months = rule.freq == ICAL_MONTHLY_RECURRENCE ? interval : 12 * interval;
        const int64_t apart = (target.year - start.year) * 12 + (target.month - start.month);
        for (int64_t periods = apart / months; periods > 0; --periods) {
            const auto later = MonthsLater(start, periods * months);
            if (later && icaltime_compare(*later, target) <= 0) return *later;
        }
        return start;
    }
    const int64_t step = rule.freq == ICAL_WEEKLY_RECURRENCE ? 7 * 86400 * interval : StepSeconds(rule);
    if (start.is_date && step % 86400 != 0) return start;
    const int64_t shift = (Seconds(target) - Seconds(start)) / step * step;
    icaltime_adjust(&start, int(shift / 86400), 0, 0, int(shift % 86400));
    return start;
}

icalrecurrencetype BoundedRule(icalrecurrencetype rule, const CalendarDate& last, bool allDay) {
    const QDate end = std::min(QDate(last.year, last.month, last.day).addDays(2), QDate(9999, 12, 31));
    icaltimetype until = icaltime_null_time();
    until.year = end.year();
    until.month = end.month();
    until.day = end.day();
    until.is_date = allDay ? 1 : 0;
    if (icaltime_is_null_time(rule.until) || icaltime_compare(rule.until, until) > 0) rule.until = until;
    return rule;
}

int64_t RuleWork(const icalrecurrencetype& rule, const icaltimetype& from) {
    if ((WithinDay(rule) && !HasByParts(rule)) || icaltime_is_null_time(rule.until)) return 0;
    const int64_t span = Seconds(rule.until) - Seconds(from);
    return span <= 0 ? 0 : span / StepSeconds(rule) + 1;
}

}  // namespace quimbaro::ical
