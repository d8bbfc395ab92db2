#pragma once
// Today's appointments as the year file holds them and the series' days
// give them, for the reminders. The files are read again only when they look
// different on disk (another inode, size or change time) or the day changed,
// so a look at an unchanged book costs two stat()s.

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "book/appointment.h"
#include "book/year_file.h"
#include "calendar/dates.h"
#include "repeat/rules_file.h"

namespace quimbaro {

class TodayRecords {
public:
    // Brings the records up to date for the day. A missing year file is an
    // empty day and is not created. On failure the records are emptied and
    // the next call reads again.
    StoreResult Refresh(const std::filesystem::path& folder, const CalendarDate& day);
    const std::vector<Appointment>& Records() const { return records_; }
    // Changes whenever the records are read again.
    uint64_t Generation() const { return generation_; }

private:
    struct FileStamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};
    };
    static FileStamp StampOf(const std::filesystem::path& file);
    static bool SameStamp(const FileStamp& a, const FileStamp& b);

    bool current_ = false;
    uint64_t generation_ = 0;
    std::string dayKey_;
    FileStamp stamp_;
    std::vector<Appointment> records_;
    RulesCache rules_;
    uint64_t rulesGeneration_ = 0;
};

}  // namespace quimbaro
