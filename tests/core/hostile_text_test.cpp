// Hostile typed lines taken the whole way: Unicode entry text to Windows-1252,
// the classifier, the year file and back.
#include <gtest/gtest.h>

#include <QString>

#include "book/year_file.h"
#include "command/classify_line.h"
#include "temp_folder.h"
#include "text/win1252.h"

namespace quimbaro {
namespace {

using Fields = std::array<std::string, 4>;  // time, phone, name, subject as stored
using namespace std::literals;

// Runs the line through the console's path: classify, then append when asked.
bool Enter(const std::filesystem::path& folder, const std::string& line) {
    const ClassifiedLine entry = ClassifyLine(line);
    const auto& f = entry.fields;
    return entry.action == LineAction::Append && AppendAppointment(folder, f[0], f[1], f[2], f[3], f[4]).Stored();
}

TEST(HostileText, StoredFieldsAreTheTypedOnesCutToTheirWidths) {
    testing::TempFolder folder;
    const std::string huge(100'000, '\xFF'), controls = "\x01\x02\x03\x04\x05\x06\x07\x08\t\n\x0B\x0C\r\x1F\x7F\0"s;
    const auto x = [](std::size_t n) { return std::string(n, '\xFF'); };
    const std::pair<std::string, Fields> lines[] = {
        {"05/12/2026|" + huge + "|" + huge + "|" + huge + "|" + huge, {x(5), x(12), x(49), x(74)}},
        {"05/12/2026|" + controls + "|" + controls + "|\t\r\n|\x1B[31m\x07",
         {"\x01\x02\x03\x04\x05", "\x01\x02\x03\x04\x05\x06\x07\x08\t\n\x0B\x0C", "\t\r\n", "\x1B[31m\x07"}},
        {"05/12/2026|09:30|600\0" "111|Ana\0oculta|"s + huge, {"09:30", "600", "Ana", x(74)}},
        {ToWin1252(QString::fromUtf16(u"05/12/2026|☎ 9|Ωmega 600|Zoë 😀 Ж 中文|€ “x” Œ ŠŸ — fin")),
         {"? 9", "?mega 600", "Zo\xEB ? ? ??", "\x80 \x93x\x94 \x8C \x8A\x9F \x97 fin"}},
        {ToWin1252(QString::fromUtf16(u"05/12/2026|||\U0001F600\U0001F600|")), {"", "", "??", ""}},
    };
    for (const auto& [line, fields] : lines) ASSERT_TRUE(Enter(folder.path(), line)) << line.substr(0, 40);
    DayList list;
    ASSERT_TRUE(LoadDay(folder.path(), "05/12/2026", 0, list).Stored());
    ASSERT_EQ(list.kept, 5);
    for (int i = 0; i < 5; ++i) {
        const Appointment& a = list.slots[i];
        EXPECT_EQ(ReadField(a.date), "05/12/2026");
        EXPECT_EQ((Fields{ReadField(a.time), ReadField(a.phone), ReadField(a.name), ReadField(a.subject)}), lines[i].second) << i;
    }
}

}  // namespace
}  // namespace quimbaro
