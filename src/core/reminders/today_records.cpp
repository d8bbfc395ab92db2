#include "reminders/today_records.h"

#include <sys/stat.h>

#include "repeat/day_occurrences.h"

namespace quimbaro {

TodayRecords::FileStamp TodayRecords::StampOf(const std::filesystem::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) return {};
    return {true, info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

bool TodayRecords::SameStamp(const FileStamp& a, const FileStamp& b) {
    const auto same = [](const timespec& x, const timespec& y) {
        return x.tv_sec == y.tv_sec && x.tv_nsec == y.tv_nsec;
    };
    return a.exists == b.exists && a.device == b.device && a.inode == b.inode && a.size == b.size &&
           same(a.modified, b.modified) && same(a.changed, b.changed);
}

// The stamp is taken before reading: a write that lands during the read
// changes the file's times again, so the next look reads once more.
StoreResult TodayRecords::Refresh(const std::filesystem::path& folder, const CalendarDate& day) {
    const std::string key = DayKey(day);
    const std::filesystem::path file = YearFilePath(folder, key);
    const FileStamp stamp = StampOf(file);
    const RulesRead& rules = rules_.Read(folder);
    const bool sameRules = rules_.Generation() == rulesGeneration_;
    rulesGeneration_ = rules_.Generation();
    if (current_ && key == dayKey_ && SameStamp(stamp, stamp_) && sameRules) return {};
    dayKey_ = key;
    stamp_ = stamp;
    current_ = false;
    ++generation_;
    records_.clear();
    const StoreResult loaded = stamp.exists ? LoadWholeDay(folder, key, records_) : StoreResult{};
    current_ = loaded.Stored();
    for (const std::size_t index : SeriesOn(rules.series, day)) records_.push_back(OccurrenceRecord(rules.series[index], day));
    return loaded;
}

}  // namespace quimbaro
