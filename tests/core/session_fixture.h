#pragma once
// A console session on a temporary data folder with a chosen today.
#include <gtest/gtest.h>

#include "book/year_file.h"
#include "session/session.h"
#include "temp_folder.h"

namespace quimbaro {

using Strings = std::vector<std::string>;

class SessionTest : public ::testing::Test {
protected:
    // Each "dd/mm/yyyy hh:mm name" (UTF-8), phone 600111222, subject "Asunto".
    void Store(std::initializer_list<const char*> lines) {
        for (const std::string line : lines)
            ASSERT_TRUE(AppendAppointment(folder, line.substr(0, 10), line.substr(11, 5), "600111222",
                                          testing::W(line.c_str() + 17), "Asunto").Stored());
    }
    Session& Open() {
        LoadSettings(settings);
        session = std::make_unique<Session>(folder, [this] { return today; }, settings);
        last = session->Start();
        return *session;
    }
    SessionAnswer& Enter(const char* utf8) { return last = session->Enter(testing::W(utf8)); }
    // The names in the rows of the day the last answer shows, then its date.
    std::string Shown() {
        if (!last.show) return "(nothing drawn)";
        std::string names;
        for (int row = 0; row < std::min(last.show->rows.kept, kDaySlots); ++row)
            names += ReadField(last.show->rows.slots[row].name) + ",";
        return names + DayKey(last.show->date);
    }

    testing::TempFolder temp;
    const std::filesystem::path folder = temp.path();
    SettingsStore settings{folder / kSettingsFileName};
    CalendarDate today{2026, 12, 31};
    std::unique_ptr<Session> session;
    SessionAnswer last;
};

}  // namespace quimbaro
