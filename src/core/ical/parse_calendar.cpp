#include "ical/parse_calendar.h"

namespace quimbaro::ical {

std::string FoldLongLines(std::string_view text) {
    std::string folded;
    folded.reserve(text.size() + text.size() / kFoldAt * 2);
    std::size_t run = 0;
    for (const char c : text) {
        if (c == '\n') {
            run = 0;
        } else if (++run > kFoldAt) {
            folded += "\n ";  // unfolding takes out the line end and the space
            run = 1;
        }
        folded += c;
    }
    return folded;
}

Component ParseCalendar(std::string_view text) {
    icalerror_set_errors_are_fatal(0);
    return Component(icalparser_parse_string(FoldLongLines(text).c_str()), icalcomponent_free);
}

}  // namespace quimbaro::ical
