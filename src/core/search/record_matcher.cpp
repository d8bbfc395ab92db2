#include "search/record_matcher.h"

#include <cstring>
#include <set>

#include "book/appointment.h"
#include "search/folding.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quimbaro {
namespace {

constexpr std::size_t kTextOffset = offsetof(Appointment, name);  // name, then subject
constexpr std::size_t kTextWidth = sizeof(Appointment::name) + sizeof(Appointment::subject);
constexpr unsigned char kCaseBit = 0x20;

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

std::size_t FieldLength(const char* field, std::size_t width) {
    const void* zero = std::memchr(field, 0, width);
    return zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - field) : width;
}

// Folds the field up to its first zero and looks for the folded query in it.
bool FieldContains(const char* field, std::size_t width, std::string_view folded) {
    const std::size_t length = FieldLength(field, width);
    if (length < folded.size()) return false;
    const auto& table = FoldTable();
    char buffer[sizeof(Appointment::subject)];
    for (std::size_t i = 0; i < length; ++i) buffer[i] = static_cast<char>(table[static_cast<unsigned char>(field[i])]);
    return std::string_view(buffer, length).find(folded) != std::string_view::npos;
}

// The bytes that fold to ch, each with the 0x20 bit set. A set holding 0x20
// is useless as a probe: every zero byte would pass it.
std::set<unsigned char> ProbeSet(char ch) {
    std::set<unsigned char> set;
    for (int byte = 0; byte < 256; ++byte)
        if (FoldChar(static_cast<char>(byte)) == ch) set.insert(static_cast<unsigned char>(byte | kCaseBit));
    return set;
}

}  // namespace

RecordMatcher::RecordMatcher(std::string_view query)
    : folded_(FoldText(query)), digits_(PhoneQueryDigits(query)) {
    ChooseProbe();
}

// The query character whose set of folding bytes is smallest.
void RecordMatcher::ChooseProbe() {
    std::set<unsigned char> best;
    for (const char ch : folded_) {
        const std::set<unsigned char> set = ProbeSet(ch);
        if (set.size() <= kMaxProbes && !set.contains(kCaseBit) && (best.empty() || set.size() < best.size()))
            best = set;
    }
    for (const unsigned char byte : best) probes_[probeCount_++] = byte;
}

#if defined(__SSE2__)
bool RecordMatcher::MayHoldQuery(const char* record) const {
    if (probeCount_ == 0) return true;
    const char* text = record + kTextOffset;
    const __m128i caseBit = _mm_set1_epi8(static_cast<char>(kCaseBit));
    __m128i seen = _mm_setzero_si128();
    const auto look = [&](std::size_t at) {
        const __m128i chunk =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at)), caseBit);
        for (std::size_t i = 0; i < probeCount_; ++i)
            seen = _mm_or_si128(seen, _mm_cmpeq_epi8(chunk, _mm_set1_epi8(static_cast<char>(probes_[i]))));
    };
    for (std::size_t at = 0; at + 16 <= kTextWidth; at += 16) look(at);
    look(kTextWidth - 16);  // the tail, overlapping the last chunk
    return _mm_movemask_epi8(seen) != 0;
}
#else
bool RecordMatcher::MayHoldQuery(const char* record) const {
    if (probeCount_ == 0) return true;
    for (std::size_t i = 0; i < kTextWidth; ++i) {
        const auto byte = static_cast<unsigned char>(record[kTextOffset + i] | kCaseBit);
        for (std::size_t p = 0; p < probeCount_; ++p)
            if (byte == probes_[p]) return true;
    }
    return false;
}
#endif

bool RecordMatcher::NameOrSubjectMatches(const char* record) const {
    if (!MayHoldQuery(record)) return false;
    return FieldContains(record + offsetof(Appointment, name), sizeof(Appointment::name), folded_) ||
           FieldContains(record + offsetof(Appointment, subject), sizeof(Appointment::subject), folded_);
}

bool RecordMatcher::PhoneMatches(const char* record) const {
    if (digits_.empty()) return false;
    const char* phone = record + offsetof(Appointment, phone);
    const std::size_t length = FieldLength(phone, sizeof(Appointment::phone));
    char digits[sizeof(Appointment::phone)];
    std::size_t count = 0;
    for (std::size_t i = 0; i < length; ++i)
        if (IsDigit(phone[i])) digits[count++] = phone[i];
    return std::string_view(digits, count).find(digits_) != std::string_view::npos;
}

bool RecordMatcher::TextMatches(const char* record) const {
    return NameOrSubjectMatches(record) || PhoneMatches(record);
}

bool RecordMatcher::Matches(const char* record) const {
    return TextMatches(record) && RecordDay(record).has_value();
}

std::optional<CalendarDate> RecordDay(const char* record) {
    const std::string_view field(record, FieldLength(record, sizeof(Appointment::date)));
    const std::optional<CalendarDate> date = ParseDayKey(field);
    if (!date || date->year < 1 || date->month < 1 || date->day < 1) return std::nullopt;
    if (date->day > DaysInMonth(date->month, date->year)) return std::nullopt;
    return date;
}

std::string PhoneQueryDigits(std::string_view query) {
    std::string digits;
    for (const char ch : query) {
        if (IsDigit(ch)) digits += ch;
        else if (std::string_view(" -./()+").find(ch) == std::string_view::npos) return {};
    }
    return digits;
}

}  // namespace quimbaro
