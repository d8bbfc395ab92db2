#include "search/caseless_scan.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
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

// A mask of the 32 bytes at `at` that are wanted; values[0] is the 0x20 bit.
QUIMBARO_WIDE unsigned WideHits(const char* at, const __m256i* values, std::size_t count) {
    const __m256i chunk = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)), values[0]);
    __m256i found = _mm256_cmpeq_epi8(chunk, values[1]);
    for (std::size_t i = 2; i <= count; ++i) found = _mm256_or_si256(found, _mm256_cmpeq_epi8(chunk, values[i]));
    return static_cast<unsigned>(_mm256_movemask_epi8(found));
}

QUIMBARO_WIDE unsigned PairHits(const char* data, std::size_t at, const CaselessPair& wanted, const __m256i* first,
                                const __m256i* second) {
    const unsigned found = WideHits(data + at, first, wanted.first.count);
    if (found == 0 || wanted.second.count == 0) return found;
    return found & WideHits(data + at + wanted.gap, second, wanted.second.count);
}

// 64 bytes at a time, then 32; the last few go to the plain loop.
__attribute__((target("avx2"))) std::size_t FindWide(const char* data, std::size_t size, std::size_t at,
                                                     const CaselessPair& wanted) {
    __m256i first[CaselessBytes::kMax + 1], second[CaselessBytes::kMax + 1];
    first[0] = second[0] = _mm256_set1_epi8(static_cast<char>(kCaseBit));
    for (std::size_t i = 0; i < wanted.first.count; ++i)
        first[i + 1] = _mm256_set1_epi8(static_cast<char>(wanted.first.bytes[i]));
    for (std::size_t i = 0; i < wanted.second.count; ++i)
        second[i + 1] = _mm256_set1_epi8(static_cast<char>(wanted.second.bytes[i]));
    const std::size_t end = VectorEnd(size, wanted);
    for (; at + 64 <= end; at += 64) {
        const unsigned low = PairHits(data, at, wanted, first, second);
        const unsigned high = PairHits(data, at + 32, wanted, first, second);
        if (low != 0) return at + static_cast<std::size_t>(__builtin_ctz(low));
        if (high != 0) return at + 32 + static_cast<std::size_t>(__builtin_ctz(high));
    }
    for (; at + 32 <= end; at += 32)
        if (const unsigned found = PairHits(data, at, wanted, first, second); found != 0) return at + static_cast<std::size_t>(__builtin_ctz(found));
    return FindPlain(data, size, at, wanted);
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
