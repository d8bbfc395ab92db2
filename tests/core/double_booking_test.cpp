// Which record already holds a time, and how many of an import's records clash.
#include <gtest/gtest.h>

#include "book/double_booking.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

using testing::W;

Appointment A(const char* date, const char* time, const char* name, const char* subject = "") {
    return MakeAppointment(date, time, "", W(name), W(subject));
}

TEST(DoubleBooking, TheOtherRecordAtTheSameClockTimeOfTheSameDay) {
    const Appointment stored = A("07/12/2026", "10:00", "Nuevo");
    struct Case {
        const char* what;
        std::vector<Appointment> day;
        const char* other;  // its name; nullptr for none
    };
    const Case cases[] = {
        {"alone", {stored}, nullptr},
        {"another time", {A("07/12/2026", "10:01", "Ana"), stored}, nullptr},
        {"another day's record", {A("08/12/2026", "10:00", "Ana"), stored}, nullptr},
        {"the first other one", {stored, A("07/12/2026", "10:00", "Ana"), A("07/12/2026", "10:00", "Bea")}, "Ana"},
        {"an identical twin", {stored, stored}, "Nuevo"},
        {"not yet stored", {A("07/12/2026", "10:00", "Ana")}, "Ana"},
    };
    for (const Case& c : cases) {
        const auto other = OtherAtSameTime(c.day, stored);
        EXPECT_EQ(other ? ReadField(other->name) : "-", c.other ? c.other : "-") << c.what;
    }
    for (const char* time : {"tarde", "24:00", "9:30", "10:60", ""}) {  // no clock time: never a clash
        const Appointment odd = A("07/12/2026", time, "X");
        EXPECT_FALSE(OtherAtSameTime(std::vector{odd, odd}, odd)) << time;
    }
}

TEST(DoubleBooking, ImportCountsItsRecordsAtTakenTimes) {
    const std::vector<Appointment> book = {A("07/12/2026", "10:00", "Ana"), A("07/12/2026", "10:00", "Bea"),
                                           A("07/12/2026", "11:00", "Carla"), A("08/12/2026", "10:00", "Dora"),
                                           A("07/12/2026", "tarde", "Eva"), A("07/12/2026", "tarde", "Fe")};
    EXPECT_EQ(CountSameTimeRecords(book, book), 2);
    EXPECT_EQ(CountSameTimeRecords(book, std::vector{book[1], book[2]}), 1);
}

TEST(DoubleBooking, TextNamesTheOtherOne) {
    const std::pair<Appointment, const char*> cases[] = {
        {A("07/12/2026", "10:00", "Ana Peña", "Fisioterapia"), "A las 10:00 ya está Ana Peña: Fisioterapia"},
        {A("07/12/2026", "10:00", "Ana"), "A las 10:00 ya está Ana"},
        {A("07/12/2026", "10:00", " ", "Revisión"), "A las 10:00 ya está otra cita: Revisión"},
    };
    for (const auto& [other, text] : cases) EXPECT_EQ(DoubleBookingText(other), text);
}

}  // namespace
}  // namespace quimbaro
