#include "entry_line.h"

#include <algorithm>

#include "text/win1252.h"

namespace quimbaro::cli {

std::optional<ClassifiedLine> EntryAppointment(const QString& typed) {
    const std::string line = ToWin1252(typed);
    const bool control = std::any_of(line.begin(), line.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
    ClassifiedLine classified = ClassifyLine(line);
    if (classified.action != LineAction::Append || control) return std::nullopt;
    return classified;
}

}  // namespace quimbaro::cli
