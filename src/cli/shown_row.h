#pragma once
// The appointment that a day and a row number name, numbered as `list DAY`
// prints the day's rows (the window's table order).

#include <QString>

#include <optional>

#include "book/change_record.h"
#include "repeat/day_occurrences.h"
#include "subcommand.h"

namespace quimbaro::cli {

// What the row shows: a year file's record, or an occurrence of a series.
struct ShownRow {
    StoredRecord record;
    std::optional<OccurrenceRow> occurrence;
};

// The row, or none once the reason has been written on stderr; status is
// then the exit status to end with.
std::optional<ShownRow> FindShownRow(const QString& day, const QString& row, CliContext& context, int& status);

}  // namespace quimbaro::cli
