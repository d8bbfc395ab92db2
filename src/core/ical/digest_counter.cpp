#include "ical/digest_counter.h"

namespace quimbaro::ical {
namespace {

constexpr std::size_t kFirstSlots = 1024;  // a power of two, as every size after

// Digests may share their low bits: the mixing spreads them over the table.
std::size_t Home(uint64_t digest, std::size_t slots) {
    return std::size_t((digest * 0x9E3779B97F4A7C15ULL) >> 32) & (slots - 1);
}

}  // namespace

int DigestCounter::Add(uint64_t digest) {
    if ((used_ + 1) * 2 > slots_.size()) Grow();
    for (std::size_t i = Home(digest, slots_.size());; i = (i + 1) & (slots_.size() - 1)) {
        Slot& slot = slots_[i];
        if (slot.count == 0) {
            ++used_;
            slot = {digest, 1};
            return 1;
        }
        if (slot.digest == digest) return ++slot.count;
    }
}

// Kept at most half full, so that a probe ends soon at a free slot.
void DigestCounter::Grow() {
    std::vector<Slot> old(slots_.empty() ? kFirstSlots : slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& slot : old) {
        if (slot.count == 0) continue;
        std::size_t i = Home(slot.digest, slots_.size());
        while (slots_[i].count != 0) i = (i + 1) & (slots_.size() - 1);
        slots_[i] = slot;
    }
}

}  // namespace quimbaro::ical
