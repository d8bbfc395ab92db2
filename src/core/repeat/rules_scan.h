#pragma once
// The rules file as this program writes it, read without libical, which
// spends most of a start with a thousand series on parsing them. Only what
// is recognised exactly is taken: an event with anything unusual in it is
// left for libical to read on its own, and a file whose outline differs in
// anything (another component, another property, a stray line end) is left
// for libical whole, so that every file reads exactly as libical reads it.

#include <optional>
#include <string_view>
#include <vector>

#include "repeat/series.h"

namespace quimbaro {

struct ScannedEvent {
    std::optional<Series> series;  // nothing: libical is to read text
    std::string_view text;         // from its BEGIN:VEVENT line to its END:VEVENT line, both ended
};

// Every event in file order; nothing when the file is to be read whole by libical.
std::optional<std::vector<ScannedEvent>> ScanRules(std::string_view text);

}  // namespace quimbaro
