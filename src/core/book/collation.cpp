#include "book/collation.h"

#include <array>
#include <utility>

#include "text/win1252.h"

namespace quimbaro {

namespace {

// The collation order as Windows-1252 bytes: punctuation, digits, space, then
// the letters with each accented form right after its base letter.
constexpr unsigned char kCollationOrder[] = {
    0xAA, 0xBA, '\\', '!',  '|',  '"',  '@',  0xB7, '#',  '$',   // ª º \ ! | " @ · # $
    '%',  '&',  0xAC, '/',  '(',  ')',  '=',  '?',  '\'', 0xBF,  // % & ¬ / ( ) = ? ' ¿
    0xA1, 0x80, '[',  '*',  '+',  ']',  '{',  '}',  '>',  '<',   // ¡ € [ * + ] { } > <
    ';',  ',',  ':',  '.',  '_',  '-',  '0',  '1',  '2',  '3',
    '4',  '5',  '6',  '7',  '8',  '9',  ' ',  'a',  0xE1, 0xE0,  // ... a á à
    0xE4, 'b',  'c',  0xE7, 'd',  'e',  0xE9, 0xE8, 0xEB, 'f',   // ä b c ç d e é è ë f
    'g',  'h',  'i',  0xED, 0xEC, 0xEF, 'j',  'k',  'l',  'm',   // g h i í ì ï j k l m
    'n',  0xF1, 'o',  0xF3, 0xF2, 0xF6, 'p',  'q',  'r',  's',   // n ñ o ó ò ö p q r s
    0xDF, 't',  'u',  0xFA, 0xF9, 0xFC, 'v',  'w',  'x',  'y',  'z',  // ß t u ú ù ü v w x y z
};
static_assert(sizeof(kCollationOrder) == 91);

constexpr std::array<unsigned char, 256> MakeWeights() {
    std::array<unsigned char, 256> weights{};
    for (std::size_t i = 0; i < sizeof(kCollationOrder); ++i) {
        weights[kCollationOrder[i]] = static_cast<unsigned char>(i + 1);
    }
    return weights;
}
constexpr std::array<unsigned char, 256> kWeights = MakeWeights();

// The length of the text without its leading and trailing spaces.
std::size_t TrimmedLength(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return 0;
    return text.find_last_not_of(' ') - first + 1;
}

// Character k (1-based) of the text, or none past its end.
std::optional<char> CharacterAt(std::string_view text, std::size_t k) {
    if (k > text.size()) return std::nullopt;
    return text[k - 1];
}

// The weights of a time field's characters, the first in the highest byte:
// a time collates after another (CollateCompare gives 2) exactly when its key
// is the greater, since both compare weight by weight with 0 past the end.
// The sort compares each pair many times; this reads each field once.
uint64_t TimeKey(const char (&time)[sizeof(Appointment::time)]) {
    uint64_t key = 0;
    bool ended = false;
    for (const char ch : time) {
        ended = ended || ch == '\0';
        key = key << 8 | static_cast<uint64_t>(ended ? 0 : kWeights[static_cast<unsigned char>(LowerWin1252(ch))]);
    }
    return key;
}

}  // namespace

int CollationWeight(std::optional<char> ch) {
    if (!ch) return 0;
    return kWeights[static_cast<unsigned char>(LowerWin1252(*ch))];
}

int CollateCompare(std::string_view a, std::string_view b) {
    const std::size_t ta = TrimmedLength(a);
    const std::size_t tb = TrimmedLength(b);
    const std::size_t length = tb > ta ? b.size() : a.size();
    int after = 0;
    int before = 0;
    std::size_t k = 0;
    do {
        ++k;
        const int wb = CollationWeight(CharacterAt(b, k));
        const int wa = CollationWeight(CharacterAt(a, k));
        if (wa >= wb) ++after;
        if (wa <= wb) ++before;
    } while (after == before && k < length);
    return before < after ? 2 : 1;
}

void SortDay(DayList& list, int count, SortOrder sortOrder) {
    if (count > kDaySlots) count = kDaySlots;
    if (count < 2) return;
    // The passes move a slot's time key (the high bytes) with its slot number
    // (the low byte) and no record; the records move once, at the end.
    std::array<uint64_t, kDaySlots> items{};
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) items[i] = TimeKey(list.slots[i].time) << 8 | i;
    const bool earliestFirst = sortOrder == SortOrder::EarliestFirst;
    const bool latestFirst = sortOrder == SortOrder::LatestFirst;
    // Whether the item in the earlier slot and the one after it are exchanged.
    const auto due = [&](uint64_t earlier, uint64_t later) {
        const bool after = earlier >> 8 > later >> 8;
        return earliestFirst ? after : latestFirst && !after;
    };
    // Slot n lives at index n - 1. Each pass compares slots j - 1 and j, and
    // holds the item that travels along in a register, chosen without a
    // branch: which way two times go is a coin toss the processor would lose.
    int low = 2;
    int high = count;
    int last = count;
    // The travelling item meets the one at `metAt`; whichever stays goes into
    // the slot the travelling one left, `leftAt`.
    const auto meet = [&](uint64_t& travelling, int metAt, int leftAt, bool travellingIsLater, int j) {
        const uint64_t met = items[static_cast<std::size_t>(metAt)];
        const bool exchange = travellingIsLater ? due(met, travelling) : due(travelling, met);
        items[static_cast<std::size_t>(leftAt)] = exchange ? met : travelling;
        travelling = exchange ? travelling : met;
        last = exchange ? j : last;
    };
    do {
        uint64_t travelling = items[static_cast<std::size_t>(high - 1)];
        for (int j = high; j >= low; --j) meet(travelling, j - 2, j - 1, true, j);
        items[static_cast<std::size_t>(low - 2)] = travelling;
        low = last + 1;
        if (low > high) break;
        travelling = items[static_cast<std::size_t>(low - 2)];
        for (int j = low; j <= high; ++j) meet(travelling, j - 1, j - 2, false, j);
        items[static_cast<std::size_t>(high - 1)] = travelling;
        high = last - 1;
    } while (low <= high);
    const DayList before = list;
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        const std::size_t from = items[i] & 0xFF;
        list.slots[i] = before.slots[from];
        list.offsets[i] = before.offsets[from];
    }
}

}  // namespace quimbaro
