#include "ical/rule_work.h"

#include <QDate>
#include <algorithm>

namespace quimbaro::ical {
namespace {

bool Empty(const short* parts) { return parts[0] == ICAL_RECURRENCE_ARRAY_MAX; }

bool HasByParts(const icalrecurrencetype& rule) {
    return !(Empty(rule.by_second) && Empty(rule.by_minute) && Empty(rule.by_hour) && Empty(rule.by_day) &&
             Empty(rule.by_month_day) && Empty(rule.by_year_day) && Empty(rule.by_week_no) &&
             Empty(rule.by_month) && Empty(rule.by_set_pos));
}

int64_t Seconds(const icaltimetype& time) {
    const int64_t day = QDate(time.year, time.month, time.day).toJulianDay();
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

}  // namespace

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
