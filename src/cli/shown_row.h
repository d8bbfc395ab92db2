#pragma once
// The appointment that a day and a row number name, numbered as `list DAY`
// prints the day's rows (the window's table order).

#include <QString>

#include <optional>

#include "book/change_record.h"
#include "subcommand.h"

namespace quimbaro::cli {

// The record, or none once the reason has been written on stderr; status is
// then the exit status to end with.
std::optional<StoredRecord> FindShownRow(const QString& day, const QString& row, CliContext& context, int& status);

}  // namespace quimbaro::cli
