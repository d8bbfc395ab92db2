// The settings file from arbitrary bytes: reading never fails hard, a missing
// key gives its default, and saving what was read then reading again gives the
// same values back; a second save of the same values changes nothing but
// blank lines.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_folder.h"
#include "settings/settings.h"

namespace {

using namespace quimbaro;

bool ContainsIgnoringCase(std::string_view text, std::string_view word) {
    auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    return std::search(text.begin(), text.end(), word.begin(), word.end(), same) != text.end();
}

// The writer may drop blank lines it wrote before an empty section.
std::string WithoutBlankLines(const std::string& text) {
    std::string kept;
    for (const char c : text)
        if (c != '\n' || (!kept.empty() && kept.back() != '\n')) kept += c;
    return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const auto file = fuzz::ScratchFolder() / kSettingsFileName;
    fuzz::WriteWholeFile(file, data, size);
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    SettingsStore read{file};
    LoadSettings(read);
    if (!ContainsIgnoringCase(text, "mean")) FUZZ_CHECK(read.userColour == kDefaultUserColour);
    if (!ContainsIgnoringCase(text, "orden_alfabetico")) FUZZ_CHECK(read.sortOrder == kDefaultSortOrder);
    if (!ContainsIgnoringCase(text, "minutos")) FUZZ_CHECK(read.reminderMinutes == kDefaultReminderMinutes);
    FUZZ_CHECK(read.reminderMinutes >= 0 && read.reminderMinutes <= kMaxReminderMinutes);

    FUZZ_CHECK(SaveSettings(read));
    SettingsStore reread{file};
    LoadSettings(reread);
    FUZZ_CHECK(reread.userColour == read.userColour);
    FUZZ_CHECK(reread.sortOrder == read.sortOrder);
    FUZZ_CHECK(reread.reminderMinutes == read.reminderMinutes);

    const std::string saved = WithoutBlankLines(fuzz::ReadWholeFile(file));
    FUZZ_CHECK(SaveSettings(reread));
    FUZZ_CHECK(WithoutBlankLines(fuzz::ReadWholeFile(file)) == saved);
    return 0;
}
