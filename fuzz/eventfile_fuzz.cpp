// One event file of a vdir folder as a sync maps it, and the bytes it gets
// when the book writes a series back into it: no crash, no hang, and a file
// that maps to a series still maps to a series of the same UID once written.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ical/book_import.h"
#include "sync/event_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quimbaro;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ical::ImportOptions options = ical::MakeImportOptions({2026, 12, 7}, {});
    const sync::MappedFile file = sync::MapFile(text, options);
    if (!file.series) return 0;
    const sync::MappedFile again = sync::MapFile(sync::SeriesBytes(text, *file.series), options);
    if (!again.series || again.series->uid != file.series->uid) std::abort();
    return 0;
}
