#pragma once
// Which of today's appointments to announce at a given clock time. Each
// appointment is announced once per run, `minutes` before its time; one
// whose time has come is never announced. After a pause in watching (the
// start of the run, a machine that slept, reminders switched on or their
// lead changed) the appointments that became due meanwhile and have not
// started yet come as one notice instead of a pile.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "book/appointment.h"
#include "calendar/wall_clock.h"
#include "reminders/notice.h"

namespace quimbaro {

// Looks further apart than this mean the clock was not being watched.
inline constexpr int32_t kWatchGapSeconds = 90;

// The minute of the day of a time written exactly HH:MM (00..23, 00..59).
std::optional<int32_t> MinuteOfDay(std::string_view time);

class ReminderSchedule {
public:
    // records: all of today's appointments in file order; generation: a
    // number that changes whenever they do; minutes: the lead, 0 or less for
    // none. Returns the notices to show now.
    std::vector<Notice> Look(const WallTime& now, int minutes, const std::vector<Appointment>& records,
                             uint64_t generation);

private:
    bool WasWatching(int64_t second, int minutes) const;
    std::vector<const Appointment*> TakeDue(int32_t second, int minutes, const std::vector<Appointment>& records);

    CalendarDate day_{};
    std::optional<int64_t> lastLook_;  // seconds since a fixed day; none while not watching
    int minutes_ = 0;
    uint64_t generation_ = 0;
    int32_t nextDue_ = 0;              // second of day_ at which the next reminder comes due
    std::set<std::string> dealtWith_;  // appointments of day_ announced or started, by content
};

}  // namespace quimbaro
