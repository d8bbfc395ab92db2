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

std::size_t FindPlain(const char* data, std::size_t size, std::size_t at, const CaselessBytes& wanted) {
    while (at < size && !Wanted(data[at], wanted)) ++at;
    return at;
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

// 64 bytes at a time, then 32; the last few go to the plain loop.
__attribute__((target("avx2"))) std::size_t FindWide(const char* data, std::size_t size, std::size_t at,
                                                     const CaselessBytes& wanted) {
    __m256i values[CaselessBytes::kMax + 1];
    values[0] = _mm256_set1_epi8(static_cast<char>(kCaseBit));
    for (std::size_t i = 0; i < wanted.count; ++i) values[i + 1] = _mm256_set1_epi8(static_cast<char>(wanted.bytes[i]));
    for (; at + 64 <= size; at += 64) {
        const unsigned low = WideHits(data + at, values, wanted.count);
        const unsigned high = WideHits(data + at + 32, values, wanted.count);
        if (low != 0) return at + static_cast<std::size_t>(__builtin_ctz(low));
        if (high != 0) return at + 32 + static_cast<std::size_t>(__builtin_ctz(high));
    }
    for (; at + 32 <= size; at += 32)
        if (const unsigned found = WideHits(data + at, values, wanted.count); found != 0)
            return at + static_cast<std::size_t>(__builtin_ctz(found));
    return FindPlain(data, size, at, wanted);
}

// 16 bytes at a time, for processors without the wide vectors.
std::size_t FindNarrow(const char* data, std::size_t size, std::size_t at, const CaselessBytes& wanted) {
    const __m128i caseBit = _mm_set1_epi8(static_cast<char>(kCaseBit));
    for (; at + 16 <= size; at += 16) {
        const __m128i chunk = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at)), caseBit);
        __m128i found = _mm_setzero_si128();
        for (std::size_t i = 0; i < wanted.count; ++i)
            found = _mm_or_si128(found, _mm_cmpeq_epi8(chunk, _mm_set1_epi8(static_cast<char>(wanted.bytes[i]))));
        if (const int mask = _mm_movemask_epi8(found); mask != 0) return at + static_cast<std::size_t>(__builtin_ctz(mask));
    }
    return FindPlain(data, size, at, wanted);
}
#endif

}  // namespace

std::size_t FindCaseless(const char* data, std::size_t size, std::size_t from, const CaselessBytes& wanted,
                         ScanWidth width) {
    if (wanted.count == 0 || from >= size) return size;
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
