#pragma once
// The memchr of the search: where, in a run of raw bytes, the next byte
// stands that is one of a few values once its 0x20 bit is set (a letter of
// either case, with the few accented bytes that fold to it). It runs over
// every byte of every year file, so it uses the widest vectors the processor has.

#include <array>
#include <cstddef>

namespace quimbaro {

struct CaselessBytes {
    static constexpr std::size_t kMax = 4;
    std::array<unsigned char, kMax> bytes{};  // each with its 0x20 bit set
    std::size_t count = 0;
};

// Two characters `gap` bytes apart: a hit needs both. An empty `second`
// asks for the first alone.
struct CaselessPair {
    CaselessBytes first, second;
    std::size_t gap = 0;
};

// Widest: what the processor has; the others are there to be tested.
enum class ScanWidth { Widest, Narrow, Plain };

// The first position p in [from, size) whose byte, with its 0x20 bit set, is
// one of `wanted.first` and, unless `wanted.second` is empty, whose byte at
// p + gap (before `size`) is one of `wanted.second`; `size` when there is
// none, or when `wanted.first` is empty.
std::size_t FindCaseless(const char* data, std::size_t size, std::size_t from, const CaselessPair& wanted,
                         ScanWidth width = ScanWidth::Widest);

}  // namespace quimbaro
