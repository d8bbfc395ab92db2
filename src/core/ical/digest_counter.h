#pragma once
// How many times each 64-bit digest has been seen. Open addressing in one
// array: a book's worth of map nodes costs more than making the digests.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quimbaro::ical {

class DigestCounter {
public:
    // Counts the digest once more; how many times it has been seen now.
    int Add(uint64_t digest);

private:
    struct Slot {
        uint64_t digest = 0;
        int count = 0;  // 0: a free slot
    };
    void Grow();
    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

}  // namespace quimbaro::ical
