// Which appointments are announced when, and what the notices say.
#include "reminders/reminder_schedule.h"

#include <gtest/gtest.h>

#include <chrono>

#include "book/year_file.h"
#include "temp_folder.h"
#include "reminders/reminder_watch.h"
#include "reminders/today_records.h"

namespace quimbaro {
namespace {

constexpr CalendarDate kDay{2026, 12, 7}, kNextDay{2026, 12, 8};

WallTime At(int hours, int minutes, int seconds = 0, CalendarDate day = kDay) {
    return {day, (hours * 60 + minutes) * 60 + seconds};
}

Appointment Record(const char* time, const char* name, const char* phone = "600111222") {
    return MakeAppointment("07/12/2026", time, phone, name, "Revisi\xF3n");
}

using Texts = std::vector<std::string>;

Texts Summaries(const std::vector<Notice>& notices) {
    Texts summaries;
    for (const Notice& notice : notices) summaries.push_back(notice.summary.toStdString());
    return summaries;
}

TEST(MinuteOfDay, OnlyExactClockTimes) {
    const std::pair<const char*, int> times[] = {{"00:00", 0}, {"23:59", 1439}, {"24:00", -1}, {"12:60", -1},
                                                 {"9:30", -1}, {"09:30 ", -1}, {"09.30", -1}, {"-1:30", -1}};
    for (const auto& [text, minute] : times) EXPECT_EQ(MinuteOfDay(text).value_or(-1), minute) << text;
}

// The rest of the texts is checked through the window's reminders.
TEST(Notice, KeepsToOneLinePerAppointment) {
    EXPECT_EQ(AppointmentNotice(Record("10:00", "Ana\nRuiz\t", "")), (Notice{"10:00 Ana Ruiz", "Revisi\u00F3n"}));
    const Appointment a = Record("10:00", "Ana\r"), b = Record("10:05", "Luis");
    EXPECT_EQ(UpcomingNotice({&a, &b}, 1), (Notice{"Citas en los pr\u00F3ximos 1 minuto", "10:00 Ana\n10:05 Luis"}));
}

// After the clock was not watched (sleep, a clock set back, reminders off),
// what started meanwhile is dropped and what is due comes as one notice.
TEST(ReminderSchedule, PausesInWatchingCatchUpWithoutAPile) {
    const std::vector<Appointment> day = {Record("10:00", "Ana"), Record("10:20", "Luis"), Record("10:25", "Eva"),
                                          Record("11:00", "Rosa"), Record("11:05", "Juan")};
    ReminderSchedule schedule;
    EXPECT_TRUE(schedule.Look(At(9, 0), 10, day, 1).empty());
    EXPECT_EQ(Summaries(schedule.Look(At(10, 16), 10, day, 1)), Texts{"Citas en los próximos 10 minutos"});
    EXPECT_TRUE(schedule.Look(At(10, 50), 0, day, 1).empty());
    EXPECT_EQ(Summaries(schedule.Look(At(10, 56), 10, day, 1)), Texts{"Citas en los próximos 10 minutos"});
    // The next day starts afresh: the same appointments are new again.
    EXPECT_EQ(Summaries(schedule.Look(At(9, 51, 0, kNextDay), 10, day, 1)), Texts{"10:00 Ana"});
    EXPECT_EQ(Summaries(schedule.Look(At(9, 51, 30, kNextDay), 60, day, 1)), Texts{"Citas en los próximos 60 minutos"});
    // One notice lists them by time, those of one time in the day's order.
    const std::vector<Appointment> unsorted = {Record("12:05", "Eva"), Record("12:00", "Rosa"), Record("12:00", "Juan")};
    EXPECT_EQ(ReminderSchedule().Look(At(11, 55), 10, unsorted, 1).at(0).body.toStdString(), "12:00 Rosa\n12:00 Juan\n12:05 Eva");
}

TEST(TodayRecords, ReadsAgainOnlyWhenTheYearFileChanged) {
    testing::TempFolder folder;
    const std::filesystem::path file = folder.path() / "2026.log";
    TodayRecords today;
    ASSERT_TRUE(today.Refresh(folder.path(), kDay).Stored());
    EXPECT_FALSE(std::filesystem::exists(file));  // not created
    ASSERT_TRUE(AppendAppointment(folder.path(), "07/12/2026", "10:00", "6", "Ana", "x").Stored());
    ASSERT_TRUE(AppendAppointment(folder.path(), "08/12/2026", "10:00", "6", "Bea", "x").Stored());
    ASSERT_TRUE(today.Refresh(folder.path(), kDay).Stored());
    const uint64_t generation = today.Generation();
    ASSERT_EQ(today.Records().size(), 1u);
    ASSERT_TRUE(today.Refresh(folder.path(), kDay).Stored());
    EXPECT_EQ(today.Generation(), generation);
    // Rewritten in place at the same size within the kernel's tick: only the
    // file's time, set here a millisecond on, tells.
    const auto written = std::filesystem::last_write_time(file);
    testing::WriteFile(file, "09" + testing::ReadFile(file).substr(2));
    std::filesystem::last_write_time(file, written + std::chrono::milliseconds(1));
    ASSERT_TRUE(today.Refresh(folder.path(), kDay).Stored());
    EXPECT_TRUE(today.Records().empty());
    ASSERT_TRUE(today.Refresh(folder.path(), kNextDay).Stored());
    EXPECT_EQ(ReadField(today.Records().at(0).name), "Bea");
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    EXPECT_FALSE(today.Refresh(folder.path(), kNextDay).Stored());
    EXPECT_TRUE(today.Records().empty());
    // Reminders off: the book is not looked at, so an unreadable one says nothing.
    ReminderWatch watch;
    std::vector<Notice> notices;
    EXPECT_TRUE(watch.Tick(folder.path(), {kNextDay, 0}, 0, notices).Stored());
    EXPECT_FALSE(watch.Tick(folder.path(), {kNextDay, 0}, 10, notices).Stored());
}

}  // namespace
}  // namespace quimbaro
