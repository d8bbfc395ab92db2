#include "settings/settings.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "files/regular_file.h"
#include "files/atomic_write.h"

// Plain 8-bit text: the file is Windows-1252 and only numbers are written.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

namespace quimbaro {
namespace {

// CSimpleIniA looks sections and keys up case-insensitively (CSimpleIniCaseA
// would not). Repeated keys are all kept, and the first one is read.
class IniFile : public CSimpleIniA {
public:
    IniFile() : CSimpleIniA(/*isUtf8=*/false, /*multiKey=*/true) {}
};

constexpr const char* kColourSection = "Colores";
constexpr const char* kColourKey = "mean";
constexpr const char* kOrderSection = "Horas";
constexpr const char* kOrderKey = "Orden_Alfabetico";
constexpr const char* kReminderSection = "Avisos";
constexpr const char* kReminderKey = "minutos";
constexpr const char* kSyncSection = "Sincronizar";
constexpr const char* kAppointmentSection = "Citas";
constexpr const char* kDoubleBookingKey = "avisar_solapes";
constexpr std::size_t kLongestValue = 259;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The decimal number at the start of the text (spaces, sign, digits, an
// optional fraction), rounded to the nearest integer with halves away from
// zero; 0 when there is none. Huge magnitudes saturate instead of overflowing.
int64_t LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    constexpr int64_t kCeiling = int64_t{1} << 40;
    int64_t magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) magnitude = std::min(kCeiling, magnitude * 10 + (text[i] - '0'));
    if (i + 1 < text.size() && text[i] == '.' && IsDigit(text[i + 1]) && text[i + 1] >= '5') ++magnitude;
    return negative ? -magnitude : magnitude;
}

// Out-of-range numbers become the nearest value the type can hold.
template <typename Int>
Int Clamped(int64_t value) {
    return static_cast<Int>(std::clamp<int64_t>(value, std::numeric_limits<Int>::min(), std::numeric_limits<Int>::max()));
}

// Far more than any settings file the program writes; a bigger one is not ours.
constexpr std::size_t kLargestFile = std::size_t{1} << 20;

// The whole file; an empty text when it does not exist, nothing when it
// cannot be read or is no plain file (a FIFO, a device, a link).
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
    FileBytes file = ReadRegularFile(path, kLargestFile, Links::Refuse);
    if (file.fault == FileFault::Missing) return std::string();
    if (!file.Read()) return std::nullopt;
    return std::move(file.bytes);
}

// A line with its line end; a blank one is no comment.
bool IsCommentLine(std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && (line[first] == ';' || line[first] == '#');
}

// The INI reader ends a line at '\r' as well as at '\n'.
bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

// Where the line ending just before `end` starts (end > 0).
std::size_t LineStartBefore(std::string_view text, std::size_t end) {
    std::size_t start = end;
    if (text[start - 1] == '\n') --start;
    if (start > 0 && text[start - 1] == '\r') --start;
    while (start > 0 && !IsLineEnd(text[start - 1])) --start;
    return start;
}

// The INI writer keeps only comments that stand before a section or key, so
// comments after the last entry of a file would be lost; this is the block of
// comment lines that ends the file, to put back at the end ("" when there is
// none). The block stops at a blank line, which keeps it the same from one
// save to the next.
std::string TrailingComments(std::string_view text) {
    std::size_t start = text.size();
    while (start > 0) {
        const std::size_t lineStart = LineStartBefore(text, start);
        if (!IsCommentLine(text.substr(lineStart, start - lineStart))) break;
        start = lineStart;
    }
    if (start == 0 || start == text.size()) return "";  // a file of only comments: the writer keeps them
    std::string block(text.substr(start));
    if (block.back() != '\n') block += '\n';
    return "\n" + block;
}

bool IsIniSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A '[' at the start of an entry whose section name runs into the line end
// before any ']'. The reader means to skip such a line, but it files the keys
// after it under a name made of that line and the next key, and every save
// writes that name back one line longer.
bool IsBrokenSectionLine(std::string_view text, std::size_t at) {
    std::size_t i = at + 1;
    while (i < text.size() && IsIniSpace(text[i])) ++i;
    while (i < text.size() && text[i] != ']' && text[i] != '\0' && !IsLineEnd(text[i])) ++i;
    return i == text.size() || text[i] != ']';
}

// The text with a ';' put before every broken section line, which keeps the
// line as a comment and the keys after it in the section they were in.
std::string WithBrokenSectionsCommented(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool entryStart = true;  // the reader takes the first non-space after a line end as an entry
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsIniSpace(c)) {
            entryStart = entryStart || IsLineEnd(c);
        } else {
            if (entryStart && c == '[' && IsBrokenSectionLine(text, i)) out += ';';
            entryStart = false;
        }
        out += c;
    }
    return out;
}

SI_Error Load(IniFile& ini, std::string_view text) { return ini.LoadData(WithBrokenSectionsCommented(text)); }

int64_t ReadNumber(const IniFile& ini, const char* section, const char* key, const char* fallback) {
    std::string_view value = ini.GetValue(section, key, fallback);
    return LeadingNumber(value.substr(0, kLongestValue));
}

// Reading never creates the file; whatever cannot be read gives the defaults.
void Read(SettingsStore& store) {
    IniFile ini;
    ini.SetQuotes(true);  // mean="255" reads as 255
    if (const auto text = ReadWholeFile(store.file)) Load(ini, *text);
    const std::string colour = std::to_string(kDefaultUserColour);
    const std::string order = std::to_string(static_cast<int16_t>(kDefaultSortOrder));
    store.userColour = Clamped<int32_t>(ReadNumber(ini, kColourSection, kColourKey, colour.c_str()));
    store.sortOrder = SortOrder{Clamped<int16_t>(ReadNumber(ini, kOrderSection, kOrderKey, order.c_str()))};
    const std::string minutes = std::to_string(kDefaultReminderMinutes);
    store.reminderMinutes = static_cast<int16_t>(
        std::clamp<int64_t>(ReadNumber(ini, kReminderSection, kReminderKey, minutes.c_str()), 0, kMaxReminderMinutes));
    store.syncFolder = ini.GetValue(kSyncSection, "carpeta", "");
    store.syncCommand = ini.GetValue(kSyncSection, "orden", "");
    store.syncMinutes = static_cast<int16_t>(std::clamp<int64_t>(ReadNumber(ini, kSyncSection, "minutos", "0"), 0, kMaxSyncMinutes));
    store.warnDoubleBooking = ReadNumber(ini, kAppointmentSection, kDoubleBookingKey, "1") != 0;
}

// Both values are written together; every other section, key and comment
// of the existing file is kept. An existing file that cannot be read is not
// overwritten.
bool Save(const SettingsStore& store) {
    const auto existing = ReadWholeFile(store.file);
    if (!existing) return false;
    IniFile ini;
    ini.SetSpaces(false);
    if (Load(ini, *existing) < 0) return false;
    const bool replaceRepeats = true;
    ini.SetValue(kColourSection, kColourKey, std::to_string(store.userColour).c_str(), nullptr, replaceRepeats);
    ini.SetValue(kOrderSection, kOrderKey, std::to_string(static_cast<int16_t>(store.sortOrder)).c_str(), nullptr, replaceRepeats);
    // A file that never had the key keeps the shape it always had.
    if (store.reminderMinutes != kDefaultReminderMinutes || ini.GetValue(kReminderSection, kReminderKey))
        ini.SetValue(kReminderSection, kReminderKey, std::to_string(store.reminderMinutes).c_str(), nullptr,
                     replaceRepeats);
    std::string text;
    if (ini.Save(text) < 0) return false;
    text += TrailingComments(*existing);
    const auto size = static_cast<qint64>(text.size());
    return files::WriteFileSafely(store.file, [&](QIODevice& out) { return out.write(text.data(), size) == size; })
        .Done();
}

}  // namespace

void LoadSettings(SettingsStore& store) { Read(store); }

bool SaveSettings(const SettingsStore& store) { return Save(store); }

}  // namespace quimbaro
