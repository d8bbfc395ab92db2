#pragma once
// [FECHA] and --days N, the days that list and print read: each loaded as
// the window's table shows it.

#include <QCommandLineParser>
#include <QStringList>

#include <optional>
#include <vector>

#include "book/day_rows.h"
#include "subcommand.h"

namespace quimbaro::cli {

void AddDaysOption(QCommandLineParser& parser);

// The days the arguments name, first day first; none once the reason has
// been written on stderr, with status set to the exit status to end with.
// A day with more records than the table's rows is said on stderr.
std::optional<std::vector<DayRows>> ReadShownDays(const QCommandLineParser& parser, const QStringList& args,
                                                   const QString& command, CliContext& context, int& status);

}  // namespace quimbaro::cli
