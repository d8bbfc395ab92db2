// Reminders over a whole day from a year file of arbitrary bytes: ticking
// once a minute from midnight, every appointment of the day with a clock
// time after midnight is announced exactly once, never before its reminder
// time nor once it has begun, and nothing else is.
//
// Input: one byte for the lead in minutes, then the year file.

#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "book/appointment.h"
#include "book/year_file.h"
#include "fuzz_folder.h"
#include "reminders/reminder_watch.h"

namespace {

using namespace quimbaro;

constexpr const char* kDayKey = "05/12/2026";
constexpr CalendarDate kDay{2026, 12, 5};

// "HH:MM Name" of every record of the day whose time is after midnight,
// counted, and the minute each starts at.
std::map<std::string, int> Expected(const uint8_t* data, std::size_t size, std::map<std::string, int32_t>& starts) {
    std::map<std::string, int> expected;
    for (std::size_t i = 0; i + kRecordSize <= size; i += kRecordSize) {
        Appointment record;
        std::memcpy(&record, data + i, kRecordSize);
        const auto start = MinuteOfDay(ReadField(record.time));
        if (ReadField(record.date) != kDayKey || !start || *start == 0) continue;
        const std::string summary = AppointmentNotice(record).summary.toStdString();
        ++expected[summary];
        starts[summary] = *start;
    }
    return expected;
}

// The first look may gather what is due into one notice of lines.
void Count(const Notice& notice, bool first, std::map<std::string, int>& seen) {
    if (first && notice.summary.startsWith("Citas en los")) {
        for (const QString& line : notice.body.split('\n')) ++seen[line.toStdString()];
        return;
    }
    ++seen[notice.summary.toStdString()];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int minutes = 1 + data[0] % 120;
    const auto file = YearFilePath(fuzz::ScratchFolder(), kDayKey);
    fuzz::WriteWholeFile(file, data + 1, size - 1);
    std::map<std::string, int32_t> starts;
    const std::map<std::string, int> expected = Expected(data + 1, size - 1, starts);

    ReminderWatch watch;
    std::map<std::string, int> seen;
    std::vector<Notice> notices;
    for (int32_t minute = 0; minute < 24 * 60; ++minute) {
        FUZZ_CHECK(watch.Tick(fuzz::ScratchFolder(), {kDay, minute * 60}, minutes, notices).Stored());
        for (const Notice& notice : notices) {
            const std::string summary = notice.summary.toStdString();
            if (minute > 0) FUZZ_CHECK(starts.contains(summary) && minute >= starts[summary] - minutes &&
                                       minute < starts[summary]);
            Count(notice, minute == 0, seen);
        }
    }
    FUZZ_CHECK(seen == expected);
    std::filesystem::remove(file);
    return 0;
}
