#include "search/caseless_scan.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include <array>
#include <utility>
#define QUIMBARO_X86 1
#endif

namespace quimbaro {
namespace {

constexpr unsigned char kCaseBit = 0x20;

bool Wanted(char ch, const CaselessBytes& wanted) {
    const auto byte = static_cast<unsigned char>(static_cast<unsigned char>(ch) | kCaseBit);
    for (std::size_t i = 0; i < wanted.count; ++i)
        if (wanted.bytes[i] == byte) return true;
    return false;
}

bool WantedAt(const char* data, std::size_t size, std::size_t at, const CaselessPair& wanted) {
    if (!Wanted(data[at], wanted.first)) return false;
    return wanted.second.count == 0 || (at + wanted.gap < size && Wanted(data[at + wanted.gap], wanted.second));
}

std::size_t FindPlain(const char* data, std::size_t size, std::size_t at, const CaselessPair& wanted) {
    while (at < size && !WantedAt(data, size, at, wanted)) ++at;
    return at;
}

// Where the vector loops stop: the second character's chunk must fit too.
std::size_t VectorEnd(std::size_t size, const CaselessPair& wanted) {
    const std::size_t reach = wanted.second.count ? wanted.gap : 0;
    return size > reach ? size - reach : 0;
}

#if QUIMBARO_X86
#define QUIMBARO_WIDE __attribute__((target("avx2"), always_inline)) inline

// The set's bytes, each in every lane; Count is fixed so that the compares
// unroll and no loop runs inside the scan.
template <std::size_t Count>
struct WideSet {
    __m256i values[Count == 0 ? 1 : Count];
    QUIMBARO_WIDE explicit WideSet(const CaselessBytes& wanted) {
        for (std::size_t i = 0; i < Count; ++i) values[i] = _mm256_set1_epi8(static_cast<char>(wanted.bytes[i]));
    }
    // 0xFF in each of the 32 lanes at `at` whose byte is wanted.
    QUIMBARO_WIDE __m256i Hits(const char* at) const {
        const __m256i chunk = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)),
                                              _mm256_set1_epi8(static_cast<char>(kCaseBit)));
        __m256i found = _mm256_cmpeq_epi8(chunk, values[0]);
        for (std::size_t i = 1; i < Count; ++i) found = _mm256_or_si256(found, _mm256_cmpeq_epi8(chunk, values[i]));
        return found;
    }
};

template <std::size_t First, std::size_t Second>
QUIMBARO_WIDE __m256i PairHits(const char* at, std::size_t gap, const WideSet<First>& first,
                               const WideSet<Second>& second) {
    if constexpr (Second == 0) return first.Hits(at);
    else return _mm256_and_si256(first.Hits(at), second.Hits(at + gap));
}

QUIMBARO_WIDE unsigned Mask(__m256i hits) { return static_cast<unsigned>(_mm256_movemask_epi8(hits)); }

// 128 bytes a round with one test of them all, since hits are rare; then 32
// at a time; the last few go to the plain loop.
template <std::size_t First, std::size_t Second>
__attribute__((target("avx2"))) std::size_t FindWide(const char* data, std::size_t size, std::size_t at,
                                                     const CaselessPair& wanted) {
    const WideSet<First> first(wanted.first);
    const WideSet<Second> second(wanted.second);
    const std::size_t gap = wanted.gap, end = VectorEnd(size, wanted);
    for (; at + 128 <= end; at += 128) {
        const __m256i a = PairHits(data + at, gap, first, second), b = PairHits(data + at + 32, gap, first, second),
                      c = PairHits(data + at + 64, gap, first, second), d = PairHits(data + at + 96, gap, first, second);
        const __m256i any = _mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d));
        if (_mm256_testz_si256(any, any)) continue;
        std::size_t base = at;
        for (const __m256i found : {a, b, c, d}) {
            if (const unsigned mask = Mask(found); mask != 0) return base + static_cast<std::size_t>(__builtin_ctz(mask));
            base += 32;
        }
    }
    for (; at + 32 <= end; at += 32)
        if (const unsigned mask = Mask(PairHits(data + at, gap, first, second)); mask != 0) return at + static_cast<std::size_t>(__builtin_ctz(mask));
    return FindPlain(data, size, at, wanted);
}

using WideScan = std::size_t (*)(const char*, std::size_t, std::size_t, const CaselessPair&);

// The scan made for the two sets' sizes (first 1..kMax, second 0..kMax).
template <std::size_t First, std::size_t... Seconds>
constexpr std::array<WideScan, CaselessBytes::kMax + 1> WideRow(std::index_sequence<Seconds...>) {
    return {&FindWide<First, Seconds>...};
}
constexpr std::array<std::array<WideScan, CaselessBytes::kMax + 1>, CaselessBytes::kMax> kWideScans = [] {
    constexpr auto seconds = std::make_index_sequence<CaselessBytes::kMax + 1>();
    return std::array{WideRow<1>(seconds), WideRow<2>(seconds), WideRow<3>(seconds), WideRow<4>(seconds)};
}();
static_assert(CaselessBytes::kMax == 4, "one row of kWideScans per size of the first set");

std::size_t FindWide(const char* data, std::size_t size, std::size_t at, const CaselessPair& wanted) {
    return kWideScans[wanted.first.count - 1][wanted.second.count](data, size, at, wanted);
}

// 16 bytes at a time, for processors without the wide vectors.
int NarrowHits(const char* at, const CaselessBytes& wanted) {
    const __m128i chunk = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)),
                                       _mm_set1_epi8(static_cast<char>(kCaseBit)));
    __m128i found = _mm_setzero_si128();
    for (std::size_t i = 0; i < wanted.count; ++i)
        found = _mm_or_si128(found, _mm_cmpeq_epi8(chunk, _mm_set1_epi8(static_cast<char>(wanted.bytes[i]))));
    return _mm_movemask_epi8(found);
}

std::size_t FindNarrow(const char* data, std::size_t size, std::size_t at, const CaselessPair& wanted) {
    for (const std::size_t end = VectorEnd(size, wanted); at + 16 <= end; at += 16) {
        int found = NarrowHits(data + at, wanted.first);
        if (found != 0 && wanted.second.count) found &= NarrowHits(data + at + wanted.gap, wanted.second);
        if (found != 0) return at + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(found)));
    }
    return FindPlain(data, size, at, wanted);
}
#endif

}  // namespace

std::size_t FindCaseless(const char* data, std::size_t size, std::size_t from, const CaselessPair& wanted,
                         ScanWidth width) {
    if (wanted.first.count == 0 || from >= size) return size;
#if QUIMBARO_X86
    if (width == ScanWidth::Widest && __builtin_cpu_supports("avx2")) return FindWide(data, size, from, wanted);
    if (width != ScanWidth::Plain) return FindNarrow(data, size, from, wanted);
    return FindPlain(data, size, from, wanted);
#else
    (void)width;
    return FindPlain(data, size, from, wanted);
#endif
}

}  // namespace quimbaro
