#include "search/record_matcher.h"

#include <cstring>
#include <set>
#include <utility>

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

// The bytes that fold to ch, each with the 0x20 bit set.
std::set<unsigned char> ProbeSet(char ch) {
    std::set<unsigned char> set;
    for (int byte = 0; byte < 256; ++byte)
        if (FoldChar(static_cast<char>(byte)) == ch) set.insert(static_cast<unsigned char>(byte | kCaseBit));
    return set;
}

// How often a folded character turns up in the raw bytes of a record, per
// thousand: letters as in Spanish text; digits, '/' and ':' fill every
// date, time and phone, where a hit is a wasted stop.
int Commonness(unsigned char folded) {
    static constexpr int kLetters[26] = {125, 14, 47, 59, 137, 7, 10, 7, 63, 4, 1, 50, 32,
                                         67,  87, 25, 9,  69,  80, 46, 39, 9, 1, 2,  9, 5};
    if (folded >= 'a' && folded <= 'z') return kLetters[folded - 'a'];
    if ((folded >= '0' && folded <= '9') || folded == '/' || folded == ':') return 150;
    return 10;
}

std::string DistinctDigits(const std::string& digits) {
    std::string distinct;
    for (const char ch : digits)
        if (distinct.find(ch) == std::string::npos) distinct += ch;
    return distinct;
}

}  // namespace

RecordMatcher::RecordMatcher(std::string_view query)
    : folded_(FoldText(query)), digits_(PhoneQueryDigits(query)), distinctDigits_(DistinctDigits(digits_)) {
    first_ = ProbeFor(folded_, folded_.size());
    second_ = ProbeFor(folded_, first_.count ? first_.at : folded_.size());
    if (second_.count && second_.at < first_.at) std::swap(first_, second_);
    gap_ = second_.count ? second_.at - first_.at : 0;
    if (gap_ + 16 > kTextWidth) second_ = {}, gap_ = 0;  // too far apart to look at both in one pass
    rarePlaces_ = FindRarestPlaces(folded_);
    rarest_ = RarestCharacters(folded_, rarePlaces_);
    for (std::size_t i = 0; i < kLeadDigits; ++i)
        i < digits_.size() ? leadDigits_[i].fill(digits_[i]) : void(leadUnused_[i] = ~0u);
}

// The two query characters least common in records whose folding bytes fit
// the scan, the earlier one first; npos for none: when every character is a
// space or folds from too many bytes, or the query has one character only.
RecordMatcher::RarePlaces RecordMatcher::FindRarestPlaces(const std::string& folded) {
    const auto rarest = [&folded](std::size_t skip) {
        std::size_t best = std::string::npos;
        int bestCommonness = 0;
        for (std::size_t at = 0; at < folded.size(); ++at) {
            const std::set<unsigned char> set = ProbeSet(folded[at]);
            const int commonness = Commonness(static_cast<unsigned char>(folded[at]));
            if (at == skip || set.size() > CaselessBytes::kMax || set.contains(kCaseBit)) continue;
            if (best == std::string::npos || commonness < bestCommonness) best = at, bestCommonness = commonness;
        }
        return best;
    };
    const std::size_t first = rarest(std::string::npos), second = first == std::string::npos ? first : rarest(first);
    return {std::min(first, second), second == std::string::npos ? second : std::max(first, second)};
}

// The raw-byte scan for the two characters: each with every byte that folds to it.
CaselessPair RecordMatcher::RarestCharacters(const std::string& folded, const RarePlaces& places) {
    const auto bytes = [&folded](std::size_t at) {
        CaselessBytes wanted;
        if (at < folded.size())
            for (const unsigned char byte : ProbeSet(folded[at])) wanted.bytes[wanted.count++] = byte;
        return wanted;
    };
    if (places.second == std::string::npos) return {bytes(places.first), {}, 0};
    return {bytes(places.first), bytes(places.second), places.second - places.first};
}

std::size_t RecordMatcher::NextTextCandidate(const char* records, std::size_t count, std::size_t from) const {
    if (rarest_.first.count == 0) return from;
    const std::size_t size = count * kRecordSize;
    std::size_t at = from * kRecordSize + kTextOffset;
    while (at < size) {
        const std::size_t hit = FindCaseless(records, size, at, rarest_);
        if (hit == size) break;
        const std::size_t record = hit / kRecordSize;
        if (hit - record * kRecordSize >= kTextOffset) return record;
        at = record * kRecordSize + kTextOffset;  // a hit in the date, time or phone
    }
    return count;
}

// The query character, other than the one at `skip`, whose set of folding
// bytes is smallest. A set holding 0x20 is useless: every zero byte passes.
RecordMatcher::Probe RecordMatcher::ProbeFor(const std::string& folded, std::size_t skip) {
    Probe best;
    for (std::size_t at = 0; at < folded.size(); ++at) {
        const std::set<unsigned char> set = ProbeSet(folded[at]);
        if (at == skip || set.size() > Probe::kMaxBytes || set.contains(kCaseBit)) continue;
        if (best.count != 0 && set.size() >= best.count) continue;
        best = {{}, 0, at};
        for (const unsigned char byte : set) best.bytes[best.count++] = byte;
    }
    return best;
}

#if defined(__SSE2__)
namespace {

// 0xFF in each lane whose byte, with the 0x20 bit set, is one of the probe's.
__m128i ProbeHits(const char* at, const std::array<unsigned char, 4>& bytes, std::size_t count) {
    const __m128i chunk = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)),
                                       _mm_set1_epi8(static_cast<char>(kCaseBit)));
    __m128i hits = _mm_setzero_si128();
    for (std::size_t i = 0; i < count; ++i)
        hits = _mm_or_si128(hits, _mm_cmpeq_epi8(chunk, _mm_set1_epi8(static_cast<char>(bytes[i]))));
    return hits;
}

}  // namespace

bool RecordMatcher::MayHoldQuery(const char* record) const {
    if (first_.count == 0) return true;
    const char* text = record + kTextOffset;
    const std::size_t starts = kTextWidth - gap_;  // where the first probe can sit, at least 16
    __m128i seen = _mm_setzero_si128();
    const auto look = [&](std::size_t at) {
        __m128i hits = ProbeHits(text + at, first_.bytes, first_.count);
        if (second_.count) hits = _mm_and_si128(hits, ProbeHits(text + at + gap_, second_.bytes, second_.count));
        seen = _mm_or_si128(seen, hits);
    };
    for (std::size_t at = 0; at + 16 <= starts; at += 16) look(at);
    if (starts % 16 != 0) look(starts - 16);  // the tail, overlapping the last chunk
    return _mm_movemask_epi8(seen) != 0;
}

// The phone's digits must hold the query's. Lanes of the field (before its
// first zero) equal to each of the query's first digits, shifted by the
// digit's place in the query and ANDed, leave a bit where the number can
// start while the field is digits only. With separators in it, every digit
// of the query must at least be somewhere in it. No branch depends on the record's bytes
// but the rare one for separators: this runs on every record.
bool RecordMatcher::MayHoldDigits(const char* record) const {
    constexpr std::size_t kWidth = sizeof(Appointment::phone);
    if (digits_.size() > kWidth) return false;
    const __m128i phone =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(record + offsetof(Appointment, phone)));
    const auto lanes = [&phone](char ch) {
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(phone, _mm_set1_epi8(ch))));
    };
    const unsigned ends = lanes('\0') | ~((1u << kWidth) - 1);
    const unsigned field = (ends & (~ends + 1)) - 1;  // the lanes before the first zero
    const __m128i digit = _mm_and_si128(_mm_cmpeq_epi8(_mm_max_epu8(phone, _mm_set1_epi8('0')), phone),
                                        _mm_cmpeq_epi8(_mm_min_epu8(phone, _mm_set1_epi8('9')), phone));
    if ((static_cast<unsigned>(_mm_movemask_epi8(digit)) & field) != field) {
        bool all = true;
        for (const char ch : distinctDigits_) all &= (lanes(ch) & field) != 0;
        return all;
    }
    const auto starts = [&](std::size_t i) {  // where the number can start, by its i-th digit
        const __m128i lead = _mm_loadu_si128(reinterpret_cast<const __m128i*>(leadDigits_[i].data()));
        return (static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(phone, lead))) >> i) | leadUnused_[i];
    };
    static_assert(kLeadDigits == 3);
    const unsigned room = field >> (digits_.size() - 1);  // for the whole number
    return (room & starts(0) & starts(1) & starts(2)) != 0;
}

std::size_t RecordMatcher::NextPhoneCandidate(const char* records, std::size_t count, std::size_t from) const {
    while (from < count && !MayHoldDigits(records + from * kRecordSize)) ++from;
    return from;
}
#else
std::size_t RecordMatcher::NextPhoneCandidate(const char*, std::size_t, std::size_t from) const { return from; }
bool RecordMatcher::MayHoldQuery(const char*) const { return true; }
bool RecordMatcher::MayHoldDigits(const char*) const { return true; }
#endif

bool RecordMatcher::MayMatch(const char* record) const {
    return MayHoldQuery(record) || (!digits_.empty() && MayHoldDigits(record));
}

bool RecordMatcher::NameOrSubjectMatches(const char* record) const {
    if (!MayHoldQuery(record)) return false;
    return FieldContains(record + offsetof(Appointment, name), sizeof(Appointment::name), folded_) ||
           FieldContains(record + offsetof(Appointment, subject), sizeof(Appointment::subject), folded_);
}

bool RecordMatcher::PhoneMatches(const char* record) const {
    if (digits_.empty() || !MayHoldDigits(record)) return false;
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
