// The sync state reader on arbitrary text: it accepts or refuses in time
// that grows with the text, and whatever it accepts is written back and read
// again to the same state.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sync/sync_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto state = quimbaro::sync::ParseSyncState(text, error);
    if (!state) {
        if (error.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    const std::string written = quimbaro::sync::FormatSyncState(*state);
    const auto again = quimbaro::sync::ParseSyncState(written, error);
    if (!again || !(*again == *state) || quimbaro::sync::FormatSyncState(*again) != written) std::abort();
    return 0;
}
