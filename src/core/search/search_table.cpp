#include "search/search_table.h"

#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "book/appointment.h"
#include "book/cache_file.h"
#include "book/fd_io.h"
#include "calendar/dates.h"
#include "files/unique_fd.h"
#include "search/caseless_scan.h"
#include "search/folding.h"

namespace quimbaro {
namespace {

constexpr char kMagic[8] = {'Q', 'T', 'E', 'X', 'T', 'O', 'S', 1};
constexpr std::string_view kKind = "textos";
// Read this much of a region at a time; a query must be shorter than half.
constexpr std::size_t kBlock = 256 * 1024;
constexpr std::size_t kLongestQuery = 1024;

// The texts follow the header, then the digits. Day d's texts are the bytes
// [textStart[d], textStart[d + 1]) of the texts: for each of its records the
// folded name, a zero, the folded subject and a zero. Its digits likewise:
// each record's phone digits and a zero.
struct Header {
    char magic[8];
    CacheStamp stamp;
    uint64_t textBytes, digitBytes;
    std::array<uint32_t, kTableDays + 1> textStart, digitStart;
};

std::size_t DayOf(int month, int day) { return static_cast<std::size_t>(month * 32 + day); }

// Offsets from 0 to the region's size, never going back.
bool SoundStarts(const std::array<uint32_t, kTableDays + 1>& starts, uint64_t bytes) {
    return starts[0] == 0 && starts[kTableDays] == bytes && std::is_sorted(starts.begin(), starts.end());
}

// Only a real day of the year may hold anything.
bool OnlyRealDays(const Header& header, int yearNumber) {
    for (std::size_t d = 0; d < kTableDays; ++d) {
        const bool empty = header.textStart[d] == header.textStart[d + 1] && header.digitStart[d] == header.digitStart[d + 1];
        const int month = static_cast<int>(d / 32), day = static_cast<int>(d % 32);
        if (!empty && (month < 1 || month > 12 || day < 1 || day > DaysInMonth(month, yearNumber))) return false;
    }
    return true;
}

bool Sound(const Header& header, const struct stat& table, const struct stat& year, int yearNumber) {
    return std::memcmp(header.magic, kMagic, sizeof kMagic) == 0 && header.stamp == StampOf(year) &&
           header.textBytes <= SearchTableBuilder::kMaxTableBytes &&
           header.digitBytes <= SearchTableBuilder::kMaxTableBytes &&
           uint64_t(table.st_size) == sizeof header + header.textBytes + header.digitBytes &&
           SoundStarts(header.textStart, header.textBytes) && SoundStarts(header.digitStart, header.digitBytes) &&
           OnlyRealDays(header, yearNumber);
}

// A needle in folded text: its two characters that rule out the most,
// looked for by the raw-byte scan (exact bytes here, the texts being folded
// already), each place they stand compared whole.
class ExactScan {
public:
    ExactScan(std::string_view needle, std::size_t first, std::size_t second) : needle_(needle) {
        if (first >= needle.size()) return;
        at_ = first;
        pair_.first = Exactly(needle[first]);
        if (second < needle.size()) pair_.second = Exactly(needle[second]), pair_.gap = second - first;
    }
    std::string_view Needle() const { return needle_; }

    bool FoundIn(const char* data, std::size_t size) const {
        if (size < needle_.size()) return false;
        if (pair_.first.count == 0) return memmem(data, size, needle_.data(), needle_.size()) != nullptr;
        const std::size_t end = size - needle_.size() + at_ + 1;  // past the last place the first can stand
        for (std::size_t p = FindCaseless(data, size, at_, pair_); p < end; p = FindCaseless(data, size, p + 1, pair_))
            if (std::memcmp(data + p - at_, needle_.data(), needle_.size()) == 0) return true;
        return false;
    }

private:
    // The scan sets the 0x20 bit of every byte: a byte differing only there
    // passes too, and is turned away by the whole compare.
    static CaselessBytes Exactly(char ch) {
        return {{static_cast<unsigned char>(static_cast<unsigned char>(ch) | 0x20)}, 1};
    }
    std::string_view needle_;
    std::size_t at_ = 0;
    CaselessPair pair_;
};

// One region of the table read front to back, a block at a time, so that
// the ranges of consecutive days come from the same read.
class RegionScan {
public:
    RegionScan(int fd, uint64_t base, uint64_t size) : fd_(fd), base_(base), size_(size) {}

    // Whether the bytes [from, to) of the region hold the needle (not empty).
    bool Holds(uint64_t from, uint64_t to, const ExactScan& scan) {
        const std::string_view needle = scan.Needle();
        while (!failed_ && from < to && to - from >= needle.size()) {
            const uint64_t end = std::min<uint64_t>(to, from + kBlock);
            if (!Cover(from, end)) return false;
            const char* at = window_.data() + (from - windowStart_);
            if (scan.FoundIn(at, end - from)) return true;
            if (end == to) return false;
            from = end - (needle.size() - 1);  // a match across the two blocks
        }
        return false;
    }
    bool Failed() const { return failed_; }

private:
    bool Cover(uint64_t from, uint64_t end) {
        if (from >= windowStart_ && end <= windowEnd_) return true;
        if (window_.empty()) window_.resize(kBlock);
        const std::size_t length = static_cast<std::size_t>(std::min<uint64_t>(kBlock, size_ - from));
        failed_ = !ReadExactlyAt(fd_, window_.data(), length, base_ + from);
        windowStart_ = from, windowEnd_ = failed_ ? from : from + length;
        return !failed_;
    }

    int fd_;
    uint64_t base_, size_;
    std::vector<char> window_;
    uint64_t windowStart_ = 0, windowEnd_ = 0;
    bool failed_ = false;
};

// The field up to its first zero, folded, and a zero.
void AppendFolded(std::string& texts, const char* field, std::size_t width) {
    const void* zero = std::memchr(field, 0, width);
    const std::size_t length = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - field) : width;
    const std::size_t at = texts.size();
    texts.resize(at + length + 1);
    const auto& table = FoldTable();
    for (std::size_t i = 0; i < length; ++i) texts[at + i] = static_cast<char>(table[static_cast<unsigned char>(field[i])]);
}

}  // namespace

bool TableCanAnswer(const RecordMatcher& matcher) {
    const std::string& folded = matcher.FoldedQuery();
    return !folded.empty() && folded.size() < kLongestQuery && folded.find('\0') == std::string::npos;
}

std::optional<FoundDays> FindInSearchTable(const DayIndexPlace& place, const struct stat& year, int yearNumber,
                                           const RecordMatcher& matcher) {
    if (place.folder.empty() || !TableCanAnswer(matcher)) return {};
    const files::UniqueFd fd(OpenCacheFile(CachePath(place, kKind, year)));
    struct stat table {};
    Header header;
    if (fd.get() < 0 || fstat(fd.get(), &table) != 0 ||
        !ReadExactlyAt(fd.get(), &header, sizeof header, 0) ||
        !Sound(header, table, year, yearNumber))
        return {};
    RegionScan texts(fd.get(), sizeof header, header.textBytes);
    RegionScan phones(fd.get(), sizeof header + header.textBytes, header.digitBytes);
    const ExactScan folded(matcher.FoldedQuery(), matcher.RarestPlaces().first, matcher.RarestPlaces().second);
    const std::string& phone = matcher.PhoneDigits();
    const ExactScan digits(phone, 0, phone.size() - 1);
    FoundDays found{};
    for (std::size_t d = 0; d < kTableDays; ++d)
        found[d] = texts.Holds(header.textStart[d], header.textStart[d + 1], folded) ||
                   (!phone.empty() && phones.Holds(header.digitStart[d], header.digitStart[d + 1], digits));
    if (texts.Failed() || phones.Failed()) return {};
    return found;
}

SearchTableBuilder::SearchTableBuilder(std::string_view fileName, uint64_t records) {
    std::memcpy(year_, fileName.data(), sizeof year_);
    // Pages are taken only as they are written.
    constexpr std::size_t kMostText = sizeof(Appointment::name) + sizeof(Appointment::subject) + 2;
    texts_.reserve(std::min<uint64_t>(records * kMostText, kMaxTableBytes));
    digits_.reserve(std::min<uint64_t>(records * (sizeof(Appointment::phone) + 1), kMaxTableBytes));
    entries_.reserve(std::min<uint64_t>(records, kMaxTableBytes / 2 / sizeof(Entry)));
}

// The records a search can find: dated on a real day of the file's year.
void SearchTableBuilder::Add(const char* records, std::size_t count) {
    for (std::size_t i = 0; i < count && !tooLarge_; ++i) {
        const char* record = records + i * kRecordSize;
        if (std::memcmp(record + 6, year_, sizeof year_) != 0) continue;  // DD/MM/YYYY
        const std::optional<CalendarDate> day = RecordDay(record);
        if (!day) continue;
        AppendFolded(texts_, record + offsetof(Appointment, name), sizeof(Appointment::name));
        AppendFolded(texts_, record + offsetof(Appointment, subject), sizeof(Appointment::subject));
        const char* phone = record + offsetof(Appointment, phone);
        for (std::size_t at = 0; at < sizeof(Appointment::phone) && phone[at] != 0; ++at)
            if (phone[at] >= '0' && phone[at] <= '9') digits_ += phone[at];
        digits_ += '\0';
        entries_.push_back({static_cast<uint16_t>(DayOf(day->month, day->day)), static_cast<uint32_t>(texts_.size()),
                            static_cast<uint32_t>(digits_.size())});
        tooLarge_ = texts_.size() + digits_.size() + entries_.size() * sizeof(Entry) > kMaxTableBytes;
    }
    if (tooLarge_) entries_ = {}, texts_ = {}, digits_ = {};
}

void SearchTableBuilder::Write(const DayIndexPlace& place, const struct stat& year) const {
    if (tooLarge_ || place.folder.empty()) return;
    Header header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.stamp = StampOf(year);
    header.textBytes = texts_.size();
    header.digitBytes = digits_.size();
    // Where each record's bytes start: where the one before ended.
    const auto textBegin = [this](std::size_t i) { return i ? entries_[i - 1].textEnd : 0; };
    const auto digitBegin = [this](std::size_t i) { return i ? entries_[i - 1].digitEnd : 0; };
    // Each day's bytes counted, then placed after the days before it.
    std::array<uint32_t, kTableDays + 1> records{};
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        header.textStart[entry.day + 1] += entry.textEnd - textBegin(i);
        header.digitStart[entry.day + 1] += entry.digitEnd - digitBegin(i);
        ++records[entry.day + 1];
    }
    for (std::size_t d = 0; d < kTableDays; ++d) {
        header.textStart[d + 1] += header.textStart[d];
        header.digitStart[d + 1] += header.digitStart[d];
        records[d + 1] += records[d];
    }
    // The records in day order, each day's in file order.
    std::vector<uint32_t> order(entries_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i) order[records[entries_[i].day]++] = static_cast<uint32_t>(i);
    CacheWriter writer(place, kKind, year);
    writer.Put(std::string_view(reinterpret_cast<const char*>(&header), sizeof header));
    for (const uint32_t i : order) writer.Put({texts_.data() + textBegin(i), entries_[i].textEnd - textBegin(i)});
    for (const uint32_t i : order) writer.Put({digits_.data() + digitBegin(i), entries_[i].digitEnd - digitBegin(i)});
    writer.Commit();
}

}  // namespace quimbaro
