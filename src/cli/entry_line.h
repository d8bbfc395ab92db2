#pragma once
// An appointment line given on the command line, taken as the window's entry
// takes it.

#include <QString>

#include <optional>

#include "command/classify_line.h"

namespace quimbaro::cli {

// The classified line when it is an appointment the entry would store; none
// for any other line and for one holding a control character, which the
// entry cannot type and which would break every line-based listing.
std::optional<ClassifiedLine> EntryAppointment(const QString& typed);

}  // namespace quimbaro::cli
