#pragma once
// Found appointments written out for the command line: plain text for
// people, tab-separated values or JSON for other programs.

#include <QString>
#include <optional>
#include <vector>

#include "book/appointment.h"

namespace quimbaro {

enum class MatchFormat { Text, Tsv, Json };

// "text", "tsv" or "json"; nothing for anything else.
std::optional<MatchFormat> ParseMatchFormat(const QString& name);

// One line per appointment (TSV after a header line, JSON as one array),
// every line ending in a newline.
QString FormatMatches(const std::vector<Appointment>& records, MatchFormat format);

}  // namespace quimbaro
