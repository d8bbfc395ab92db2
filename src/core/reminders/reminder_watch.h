#pragma once
// One tick of the reminder timer: today's records, read again only when the
// year file changed, and the notices due at the clock's time.

#include <filesystem>
#include <vector>

#include "book/year_file.h"
#include "calendar/wall_clock.h"
#include "reminders/notice.h"
#include "reminders/reminder_schedule.h"
#include "reminders/today_records.h"

namespace quimbaro {

class ReminderWatch {
public:
    // minutes: the lead, 0 for no reminders (the book is not looked at).
    // When the records cannot be read the result says why and no notice
    // comes; the next tick tries again.
    StoreResult Tick(const std::filesystem::path& folder, const WallTime& now, int minutes,
                     std::vector<Notice>& notices);

private:
    TodayRecords today_;
    ReminderSchedule schedule_;
};

}  // namespace quimbaro
