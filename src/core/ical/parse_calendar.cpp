#include "ical/parse_calendar.h"

#include <algorithm>

namespace quimbaro::ical {

// Copied a line at a time: most lines need no fold at all.
std::string FoldLongLines(std::string_view text) {
    std::string folded;
    folded.reserve(text.size() + text.size() / kFoldAt * 2);
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size() - 1) + 1;  // the line with its end
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end);
        const std::size_t ending = line.back() == '\n' ? 1 : 0;
        while (line.size() - ending > kFoldAt) {
            folded += line.substr(0, kFoldAt);
            folded += "\n ";  // unfolding takes out the line end and the space
            line.remove_prefix(kFoldAt);
        }
        folded += line;
    }
    return folded;
}

Component ParseCalendar(std::string_view text) {
    icalerror_set_errors_are_fatal(0);
    return Component(icalparser_parse_string(FoldLongLines(text).c_str()), icalcomponent_free);
}

}  // namespace quimbaro::ical
