// Hostile typed lines taken the whole way: Unicode entry text to Windows-1252,
// the classifier, the year file and back. Whatever is typed, either nothing is
// stored or the stored fields are exactly the typed ones cut to their widths.

#include <gtest/gtest.h>

#include <QString>
#include <string>
#include <vector>

#include "command/classify_line.h"
#include "book/appointment.h"
#include "text/win1252.h"
#include "book/year_file.h"
#include "temp_folder.h"

namespace quimbaro {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempFolder;

struct Stored {
    std::string date, time, phone, name, subject;
    friend bool operator==(const Stored&, const Stored&) = default;
};

Stored FieldsOf(const Appointment& a) {
    return {ReadField(a.date), ReadField(a.time), ReadField(a.phone), ReadField(a.name), ReadField(a.subject)};
}

// What a typed field becomes in the record: up to its first zero byte, cut to
// the longest text the field holds.
std::string Cut(const std::string& typed, std::size_t longest) {
    return typed.substr(0, std::min(typed.find('\0'), longest));
}

Stored Expected(const std::array<std::string, 5>& f) {
    return {Cut(f[0], 10), Cut(f[1], 5), Cut(f[2], 12), Cut(f[3], 49), Cut(f[4], 74)};
}

// Runs the line through the console's path: classify, then append when asked.
bool Enter(const fs::path& folder, const std::string& line) {
    const ClassifiedLine entry = ClassifyLine(line);
    if (entry.action != LineAction::Append) return false;
    const auto& f = entry.fields;
    EXPECT_TRUE(AppendAppointment(folder, f[0], f[1], f[2], f[3], f[4]).Stored()) << line.size();
    return true;
}

std::string Controls() {
    std::string all;
    for (int byte = 1; byte < 32; ++byte) all += static_cast<char>(byte);
    return all + '\x7F' + '\0';
}

TEST(HostileText, StoredFieldsAreTheTypedOnesCutToTheirWidths) {
    TempFolder folder;
    const std::string huge(100'000, '\xFF');
    const std::vector<std::string> lines = {
        "05/12/2026|" + huge + "|" + huge + "|" + huge + "|" + huge,
        "05/12/2026|" + Controls() + "|" + Controls() + "|\t\r\n|\x1B[31m\x07",
        std::string("05/12/2026|09:30|600") + '\0' + "111|Ana" + '\0' + "oculta|" + huge,
        ToWin1252(QString::fromUtf16(u"05/12/2026|☎ 9|Ωmega 600|Zoë 😀 Ж 中文|€ “x” Œ ŠŸ — fin")),
        ToWin1252(QString::fromUtf16(u"05/12/2026|||\U0001F600\U0001F600|")),
    };
    std::vector<Stored> expected;
    for (const std::string& line : lines) {
        ASSERT_TRUE(Enter(folder.path(), line)) << "not taken as an appointment: line " << expected.size();
        expected.push_back(Expected(ClassifyLine(line).fields));
    }
    EXPECT_EQ(expected[3].phone, "?mega 600");
    EXPECT_EQ(expected[3].name, "Zo\xEB ? ? ??");
    EXPECT_EQ(expected[3].subject, "\x80 \x93x\x94 \x8C \x8A\x9F \x97 fin");
    EXPECT_EQ(expected[4].name, "??");

    DayList list;
    ASSERT_TRUE(LoadDay(folder.path(), "05/12/2026", 0, list).Stored());
    ASSERT_EQ(list.kept, static_cast<int>(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(FieldsOf(list.slots[i]), expected[i]) << i;
    EXPECT_EQ(fs::file_size(YearFilePath(folder.path(), "05/12/2026")), lines.size() * kRecordSize);
}

// A lone extra "|" anywhere in an appointment line, or one missing, or a
// separator lookalike from outside Windows-1252, stores nothing.
TEST(HostileText, MisplacedSeparatorsStoreNothing) {
    TempFolder folder;
    const std::string line = ToWin1252(QString::fromUtf16(u"05/12/2026|09:30|600111222|Ana|Revisión"));
    std::vector<std::string> refused;
    for (std::size_t at = 0; at <= line.size(); ++at) refused.push_back(std::string(line).insert(at, "|"));
    for (std::size_t at = line.find('|'); at != std::string::npos; at = line.find('|', at + 1))
        refused.push_back(std::string(line).erase(at, 1));
    refused.push_back(ToWin1252(QString::fromUtf16(u"05/12/2026｜09:30|600111222|Ana|Revisión")));
    refused.push_back(ToWin1252(QString::fromUtf16(u"０5/12/2026|09:30|600111222|Ana|Revisión")));
    for (const std::string& bad : refused) {
        EXPECT_EQ(ClassifyLine(bad).action, LineAction::BadEntry) << bad;
        EXPECT_FALSE(Enter(folder.path(), bad));
    }
    EXPECT_TRUE(fs::is_empty(folder.path()));
}

}  // namespace
}  // namespace quimbaro
