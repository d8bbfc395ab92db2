#pragma once
// Text from outside into a libical component tree, in time that grows with
// the text's length: libical reads one physical line in time that grows
// with the square of its length (a 1 MB line costs a third of a second, a
// 16 MB one over a minute), so long lines are first folded as iCalendar
// allows, which leaves what they say as it was.

#include <libical/ical.h>

#include <memory>
#include <string>
#include <string_view>

namespace quimbaro::ical {

using Component = std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)>;

// Physical lines are folded to at most this many bytes.
inline constexpr std::size_t kFoldAt = 4096;

std::string FoldLongLines(std::string_view text);

// Null when libical finds no component at all.
Component ParseCalendar(std::string_view text);

}  // namespace quimbaro::ical
