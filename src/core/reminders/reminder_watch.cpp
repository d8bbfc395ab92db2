#include "reminders/reminder_watch.h"

namespace quimbaro {

StoreResult ReminderWatch::Tick(const std::filesystem::path& folder, const WallTime& now, int minutes,
                                std::vector<Notice>& notices) {
    notices.clear();
    if (minutes <= 0) {
        schedule_.Look(now, 0, {}, today_.Generation());  // so that switching on again catches up
        return {};
    }
    const StoreResult read = today_.Refresh(folder, now.date);
    if (read.Stored()) notices = schedule_.Look(now, minutes, today_.Records(), today_.Generation());
    return read;
}

}  // namespace quimbaro
