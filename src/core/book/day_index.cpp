#include "book/day_index.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

#include "book/appointment.h"
#include "book/cache_file.h"
#include "book/fd_io.h"
#include "files/unique_fd.h"

namespace quimbaro {
namespace {

constexpr int kSlots = 12 * 31;
constexpr char kMagic[8] = {'Q', 'D', 'I', 'A', 'S', 0, 0, 1};
constexpr std::string_view kKind = "dias";

struct Header {
    char magic[8];
    CacheStamp stamp;
    uint32_t total;  // record numbers after the header
    uint32_t unused;
    std::array<uint32_t, kSlots + 1> start;  // slot s lists numbers [start[s], start[s + 1])
    std::array<uint32_t, kSlots> check;      // a hash of each slot's numbers
};

Header HeaderFor(const struct stat& year) {
    Header header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.stamp = StampOf(year);
    return header;
}

// Describes the same file as it was: everything but the tables.
bool SameFile(const Header& stored, const Header& now) {
    return std::memcmp(stored.magic, now.magic, sizeof kMagic) == 0 && stored.stamp == now.stamp;
}

uint32_t SlotCheck(int slot, const uint32_t* numbers, std::size_t count) {
    uint32_t hash = 2166136261u ^ static_cast<uint32_t>(slot);
    const auto* bytes = reinterpret_cast<const unsigned char*>(numbers);
    for (std::size_t i = 0; i < count * sizeof(uint32_t); ++i) hash = (hash ^ bytes[i]) * 16777619u;
    return hash ^ static_cast<uint32_t>(count);
}

int TwoDigits(const char* text) {
    const auto digit = [](char c) { return c >= '0' && c <= '9' ? c - '0' : -100; };
    return digit(text[0]) * 10 + digit(text[1]);
}

}  // namespace

DayIndexPlace ProcessDayIndexPlace() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/') return {.folder = std::filesystem::path(cache) / "quimbaro"};
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return {.folder = std::filesystem::path(home) / ".cache" / "quimbaro"};
    return {};
}

std::optional<int> DaySlot(const char* dateField) {
    const int day = TwoDigits(dateField), month = TwoDigits(dateField + 3);
    if (dateField[2] != '/' || dateField[5] != '/' || day < 1 || day > 31 || month < 1 || month > 12) return {};
    return (month - 1) * 31 + day - 1;
}

std::optional<std::vector<uint32_t>> ReadDayIndex(const DayIndexPlace& place, const struct stat& year, int slot) {
    if (place.folder.empty() || slot < 0 || slot >= kSlots) return {};
    const files::UniqueFd fd(OpenCacheFile(CachePath(place, kKind, year)));
    struct stat info {};
    Header header;
    if (fd.get() < 0 || fstat(fd.get(), &info) != 0 ||
        !ReadExactlyAt(fd.get(), &header, sizeof header, 0) || !SameFile(header, HeaderFor(year)))
        return {};
    const uint64_t records = static_cast<uint64_t>(year.st_size) / kRecordSize;
    const uint32_t first = header.start[slot], end = header.start[slot + 1];
    if (uint64_t(info.st_size) != sizeof header + uint64_t(header.total) * sizeof(uint32_t) || first > end ||
        end > header.total || end - first > records)
        return {};
    std::vector<uint32_t> numbers(end - first);
    if (!ReadExactlyAt(fd.get(), numbers.data(), numbers.size() * sizeof(uint32_t),
                sizeof header + uint64_t(first) * sizeof(uint32_t)) ||
        SlotCheck(slot, numbers.data(), numbers.size()) != header.check[slot])
        return {};
    for (const uint32_t number : numbers)
        if (number >= records) return {};
    return numbers;
}

void DayIndexBuilder::Add(const char* records, std::size_t count, uint64_t firstRecord) {
    for (std::size_t i = 0; i < count; ++i)
        if (const auto slot = DaySlot(records + i * kRecordSize))
            entries_.emplace_back(static_cast<uint16_t>(*slot), static_cast<uint32_t>(firstRecord + i));
}

void DayIndexBuilder::Write(const DayIndexPlace& place, const struct stat& year) const {
    if (place.folder.empty() || uint64_t(year.st_size) / kRecordSize > UINT32_MAX) return;
    Header header = HeaderFor(year);
    header.total = static_cast<uint32_t>(entries_.size());
    // Each slot's numbers in file order, the slots one after another.
    for (const auto& entry : entries_) ++header.start[entry.first + 1];
    for (int slot = 0; slot < kSlots; ++slot) header.start[slot + 1] += header.start[slot];
    std::vector<uint32_t> numbers(entries_.size());
    std::array<uint32_t, kSlots> next{};
    for (const auto& [slot, number] : entries_) numbers[header.start[slot] + next[slot]++] = number;
    for (int slot = 0; slot < kSlots; ++slot)
        header.check[slot] = SlotCheck(slot, numbers.data() + header.start[slot], next[slot]);
    CacheWriter writer(place, kKind, year);
    writer.Put(std::string_view(reinterpret_cast<const char*>(&header), sizeof header));
    writer.Put(std::string_view(reinterpret_cast<const char*>(numbers.data()), numbers.size() * sizeof(uint32_t)));
    writer.Commit();
}

void KeepNewestIndexes(const std::filesystem::path& folder, std::string_view kind) {
    // Every rewrite of a year file by rename gives it a new inode and so a new
    // index; the old ones and a killed write's temporaries would pile up.
    std::vector<std::pair<std::filesystem::file_time_type, std::filesystem::path>> indexes;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (!entry.path().filename().string().starts_with(std::string(kind) + "-")) continue;
        const auto time = entry.symlink_status(error).type() == std::filesystem::file_type::regular
                              ? entry.last_write_time(error)
                              : std::filesystem::file_time_type::min();  // a link or odd entry goes first
        indexes.emplace_back(time, entry.path());
    }
    if (indexes.size() <= kKeptIndexes) return;
    std::sort(indexes.begin(), indexes.end(), std::greater<>());
    for (std::size_t i = kKeptIndexes; i < indexes.size(); ++i) ::unlink(indexes[i].second.c_str());
}

}  // namespace quimbaro
