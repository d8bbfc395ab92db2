// The "cada" line on arbitrary bytes: a line taken as a series starts with the
// word, gives a repetition within its bounds that ends no earlier than it
// starts, and the appointment its last part gives as a line of its own.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "command/classify_line.h"
#include "fuzz_folder.h"
#include "search/folding.h"

using namespace quimbaro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string line = "cada " + std::string(reinterpret_cast<const char*>(data), size);
    const ClassifiedLine result = ClassifyLine(line);
    FUZZ_CHECK(result.action == LineAction::AppendSeries || result.action == LineAction::BadSeries);
    if (result.action == LineAction::BadSeries) return 0;
    const Repetition& r = result.repetition;
    FUZZ_CHECK(r.interval >= 1 && r.interval <= kMaxInterval && r.count >= 0 && r.count <= kMaxCount);
    FUZZ_CHECK(!(r.count > 0 && r.until));
    const auto first = ParseDayKey(ReadField(result.appointment.date));
    FUZZ_CHECK(first && first->day <= DaysInMonth(first->month, first->year));
    FUZZ_CHECK(!r.until || !(*r.until < *first));
    // The appointment is the line's end from the last space before its first
    // "|" (a date holds no space), classified on its own.
    const std::size_t at = line.rfind(' ', line.find('|')) + 1;
    const ClassifiedLine alone = ClassifyLine(std::string_view(line).substr(at));
    FUZZ_CHECK(alone.action == LineAction::Append && SameBytes(alone.appointment, result.appointment));
    return 0;
}
