#include "reminders/reminder_schedule.h"

#include <QDate>

#include <algorithm>
#include <limits>
#include <map>

namespace quimbaro {
namespace {

int TwoDigits(std::string_view text) {
    if (text.size() != 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9') return -1;
    return (text[0] - '0') * 10 + (text[1] - '0');
}

// What tells one appointment of the day from another: its fields, and which
// copy it is when the same one was stored twice.
std::string Identity(const Appointment& record, std::map<std::string, int>& copies) {
    std::string fields(reinterpret_cast<const char*>(&record), kRecordSize);
    for (std::size_t i = 0; i < fields.size(); ++i)  // bytes after a field's zero mean nothing
        if (i > 0 && fields[i - 1] == '\0') fields[i] = '\0';
    return fields + std::to_string(copies[fields]++);
}

constexpr int32_t kDaySeconds = 24 * 60 * 60;

int64_t SecondsSinceFixedDay(const WallTime& time) {
    const QDate day(time.date.year, time.date.month, time.date.day);
    return day.toJulianDay() * kDaySeconds + time.secondOfDay;
}

}  // namespace

std::optional<int32_t> MinuteOfDay(std::string_view time) {
    if (time.size() != 5 || time[2] != ':') return std::nullopt;
    const int hours = TwoDigits(time.substr(0, 2));
    const int minutes = TwoDigits(time.substr(3, 2));
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59) return std::nullopt;
    return hours * 60 + minutes;
}

std::vector<Notice> ReminderSchedule::Look(const WallTime& now, int minutes,
                                           const std::vector<Appointment>& records, uint64_t generation) {
    const int64_t second = SecondsSinceFixedDay(now);
    const bool catchingUp = !WasWatching(second, minutes);
    const bool sameDay = now.date == day_;
    const bool unchanged = !catchingUp && sameDay && generation == generation_;
    if (!sameDay) dealtWith_.clear();
    day_ = now.date;
    minutes_ = minutes;
    generation_ = generation;
    lastLook_ = minutes > 0 ? std::optional(second) : std::nullopt;
    // Most looks change nothing: the book is the same and no reminder is due.
    if (minutes <= 0 || (unchanged && now.secondOfDay < nextDue_)) return {};
    const std::vector<const Appointment*> due = TakeDue(now.secondOfDay, minutes, records);
    if (catchingUp && due.size() > 1) return {UpcomingNotice(due, minutes)};
    std::vector<Notice> notices;
    for (const Appointment* record : due) notices.push_back(AppointmentNotice(*record));
    return notices;
}

// A clock that went back, or jumped forward past the gap, was not watched.
bool ReminderSchedule::WasWatching(int64_t second, int minutes) const {
    return lastLook_ && minutes == minutes_ && second >= *lastLook_ && second - *lastLook_ <= kWatchGapSeconds;
}

// The appointments not dealt with yet whose reminder time has come, by
// time; those that have started are dealt with silently.
std::vector<const Appointment*> ReminderSchedule::TakeDue(int32_t second, int minutes,
                                                          const std::vector<Appointment>& records) {
    std::vector<std::pair<int32_t, const Appointment*>> due;
    std::map<std::string, int> copies;
    nextDue_ = std::numeric_limits<int32_t>::max();
    for (const Appointment& record : records) {
        const std::optional<int32_t> start = MinuteOfDay(ReadField(record.time));
        if (!start) continue;
        const std::string identity = Identity(record, copies);
        if (dealtWith_.contains(identity)) continue;
        const int32_t dueAt = (*start - minutes) * 60;
        if (second < dueAt) {
            nextDue_ = std::min(nextDue_, dueAt);
            continue;
        }
        dealtWith_.insert(identity);
        if (second < *start * 60) due.emplace_back(*start, &record);
    }
    std::stable_sort(due.begin(), due.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<const Appointment*> ordered;
    for (const auto& entry : due) ordered.push_back(entry.second);
    return ordered;
}

}  // namespace quimbaro
